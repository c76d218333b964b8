#include "app/InternalRomUpdate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ExternalFlashUpdate.h"
#include "tests/support/OlderPathFixture.h"

namespace kxt::app {
namespace {

using testing::CurrentDirectoryGuard;
using testing::OlderPathFixture;
using testing::PatternImage;
using testing::ReadWholeFile;
using testing::ScratchDirectory;

constexpr std::size_t kRomSize = 65536;

// An internal-ROM chip (ATMEL cycles, switch needed) whose flash holds old firmware.
std::string Device(const std::string& extra = "", const std::string& flash = "") {
    return R"({"chip": "kx40714", "flash": )" +
           (flash.empty() ? std::string(R"({"regions": [{"random": 5, "length": 65536}]})")
                          : flash) +
           extra + "}";
}

std::string FaultOn(const std::string& command, int occurrence, const std::string& kind = "fail") {
    return R"(, "faults": [{"kind": ")" + kind + R"(", "command": ")" + command +
           R"(", "occurrence": )" + std::to_string(occurrence) + "}]";
}

enum class FlashAfter { Untouched, Erased, Image, OldAndImage };

std::vector<std::uint8_t> ExpectedFlash(FlashAfter after, const std::vector<std::uint8_t>& old,
                                        const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> flash = old;
    switch (after) {
        case FlashAfter::Untouched:
            break;
        case FlashAfter::Erased:
            std::fill(flash.begin(), flash.end(), 0xFF);
            break;
        case FlashAfter::Image:
            std::fill(flash.begin(), flash.end(), 0xFF);
            std::copy(image.begin(), image.end(), flash.begin());
            break;
        case FlashAfter::OldAndImage:  // programmed over unerased flash
            for (std::size_t i = 0; i < image.size(); ++i) flash[i] &= image[i];
            break;
    }
    return flash;
}

bool Shown(const testing::StatusHistory& history, const std::string& text) {
    return std::find(history.texts.begin(), history.texts.end(), text) != history.texts.end();
}

// ---------------------------------------------------------------------------
// Every exit of the update.

struct RomExit {
    const char* name;
    std::string device;
    std::string status;
    int result;
    FlashAfter flash;
    std::size_t imageSize = 40000;
    bool imageEmbedded = true;
    device::ParallelFlashType type = 0;
    std::string shownOnTheWay = "";
};

class InternalRomUpdateExit : public ::testing::TestWithParam<RomExit> {};

