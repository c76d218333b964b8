#include "device/ProgrammingGuard.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "device/VendorCommands.h"
#include "tests/support/HardwareLookingBus.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using testing::HardwareLookingBus;

struct Machine {
    const char* name;
    bool standInImages;
    bool emulated;
    bool programmingAllowed;
};

struct FlashCommand {
    const char* name;  // as the emulator logs it
    std::function<bool(const os::Platform&, const os::DevicePath&)> send;
};

const std::array<std::uint8_t, 512> kData{};

const std::vector<FlashCommand>& FlashChangingCommands() {
    static const std::vector<FlashCommand> commands{
        {"WriteFlashBlock",
         [](const os::Platform& p, const os::DevicePath& path) {
             return WriteFlashBlock(p, path, 0, kData, 2);
         }},
        {"WriteFlash", [](const os::Platform& p,
                          const os::DevicePath& path) { return WriteFlash(p, path, 0, kData); }},
        {"EraseFlashChip",
         [](const os::Platform& p, const os::DevicePath& path) { return EraseFlashChip(p, path); }},
        {"EraseFlashSector",
         [](const os::Platform& p, const os::DevicePath& path) {
             return EraseFlashSector(p, path, 0x1000);
         }},
        {"ProgramRom", [](const os::Platform& p,
                          const os::DevicePath& path) { return ProgramRom(p, path, kData, 0); }},
        {"StartRomErase",
         [](const os::Platform& p, const os::DevicePath& path) { return StartRomErase(p, path); }},
        {"LoadRomEraseSequence",
         [](const os::Platform& p, const os::DevicePath& path) {
             return LoadRomEraseSequence(p, path, 0);
         }},
    };
    return commands;
}

class ProgrammingGuard : public ::testing::TestWithParam<Machine> {
  protected:
    ProgrammingGuard() : hardware_(emu_.bus) {
        emu_.firmware.standIn = GetParam().standInImages;
        path_ = emu_.AddDevice(R"({"chip": "kxt850", "parallelFlashPart": 0})");
    }

    os::Platform Platform() {
        if (GetParam().emulated)
            return emu_.platform;
        return {hardware_, emu_.clock, emu_.firmware, emu_.ui, emu_.bus};
    }

    testing::EmulatedPlatform emu_;
    HardwareLookingBus hardware_;
    os::DevicePath path_;
};

TEST_P(ProgrammingGuard, FlashChangingCommandsReachOnlyPermittedDevices) {
    const os::Platform p = Platform();
    for (const FlashCommand& command : FlashChangingCommands()) {
        emu_.bus.ClearLog();
        const bool sent = command.send(p, path_);
        const auto log = emu_.bus.Log();
        if (GetParam().programmingAllowed) {
            EXPECT_EQ(emulator::CommandsNamed(log, command.name).size(), 1U) << command.name;
        } else {
            EXPECT_FALSE(sent) << command.name;
            EXPECT_TRUE(log.empty()) << command.name << " reached the device";
        }
    }
}

TEST_P(ProgrammingGuard, ReadingStaysPossible) {
    std::array<std::uint8_t, 512> buffer{};
    EXPECT_TRUE(ReadFlashBlock(Platform(), path_, 0, buffer));
}

TEST_P(ProgrammingGuard, FrontEndsLearnWhy) {
    const auto refusal = ProgrammingRefusal(Platform());
    EXPECT_EQ(ProgrammingAllowed(Platform()), GetParam().programmingAllowed);
    if (GetParam().programmingAllowed) {
        EXPECT_FALSE(refusal.has_value());
    } else {
        ASSERT_TRUE(refusal.has_value());
        EXPECT_NE(refusal->find("stand-in"), std::string::npos) << *refusal;
        EXPECT_NE(refusal->find("KXT_FIRMWARE_DIR"), std::string::npos) << *refusal;
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, ProgrammingGuard,
                         ::testing::Values(Machine{"StandInsOnRealDevice", true, false, false},
                                           Machine{"StandInsOnEmulator", true, true, true},
                                           Machine{"VendorImagesOnRealDevice", false, false, true},
                                           Machine{"VendorImagesOnEmulator", false, true, true}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt::device
