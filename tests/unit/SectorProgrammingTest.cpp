#include "app/SectorProgramming.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

namespace kxt::app {
namespace {

std::vector<std::uint8_t> PatternImage(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    }
    return image;
}

// A window whose bar is shown, as during an update run.
struct SectorFixture {
    testing::EmulatedPlatform emulated;
    ProcessSettings settings;
    SharedWindowState window{emulated.platform, settings};

    explicit SectorFixture(const std::string& device) : path(emulated.AddDevice(device)) {
        window.FwUpdatBar.shown = true;
        window.FwUpdatBar.position = 20;
    }
    std::vector<std::uint8_t> Flash() {
        const auto bytes = emulated.Device(path).chip.Flash().Bytes();
        return {bytes.begin(), bytes.end()};
    }
    std::size_t Count(const char* name) {
        return emulator::CommandsNamed(emulated.bus.Log(), name).size();
    }
    os::DevicePath path;
};

constexpr const char* kOldFirmware =
    R"({"chip": "kxt861", "flash": {"part": "WINBOND", "sectorEraseUnit": 32768,
        "regions": [{"random": 3, "length": 65536}]}})";

TEST(SectorProgram, ErasesChecksWritesAndVerifiesWithTheDefaultPages) {
    SectorFixture fixture(kOldFirmware);
    const auto image = PatternImage(65536);

    EXPECT_TRUE(SectorProgram(fixture.window, fixture.path, image));

    EXPECT_EQ(fixture.Flash(), image);
    const auto erases = emulator::CommandsNamed(fixture.emulated.bus.Log(), "EraseFlashSector");
    ASSERT_EQ(erases.size(), 2U);
    EXPECT_EQ(erases[1].cdb[3], 0x00);
    EXPECT_EQ(erases[1].cdb[4], 0x80);
    const auto writes = emulator::CommandsNamed(fixture.emulated.bus.Log(), "WriteFlash");
    ASSERT_EQ(writes.size(), 8U);
    for (std::size_t c = 0; c < writes.size(); ++c) {
        EXPECT_EQ(writes[c].length, 8192U);
        EXPECT_EQ((writes[c].cdb[3] << 16 | writes[c].cdb[4] << 8 | writes[c].cdb[5]), c * 8192);
    }
    EXPECT_EQ(fixture.Count("ReadFlash"), 8U) << "four 16 KB pages for the blank check and the verify";
    EXPECT_EQ(fixture.Count("EraseFlashChip"), 0U) << "blank after the sector erases";
    EXPECT_EQ(fixture.window.StatusEdit.text, "ReadFlash..." + std::string(4, '.'));
    EXPECT_EQ(fixture.window.FwUpdatBar.position, 70);
}

TEST(SectorProgram, TwoKilobytePagesLeaveThirtyTwoDots) {
    SectorFixture fixture(kOldFirmware);
    fixture.settings.TransferPageSize = 2048;
    ASSERT_TRUE(SectorProgram(fixture.window, fixture.path, PatternImage(65536)));
    EXPECT_EQ(fixture.window.StatusEdit.text, "ReadFlash..." + std::string(32, '.'));
    EXPECT_EQ(fixture.Count("ReadFlash"), 64U);
}

TEST(SectorProgram, FlashLeftWrittenBySmallSectorsGetsAChipEraseAfterwards) {
    // 4 KB sector erases leave most of each 32 KB sector written.
    SectorFixture fixture(
        R"({"chip": "kxt861", "flash": {"sectorEraseUnit": 4096,
            "regions": [{"random": 3, "length": 65536}]}})");
    const auto image = PatternImage(65536);
    EXPECT_TRUE(SectorProgram(fixture.window, fixture.path, image));
    EXPECT_EQ(fixture.Flash(), image);
    EXPECT_EQ(fixture.Count("EraseFlashChip"), 1U);
    EXPECT_EQ(fixture.Count("ReadFlash"), 12U) << "blank check, second blank check, verify";
    const auto log = fixture.emulated.bus.Log();
    const auto chipErase = std::find_if(log.begin(), log.end(),
                                        [](const auto& c) { return c.name == "EraseFlashChip"; });
    const auto nextRead = std::find_if(chipErase, log.end(),
                                       [](const auto& c) { return c.name == "ReadFlash"; });
    EXPECT_GE(nextRead->time - chipErase->time, std::chrono::milliseconds(500));
}

