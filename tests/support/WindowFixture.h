#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/TK71xFwTool.h"
#include "emulator/CommandLog.h"
#include "tests/support/FirmwareImages.h"
#include "tests/support/TestPlatform.h"

namespace kxt::testing {

// The emulated platform with the test firmware images, and a window that is
// built (first scan included) when the test asks for it.
struct WindowFixture {
    EmulatedPlatform emulated;
    app::ProcessSettings settings;
    std::unique_ptr<app::TK71xFwTool> window;
    std::vector<std::uint8_t> kxt850Image = MakeKXT850Image(850);
    std::vector<std::uint8_t> kxt861Image = MakeKXT861Image(861);

    WindowFixture() { emulated.firmware.Add("KXT850", "FW6701", kxt850Image); }
    void CarryKXT861Image() { emulated.firmware.Add("KXT861", "FW1802", kxt861Image); }

    os::DevicePath Add(const std::string& deviceJson) { return emulated.AddDevice(deviceJson); }
    std::span<std::uint8_t> Flash(const os::DevicePath& path) {
        return emulated.Device(path).chip.Flash().Bytes();
    }
    app::TK71xFwTool& Open() {
        window = std::make_unique<app::TK71xFwTool>(emulated.platform, settings);
        return *window;
    }
    std::size_t Count(const std::string& name) {
        return emulator::CommandsNamed(emulated.bus.Log(), name).size();
    }
    // Commands that change a flash.
    std::size_t FlashChanges() {
        return Count("WriteFlashBlock") + Count("WriteFlash") + Count("EraseFlashSector") +
               Count("EraseFlashChip");
    }
};

}  // namespace kxt::testing
