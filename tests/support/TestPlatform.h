#pragma once

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "emulator/EmulatedBus.h"
#include "emulator/VirtualClock.h"
#include "os/Platform.h"

namespace kxt::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    os::MessageIcon icon;
};

// Records what the core asks of the user interface.
class RecordingUi final : public os::UiServices {
public:
    void ShowMessage(std::string_view text, std::string_view caption, os::MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), icon});
    }
    void ProcessPendingMessages() override { ++pendingMessagePasses; }
    void DebugTrace(std::string_view text) override { traces.emplace_back(text); }
    void SetTimer(int id, std::chrono::milliseconds delay) override { timers[id] = delay; }
    void KillTimer(int id) override { timers.erase(id); }
    std::optional<std::string> ChooseOpenFile(const std::string& initialFolder,
                                              std::string_view filter) override {
        dialogs.push_back({initialFolder, std::string(filter)});
        return chosenFile;
    }

    std::vector<ShownMessage> messages;
    std::vector<std::string> traces;
    std::map<int, std::chrono::milliseconds> timers;
    int pendingMessagePasses = 0;
    std::vector<std::pair<std::string, std::string>> dialogs;  // folder, filter
    std::optional<std::string> chosenFile;                     // what the "user" picks
};

// Firmware images given by the test instead of compiled in.
class InMemoryFirmware final : public os::FirmwareResources {
public:
    void Add(std::string type, std::string name, std::vector<std::uint8_t> bytes) {
        images_[{std::move(type), std::move(name)}] = std::move(bytes);
    }
    std::optional<std::span<const std::uint8_t>> Find(std::string_view type,
                                                      std::string_view name) const override {
        const auto it = images_.find({std::string(type), std::string(name)});
        if (it == images_.end()) {
            return std::nullopt;
        }
        return std::span<const std::uint8_t>(it->second);
    }
    bool StandInImages() const override { return standIn; }

    bool standIn = false;

private:
    std::map<std::pair<std::string, std::string>, std::vector<std::uint8_t>> images_;
};

// A platform made of the emulator on a virtual clock, test firmware and a recording UI.
struct EmulatedPlatform {
    emulator::VirtualClock clock;
    emulator::EmulatedBus bus{clock};
    InMemoryFirmware firmware;
    RecordingUi ui;
    os::Platform platform{bus, clock, firmware, ui, bus};

    // Adds a device from a scenario fragment (one entry of "devices") and returns its path.
    os::DevicePath AddDevice(const std::string& deviceJson);
    emulator::EmulatedDevice& Device(const os::DevicePath& path) { return *bus.Find(path); }
};

}  // namespace kxt::testing
