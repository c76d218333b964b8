#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/SharedWindowState.h"
#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

// What the tests of the older update paths share: a window on one emulated device
// that remembers every status text it showed, a user interface that notes when a
// message box came, and scratch directories.
namespace kxt::testing {

// Every text the status field showed, in order, each change once.
class StatusHistory final : public app::WindowObserver {
public:
    void Redraw(const app::WindowControls& controls) override {
        if (texts.empty() || texts.back() != controls.StatusEdit.text) {
            texts.push_back(controls.StatusEdit.text);
        }
    }
    std::vector<std::string> texts;
};

struct NotedMessage {
    std::string text;
    std::string caption;
    os::MessageIcon icon;
    std::size_t commandsBefore;  // requests the bus had seen when the box came
};

// Message boxes with the moment they came, measured in requests sent so far.
class NotingUi final : public os::UiServices {
public:
    explicit NotingUi(emulator::EmulatedBus& bus) : bus_(bus) {}
    void ShowMessage(std::string_view text, std::string_view caption,
                     os::MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), icon, bus_.Log().size()});
    }
    void ProcessPendingMessages() override { ++pendingMessagePasses; }
    void DebugTrace(std::string_view text) override { traces.emplace_back(text); }
    void SetTimer(int, std::chrono::milliseconds) override {}
    void KillTimer(int) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, std::string_view) override {
        return std::nullopt;
    }

    std::vector<NotedMessage> messages;
    std::vector<std::string> traces;
    int pendingMessagePasses = 0;

private:
    emulator::EmulatedBus& bus_;
};

// A directory of its own under the system's temporary directory, removed with
// its content at the end.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("kxtfw-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::vector<std::filesystem::path> Entries() const {
        std::vector<std::filesystem::path> entries;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            entries.push_back(entry.path());
        }
        return entries;
    }

private:
    std::filesystem::path path_;
};

// Runs a test inside a directory and returns to the previous one afterwards.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const std::filesystem::path& directory)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~CurrentDirectoryGuard() { std::filesystem::current_path(previous_); }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    std::filesystem::path previous_;
};

inline std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Bytes that differ from erased flash and from their neighbours.
inline std::vector<std::uint8_t> PatternImage(std::size_t size, unsigned seed = 1) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>((i * 13 + i / 251 + seed) % 255);
    }
    return image;
}

// The 24-bit address of an FF 04 flash command.
inline std::uint32_t FlashAddress(const emulator::LoggedCommand& command) {
    return static_cast<std::uint32_t>(command.cdb[3] << 16 | command.cdb[4] << 8 | command.cdb[5]);
}

// The window the engineering panel hands to an older update path, on one device.
struct OlderPathFixture {
    EmulatedPlatform emulated;
    NotingUi ui{emulated.bus};
    os::Platform platform{emulated.bus, emulated.clock, emulated.firmware, ui, emulated.bus};
    app::ProcessSettings settings;
    app::SharedWindowState window{platform, settings};
    StatusHistory history;
    os::DevicePath path;

    explicit OlderPathFixture(const std::string& device) : path(emulated.AddDevice(device)) {
        window.SetObserver(&history);
        window.RdCheckBox.checked = true;
    }

    std::vector<std::uint8_t> Flash() {
        const auto bytes = emulated.Device(path).chip.Flash().Bytes();
        return {bytes.begin(), bytes.end()};
    }
    std::vector<emulator::LoggedCommand> Commands(std::string_view name) const {
        return emulator::CommandsNamed(emulated.bus.Log(), name);
    }
    std::vector<std::uint32_t> AddressesOf(std::string_view name) const {
        std::vector<std::uint32_t> addresses;
        for (const auto& command : Commands(name)) {
            addresses.push_back(FlashAddress(command));
        }
        return addresses;
    }
};

}  // namespace kxt::testing