struct FailureCase {
    const char* name;
    std::string device;
    int expectedPosition;
    int expectedDots;  // pages read by the last status read; -1: no read started
};

class SectorProgramFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SectorProgramFailure, EndsAtOnceWithItsProgressSoFar) {
    SectorFixture fixture(GetParam().device);
    EXPECT_FALSE(SectorProgram(fixture.window, fixture.path, PatternImage(65536)));
    EXPECT_EQ(fixture.window.FwUpdatBar.position, GetParam().expectedPosition);
    EXPECT_EQ(fixture.window.StatusEdit.text,
              GetParam().expectedDots < 0 ? ""
                                          : "ReadFlash..." + std::string(GetParam().expectedDots, '.'));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SectorProgramFailure,
    ::testing::Values(
        FailureCase{"SectorEraseRefused",
                    R"({"chip": "kxt861", "faults": [{"command": "EraseFlashSector", "occurrence": 2}]})",
                    30, -1},
        FailureCase{"BlankCheckReadFails",
                    R"({"chip": "kxt861", "faults": [{"command": "ReadFlash", "occurrence": 3}]})",
                    40, 2},
        FailureCase{"StillWrittenAfterChipErase",
                    R"({"chip": "kxt861", "flash": {"sectorEraseUnit": 4096, "fill": 0},
                        "faults": [{"command": "EraseFlashChip", "kind": "ignore"}]})",
                    40, 4},
        FailureCase{"ThirdWriteRefused",
                    R"({"chip": "kxt861", "faults": [{"command": "WriteFlash", "occurrence": 3}]})",
                    50, 4},
        FailureCase{"VerifyDiffers",
                    R"({"chip": "kxt861", "faults": [{"kind": "corrupt-read", "command": "ReadFlash", "occurrence": 7, "offset": 5}]})",
                    60, 4}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(SectorProgram, ARefusedChipEraseLeavesTheVerdictToTheComparison) {
    SectorFixture fixture(
        R"({"chip": "kxt861", "flash": {"sectorEraseUnit": 4096, "fill": 0},
            "faults": [{"command": "EraseFlashChip"}]})");
    EXPECT_FALSE(SectorProgram(fixture.window, fixture.path, PatternImage(65536)));
    EXPECT_EQ(fixture.Count("WriteFlash"), 8U) << "the writing goes on";
    EXPECT_EQ(fixture.window.FwUpdatBar.position, 60);
}

TEST(SectorProgram, AnEmptyImageFailsAtTheBlankCheck) {
    SectorFixture fixture(kOldFirmware);
    EXPECT_FALSE(SectorProgram(fixture.window, fixture.path, {}));
    EXPECT_EQ(fixture.Count("WriteFlash"), 0U);
}

TEST(SectorProgram, ProgressIsInvisibleWhileTheBarIsHidden) {
    SectorFixture fixture(kOldFirmware);
    fixture.window.FwUpdatBar.shown = false;
    ASSERT_TRUE(SectorProgram(fixture.window, fixture.path, PatternImage(65536)));
    EXPECT_EQ(fixture.window.FwUpdatBar.position, 20);
}

TEST(ReadFlashWithStatus, AnUnreadyDeviceOnlyLeavesATraceAndCutsTheLastPage) {
    SectorFixture fixture(R"({"chip": "kxt861", "busyStatusReads": 600, "flash": {"fill": "0x3C"}})");
    std::vector<std::uint8_t> destination(20000 + 1, 0);
    EXPECT_TRUE(ReadFlashWithStatus(fixture.window, fixture.path, 0,
                                    std::span(destination).first(20000)));
    EXPECT_EQ(fixture.emulated.ui.traces, std::vector<std::string>{"0.1 Device initial not ready!!"});
    EXPECT_EQ(destination[19999], 0x3C);
    EXPECT_EQ(destination[20000], 0x00) << "the last page is cut to the destination";
    EXPECT_EQ(fixture.Count("ReadFlash"), 2U);
    EXPECT_GE(fixture.emulated.ui.pendingMessagePasses, 3);
}

}  // namespace
}  // namespace kxt::app