TEST_P(InternalRomUpdateExit, EndsWithItsTextAndLeavesItsFlash) {
    const RomExit& row = GetParam();
    OlderPathFixture fixture(row.device);
    const auto image = PatternImage(row.imageSize, 3);
    if (row.imageEmbedded) {
        fixture.emulated.firmware.Add("FW", "FW719", image);
    }
    const auto old = fixture.Flash();

    EXPECT_EQ(UpdateInternalRom(fixture.window, fixture.path, row.type), row.result);

    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    EXPECT_EQ(fixture.Flash(), ExpectedFlash(row.flash, old, image));
    if (!row.shownOnTheWay.empty()) {
        EXPECT_TRUE(Shown(fixture.history, row.shownOnTheWay));
    }
    if (row.status == "Load defaut Fw file Error!!" || row.status == "Fw file larger than 64KB!!") {
        EXPECT_TRUE(fixture.emulated.bus.Log().empty()) << "nothing was sent to the device";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exits, InternalRomUpdateExit,
    ::testing::Values(
        RomExit{"NoImage", Device(), "Load defaut Fw file Error!!", 0, FlashAfter::Untouched, 40000,
                false},
        RomExit{"EmptyImage", Device(), "Load defaut Fw file Error!!", 0, FlashAfter::Untouched, 0},
        RomExit{"ImageLargerThanTheFlash", Device(), "Fw file larger than 64KB!!", 0,
                FlashAfter::Untouched, kRomSize + 1},
        RomExit{"SwitchRefused", Device(FaultOn("SwitchToInternalRom", 1)),
                "Can't switch to internal ROM", 0, FlashAfter::Untouched},
        RomExit{"EraseSequenceRefused", Device(FaultOn("LoadRomEraseSequence", 1)),
                "Error pre-erase command!!", 0, FlashAfter::Untouched},
        RomExit{"EraseRefusedOnBlankFlashStillSucceeds",
                Device(FaultOn("StartRomErase", 1), R"({"fill": "0xFF"})"),
                "Programming & Compare Success!!", 1, FlashAfter::Image},
        RomExit{"EraseRefusedOnOldFlashIsProgrammedOver", Device(FaultOn("StartRomErase", 1)),
                "Compare Fail!!", 0, FlashAfter::OldAndImage},
        RomExit{"EraseNeverFinishes", Device(R"(, "romBusyReads": "always")"),
                "Programming & Compare Success!!", 1, FlashAfter::Image, 40000, true, 0,
                "Erase command ok,status fail!!"},
        RomExit{"BlankCheckUnreadable", Device(FaultOn("ReadRom", 1)),
                "Programming & Compare Success!!", 1, FlashAfter::Image, 40000, true, 0,
                "Erase command ok!!"},
        RomExit{"EraseDoesNothing", Device(FaultOn("StartRomErase", 1, "ignore")),
                "Not Erase correctly!", 0, FlashAfter::Untouched},
        RomExit{"CyclesOfAnotherPart", Device(), "Not Erase correctly!", 0, FlashAfter::Untouched,
                40000, true, 1},
        RomExit{"ProgramRefused", Device(FaultOn("ProgramRom", 1)), "Programming Fail!!", 0,
                FlashAfter::Erased},
        RomExit{"ReadBackFails", Device(FaultOn("ReadRom", 2)), "Read Fail!!", 0,
                FlashAfter::Image},
        RomExit{"ReadBackDiffers", Device(FaultOn("ReadRom", 2, "corrupt-read")), "Compare Fail!!",
                0, FlashAfter::Image},
        RomExit{"AllStepsPass", Device(), "Programming & Compare Success!!", 1, FlashAfter::Image},
        RomExit{"AFullSixtyFourKilobytes", Device(), "Programming & Compare Success!!", 1,
                FlashAfter::Image, kRomSize}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(InternalRomUpdate, ShowsEachStageAndReadsBackOnlyTheImage) {
    OlderPathFixture fixture(Device());
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    ASSERT_EQ(UpdateInternalRom(fixture.window, fixture.path, 0), 1);
    EXPECT_EQ(fixture.history.texts,
              (std::vector<std::string>{"Erase command ok!!", "Programming Success!!",
                                        "Programming & Compare Success!!"}));
    const auto reads = fixture.Commands("ReadRom");
    ASSERT_EQ(reads.size(), 2U);
    EXPECT_EQ(reads[0].length, kRomSize);
    EXPECT_EQ(reads[1].length, 40000U);
    const auto programs = fixture.Commands("ProgramRom");
    ASSERT_EQ(programs.size(), 1U);
    EXPECT_EQ(programs[0].length, 40000U) << "the image in one transfer";
    EXPECT_EQ(fixture.ui.pendingMessagePasses, 0) << "the window gets no events meanwhile";
}

TEST(InternalRomUpdate, ADeviceThatStaysBusyCostsFiftyThousandPollsPerWait) {
    OlderPathFixture fixture(Device(R"(, "romBusyReads": "always")"));
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    ASSERT_EQ(UpdateInternalRom(fixture.window, fixture.path, 0), 1);
    EXPECT_EQ(fixture.Commands("IsRomBusy").size(), 3U * 50000U)
        << "after the erase, before programming, before the read-back";
    EXPECT_EQ(fixture.Commands("ReadRom").size(), 1U) << "no blank check";
    EXPECT_EQ(fixture.history.texts.front(), "Erase command ok,status fail!!");
}

TEST(InternalRomUpdate, ThePmcPartUsesItsOwnUnlockAddressesInBothSequences) {
    OlderPathFixture fixture(Device(R"(, "parallelFlashPart": 1)"));
    const auto image = PatternImage(40000);
    fixture.emulated.firmware.Add("FW", "FW719", image);
    ASSERT_EQ(UpdateInternalRom(fixture.window, fixture.path, 1), 1);

    const auto sequences = fixture.Commands("LoadRomEraseSequence");
    ASSERT_EQ(sequences.size(), 1U);
    EXPECT_EQ(sequences[0].dataOut,
              (std::vector<std::uint8_t>{0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0x55, 0x05, 0xAA, 0x02,
                                         0x55, 0x05, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}));
    const auto programs = fixture.Commands("ProgramRom");
    ASSERT_EQ(programs.size(), 1U);
    EXPECT_EQ(std::vector<std::uint8_t>(programs[0].cdb.begin() + 3, programs[0].cdb.begin() + 12),
              (std::vector<std::uint8_t>{0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0xAA, 0x55, 0xA0}));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), fixture.Flash().begin()));
}

TEST(InternalRomUpdate, AnA1ChipGetsNoSwitch) {
    OlderPathFixture fixture(Device(R"(, "needsRomSwitch": false)"));
    fixture.window.A1ChipCheck.checked = true;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    EXPECT_EQ(UpdateInternalRom(fixture.window, fixture.path, 0), 1);
    EXPECT_TRUE(fixture.Commands("SwitchToInternalRom").empty());
    EXPECT_EQ(fixture.emulated.bus.Log().front().name, "LoadRomEraseSequence");
}

// ---------------------------------------------------------------------------
// Erase only, reached through the update with "Erase All Flash Only " chosen.

struct RomEraseExit {
    const char* name;
    std::string device;
    std::string status;
    int result;
    FlashAfter flash;
};

class InternalRomEraseExit : public ::testing::TestWithParam<RomEraseExit> {};

TEST_P(InternalRomEraseExit, NeedsNoImageAndEndsWithItsText) {
    const RomEraseExit& row = GetParam();
    OlderPathFixture fixture(row.device);
    fixture.window.EraseOnly = 1;
    const auto old = fixture.Flash();

    EXPECT_EQ(UpdateInternalRom(fixture.window, fixture.path, 0), row.result);

    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    EXPECT_EQ(fixture.Flash(), ExpectedFlash(row.flash, old, {}));
    EXPECT_TRUE(fixture.Commands("ProgramRom").empty());
    if (row.status != "Can't switch to internal ROM") {
        EXPECT_EQ(fixture.emulated.bus.Log().front().name, "SwitchToInternalRom");
        EXPECT_EQ(fixture.history.texts.front(), "Start Erase only!")
            << "no text for a switch that worked";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exits, InternalRomEraseExit,
    ::testing::Values(
        RomEraseExit{"AllErased", Device(), "Erase All success!!", 1, FlashAfter::Erased},
        RomEraseExit{"SwitchRefused", Device(FaultOn("SwitchToInternalRom", 1)),
                     "Can't switch to internal ROM", 0, FlashAfter::Untouched},
        RomEraseExit{"EraseSequenceRefused", Device(FaultOn("LoadRomEraseSequence", 1)),
                     "Error pre-erase command!!", 0, FlashAfter::Untouched},
        // A refused erase is a failure, though the status field has no more to say.
        RomEraseExit{"EraseRefused", Device(FaultOn("StartRomErase", 1)), "Start Erase only!", 0,
                     FlashAfter::Untouched},
        RomEraseExit{"EraseNeverFinishes", Device(R"(, "romBusyReads": "always")"),
                     "Erase command ok,status fail!!", 1, FlashAfter::Erased},
        RomEraseExit{"BlankCheckUnreadable", Device(FaultOn("ReadRom", 1)),
                     "Read Back after Erase fail!!", 1, FlashAfter::Erased},
        RomEraseExit{"EraseDoesNothing", Device(FaultOn("StartRomErase", 1, "ignore")),
                     "Not Erase correctly!", 0, FlashAfter::Untouched}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Backup only.

struct RomBackupExit {
    const char* name;
    std::string extra;
    std::string file;  // inside the scratch directory
    std::string status;
    int result;
};

class InternalRomBackupExit : public ::testing::TestWithParam<RomBackupExit> {};

TEST_P(InternalRomBackupExit, SavesTheWholeFlashOrNothing) {
    const RomBackupExit& row = GetParam();
    OlderPathFixture fixture(Device(row.extra));
    ScratchDirectory scratch;
    fixture.window.BackupFWCheckBox.checked = true;
    fixture.window.BackupFileEdit.text = (scratch.Path() / row.file).string();
    fixture.settings.FirmwareSize = 32768;  // not the length here

    EXPECT_EQ(UpdateInternalRom(fixture.window, fixture.path, 0), row.result);

    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    if (row.result == 1) {
        EXPECT_EQ(ReadWholeFile(scratch.Path() / row.file), fixture.Flash());
    } else {
        EXPECT_TRUE(scratch.Entries().empty());
    }
    EXPECT_TRUE(fixture.ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Exits, InternalRomBackupExit,
    ::testing::Values(RomBackupExit{"Saved", "", "rom.bin", "Read flash and backup success!", 1},
                      RomBackupExit{"SwitchRefused", FaultOn("SwitchToInternalRom", 1), "rom.bin",
                                    "Can't switch to internal ROM", 0},
                      RomBackupExit{"ReadFails", FaultOn("ReadRom", 1), "rom.bin",
                                    "Read ROM fail!!", 0},
                      RomBackupExit{"FolderMissing", "", "missing/rom.bin",
                                    "Read ROM Suceess, but save to file fail!!", 0}),
    [](const auto& param) { return std::string(param.param.name); });

// Both backups of the older paths, with no file name given.
struct DefaultBackup {
    const char* name;
    std::string device;
    int (*backup)(SharedWindowState&, const os::DevicePath&);
    const char* readCommand;
};

class DefaultBackupFile : public ::testing::TestWithParam<DefaultBackup> {};

TEST_P(DefaultBackupFile, SaysSoBeforeReadingAndWritesOldflashBak) {
    ScratchDirectory scratch;
    const CurrentDirectoryGuard inScratch(scratch.Path());
    OlderPathFixture fixture(GetParam().device);
    if (std::string(GetParam().readCommand) == "ReadRom") {
        ASSERT_TRUE(device::SwitchToInternalRom(fixture.platform, fixture.path));
    }

    EXPECT_EQ(GetParam().backup(fixture.window, fixture.path), 1);

    ASSERT_EQ(fixture.ui.messages.size(), 1U);
    EXPECT_EQ(fixture.ui.messages[0].text, "Default backup firmware as OldFalsh.bak!");
    EXPECT_EQ(fixture.ui.messages[0].caption, "Message");
    EXPECT_EQ(fixture.ui.messages[0].icon, os::MessageIcon::None);
    const auto log = fixture.emulated.bus.Log();
    const std::string readCommand = GetParam().readCommand;
    const auto firstRead =
        std::find_if(log.begin(), log.end(),
                     [&readCommand](const auto& command) { return command.name == readCommand; });
    ASSERT_NE(firstRead, log.end());
    EXPECT_LE(fixture.ui.messages[0].commandsBefore,
              static_cast<std::size_t>(firstRead - log.begin()))
        << "the box came before the read";
    const auto saved = ReadWholeFile(scratch.Path() / "oldflash.bak");
    EXPECT_EQ(saved.size(), kRomSize);
    EXPECT_EQ(saved, fixture.Flash());
    EXPECT_EQ(scratch.Entries().size(), 1U) << "nothing else left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DefaultBackupFile,
    ::testing::Values(
        DefaultBackup{"InternalRom", Device(), &BackupInternalRom, "ReadRom"},
        DefaultBackup{
            "ExternalFlash",
            R"({"chip": "kx40712", "flash": {"regions": [{"random": 4, "length": 65536}]}})",
            &BackupExternalFlash, "ReadFlash"}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// The busy wait.

struct IdleCase {
    const char* name;
    std::string busyReads;
    bool idle;
    std::size_t polls;
};

class WaitRomIdleBound : public ::testing::TestWithParam<IdleCase> {};

TEST_P(WaitRomIdleBound, GivesUpAfterFiftyThousandPolls) {
    OlderPathFixture fixture(Device(R"(, "romBusyReads": )" + GetParam().busyReads));
    const os::Platform& p = fixture.platform;
    ASSERT_TRUE(device::SwitchToInternalRom(p, fixture.path));
    ASSERT_TRUE(device::LoadRomEraseSequence(p, fixture.path, 0));
    ASSERT_TRUE(device::StartRomErase(p, fixture.path));
    EXPECT_EQ(WaitRomIdle(p, fixture.path), GetParam().idle);
    EXPECT_EQ(fixture.Commands("IsRomBusy").size(), GetParam().polls);
    EXPECT_EQ(fixture.emulated.clock.Now(), std::chrono::milliseconds(0)) << "no pauses";
}

INSTANTIATE_TEST_SUITE_P(Bounds, WaitRomIdleBound,
                         ::testing::Values(IdleCase{"IdleAtOnce", "0", true, 1},
                                           IdleCase{"IdleOnTheLastPoll", "49999", true, 50000},
                                           IdleCase{"BusyOnTheLastPoll", "50000", false, 50000},
                                           IdleCase{"AlwaysBusy", "\"always\"", false, 50000}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(WaitRomIdle, AnUnreachableDeviceCountsAsBusy) {
    OlderPathFixture fixture(Device(R"(, "faults": [{"command": "IsRomBusy", "occurrence": 0}])"));
    EXPECT_FALSE(WaitRomIdle(fixture.platform, fixture.path));
    EXPECT_EQ(fixture.Commands("IsRomBusy").size(), 50000U);
}

}  // namespace
}  // namespace kxt::app
