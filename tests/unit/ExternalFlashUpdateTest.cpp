#include "app/ExternalFlashUpdate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/OlderPathFixture.h"

namespace kxt::app {
namespace {

using testing::OlderPathFixture;
using testing::PatternImage;
using testing::ReadWholeFile;
using testing::ScratchDirectory;

constexpr std::size_t kFlashSize = 65536;

// An external-flash chip whose flash holds old firmware; `extra` adds scenario keys.
std::string Device(const std::string& part, const std::string& extra = "",
                   std::size_t flashSize = kFlashSize) {
    return R"({"chip": "kx40712", "flash": {"part": ")" + part + R"(", "size": )" +
           std::to_string(flashSize) + R"(, "regions": [{"random": 7, "length": )" +
           std::to_string(flashSize) + "}]}" + extra + "}";
}

std::string FaultOn(const std::string& command, int occurrence, const std::string& kind = "fail",
                    bool onwards = false) {
    return R"(, "faults": [{"kind": ")" + kind + R"(", "command": ")" + command +
           R"(", "occurrence": )" + std::to_string(occurrence) +
           (onwards ? R"(, "onwards": true)" : "") + "}]";
}

// The image as written: its pages filled up with erased bytes.
std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> image, std::size_t rounded) {
    image.resize(rounded, 0xFF);
    return image;
}

void EraseRange(std::vector<std::uint8_t>& flash, std::size_t from, std::size_t to) {
    std::fill(flash.begin() + static_cast<std::ptrdiff_t>(from),
              flash.begin() + static_cast<std::ptrdiff_t>(to), 0xFF);
}

// ---------------------------------------------------------------------------
// Every exit of the update, with what it leaves in the flash.

enum class FlashAfter {
    Untouched,
    Erased,
    LowerHalfErased,         // the 32 KB at 0 erased, the rest old
    AllButFirstSmallSector,  // AMIC: everything from 0x1000 erased
    BelowF000Erased,         // AMIC: everything below 0xF000 erased
    FirstPageOnly,           // erased, then the first page written
    Image,
    ImageWithoutSecondPage,
};

struct UpdateExit {
    const char* name;
    std::string device;
    std::string status;
    int result;
    FlashAfter flash;
    int amicLayout = -1;
    std::size_t imageSize = 40000;  // 16 KB pages: 3 pages, 49,152 bytes
    bool imageEmbedded = true;
    std::uint32_t pageSize = 16384;
    std::string shownOnTheWay = "";  // a status text that must have shown before the last
};

std::vector<std::uint8_t> ExpectedFlash(FlashAfter after, const std::vector<std::uint8_t>& old,
                                        const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> flash = old;
    switch (after) {
        case FlashAfter::Untouched:
            break;
        case FlashAfter::Erased:
            EraseRange(flash, 0, kFlashSize);
            break;
        case FlashAfter::LowerHalfErased:
            EraseRange(flash, 0, 0x8000);
            break;
        case FlashAfter::AllButFirstSmallSector:
            EraseRange(flash, 0x1000, kFlashSize);
            break;
        case FlashAfter::BelowF000Erased:
            EraseRange(flash, 0, 0xF000);
            break;
        case FlashAfter::FirstPageOnly:
            EraseRange(flash, 0, kFlashSize);
            std::copy_n(image.begin(), 16384, flash.begin());
            break;
        case FlashAfter::Image:
            EraseRange(flash, 0, kFlashSize);
            std::copy(image.begin(), image.end(), flash.begin());
            break;
        case FlashAfter::ImageWithoutSecondPage:
            EraseRange(flash, 0, kFlashSize);
            std::copy(image.begin(), image.end(), flash.begin());
            EraseRange(flash, 16384, 32768);
            break;
    }
    return flash;
}

class ExternalFlashUpdateExit : public ::testing::TestWithParam<UpdateExit> {};

TEST_P(ExternalFlashUpdateExit, EndsWithItsTextAndLeavesItsFlash) {
    const UpdateExit& row = GetParam();
    OlderPathFixture fixture(row.device);
    fixture.window.RdCheckBox.checked = false;
    fixture.window.AmicLayoutCode = row.amicLayout;
    fixture.settings.TransferPageSize = row.pageSize;
    const auto image = PatternImage(row.imageSize);
    if (row.imageEmbedded) {
        fixture.emulated.firmware.Add("FW", "FW719", image);
    }
    const auto old = fixture.Flash();

    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), row.result);

    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    EXPECT_EQ(fixture.Flash(), ExpectedFlash(row.flash, old, image));
    if (!row.shownOnTheWay.empty()) {
        EXPECT_NE(std::find(fixture.history.texts.begin(), fixture.history.texts.end() - 1,
                            row.shownOnTheWay),
                  fixture.history.texts.end() - 1);
    }
    if (row.status == "Load defaut Fw file Error!!") {
        EXPECT_TRUE(fixture.emulated.bus.Log().empty()) << "nothing was sent to the device";
    }
    EXPECT_TRUE(fixture.ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Exits, ExternalFlashUpdateExit,
    ::testing::Values(
        UpdateExit{"NoImage", Device("MXIC"), "Load defaut Fw file Error!!", 0,
                   FlashAfter::Untouched, -1, 40000, false},
        UpdateExit{"EmptyImage", Device("MXIC"), "Load defaut Fw file Error!!", 0,
                   FlashAfter::Untouched, -1, 0},
        UpdateExit{"ImageNeedsMoreThan255Pages", Device("MXIC"),
                   "Fw file too large for this page size!!", 0, FlashAfter::Untouched, -1,
                   255 * 2048 + 1, true, 2048},
        UpdateExit{"AmicLayoutNotSupported", Device("AMIC-UNSUPPORTED"),
                   "Not Support this AMIC Flash Type!!", 0, FlashAfter::Untouched, 2},
        UpdateExit{"FirstEraseRefused", Device("MXIC", FaultOn("EraseFlashSector", 1)),
                   "Erase command fail!!", 0, FlashAfter::Untouched},
        UpdateExit{"UpperEraseRefused", Device("MXIC", FaultOn("EraseFlashSector", 2)),
                   "Erase command fail!!", 0, FlashAfter::LowerHalfErased},
        UpdateExit{"ChipEraseRefused", Device("MXIC", FaultOn("EraseFlashChip", 1)),
                   "Erase command fail!!", 0, FlashAfter::Untouched, -1, 70000},
        UpdateExit{"AmicUpperSectorRefused", Device("AMIC-L1", FaultOn("EraseFlashSector", 5)),
                   "Erase command fail!!", 0, FlashAfter::BelowF000Erased, 1},
        // The initial wait and the wait after the first erase both run out (503 reads each).
        UpdateExit{"BusyAfterEraseGoesOn", Device("MXIC", R"(, "busyStatusReads": 1006)"),
                   "Programming Success!!", 1, FlashAfter::Image, -1, 40000, true, 16384,
                   "Not ready after Erase flash success"},
        UpdateExit{"BlankCheckReadFails", Device("MXIC", FaultOn("ReadFlash", 1)),
                   "Read Back Erased Flash Error!!", 0, FlashAfter::Erased},
        UpdateExit{"UpperHalfNotErased", Device("MXIC", FaultOn("EraseFlashSector", 2, "ignore")),
                   "Data not 0xff !!", 0, FlashAfter::LowerHalfErased},
        UpdateExit{"AmicFirstSectorRefusedIsPassedOver",
                   Device("AMIC-L1", FaultOn("EraseFlashSector", 1)), "Data not 0xff !!", 0,
                   FlashAfter::AllButFirstSmallSector, 1},
        UpdateExit{"SecondPageWriteFails", Device("MXIC", FaultOn("WriteFlash", 2)),
                   "Programming Fail!!", 0, FlashAfter::FirstPageOnly},
        UpdateExit{"FinalReadFails", Device("MXIC", FaultOn("ReadFlash", 2)), "Read Fail!!\r\n", 0,
                   FlashAfter::Image},
        UpdateExit{"ReadBackDiffers", Device("MXIC", FaultOn("WriteFlash", 2, "ignore")),
                   "Compare Fail!!\r\n\r\n", 0, FlashAfter::ImageWithoutSecondPage},
        UpdateExit{"AllStepsPass", Device("MXIC"), "Programming Success!!", 1, FlashAfter::Image}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ExternalFlashUpdate, ADeviceNotReadyAtTheStartOnlyLeavesATrace) {
    OlderPathFixture fixture(Device("MXIC", R"(, "busyStatusReads": 503)"));
    fixture.window.AmicLayoutCode = -1;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.ui.traces, std::vector<std::string>{"0.1 Device initial not ready!!"});
}

// ---------------------------------------------------------------------------
// The erase plan by AMIC layout and image size.

struct ErasePlan {
    const char* name;
    std::string part;
    int amicLayout;
    std::size_t imageSize;
    std::size_t flashSize;
    std::size_t rounded;  // the image in whole 16 KB pages
    std::vector<std::uint32_t> sectorErases;
    std::size_t chipErases;
};

class ExternalFlashErasePlan : public ::testing::TestWithParam<ErasePlan> {};

TEST_P(ExternalFlashErasePlan, ErasesWhatTheImageNeedsAndProgramsIt) {
    const ErasePlan& row = GetParam();
    OlderPathFixture fixture(Device(row.part, "", row.flashSize));
    fixture.window.AmicLayoutCode = row.amicLayout;
    const auto image = PatternImage(row.imageSize);
    fixture.emulated.firmware.Add("FW", "FW719", image);

    ASSERT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1)
        << fixture.window.StatusEdit.text;

    EXPECT_EQ(fixture.AddressesOf("EraseFlashSector"), row.sectorErases);
    EXPECT_EQ(fixture.Commands("EraseFlashChip").size(), row.chipErases);
    const auto flash = fixture.Flash();
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + static_cast<std::ptrdiff_t>(row.rounded),
                           Padded(image, row.rounded).begin()));
    const auto reads = fixture.Commands("ReadFlash");
    ASSERT_EQ(reads.size(), 2U) << "one blank check, one read-back";
    EXPECT_EQ(reads[0].length, row.rounded);
    EXPECT_EQ(reads[1].length, row.rounded);
    const auto writes = fixture.Commands("WriteFlash");
    ASSERT_EQ(writes.size(), row.rounded / 16384);
    for (std::size_t k = 0; k < writes.size(); ++k) {
        EXPECT_EQ(testing::FlashAddress(writes[k]), k * 16384);
        EXPECT_EQ(writes[k].length, 16384U);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plans, ExternalFlashErasePlan,
    ::testing::Values(
        ErasePlan{"NotAmic32K", "MXIC", -1, 32768, kFlashSize, 32768, {0x0000}, 0},
        ErasePlan{"NotAmic40000", "MXIC", -1, 40000, kFlashSize, 49152, {0x0000, 0x8000}, 0},
        ErasePlan{
            "AmicLayout4LikeNotAmic", "AMIC-L4", 4, 40000, kFlashSize, 49152, {0x0000, 0x8000}, 0},
        ErasePlan{"UnsupportedAmicPartLikeNotAmic",
                  "AMIC-UNSUPPORTED",
                  -1,
                  40000,
                  kFlashSize,
                  49152,
                  {0x0000, 0x8000},
                  0},
        ErasePlan{"AmicLayout1At32K",
                  "AMIC-L1",
                  1,
                  32768,
                  kFlashSize,
                  32768,
                  {0x0000, 0x1000, 0x3000, 0x7000},
                  0},
        ErasePlan{"AmicLayout1At40000",
                  "AMIC-L1",
                  1,
                  40000,
                  kFlashSize,
                  49152,
                  {0x0000, 0x1000, 0x3000, 0x7000, 0xF000},
                  0},
        ErasePlan{"AmicLayout3At40000",
                  "AMIC-L3",
                  3,
                  40000,
                  kFlashSize,
                  49152,
                  {0x0000, 0x1000, 0x3000, 0x7000, 0xF000},
                  0},
        ErasePlan{"AmicLayout5At40000",
                  "AMIC-L5",
                  5,
                  40000,
                  kFlashSize,
                  49152,
                  {0x0000, 0x1000, 0x3000, 0x7000, 0xF000},
                  0},
        ErasePlan{"Over64KErasesTheChip", "MXIC", -1, 70000, 131072, 81920, {}, 1},
        ErasePlan{"Over64KEvenForAmic", "AMIC-L1", 1, 70000, 131072, 81920, {}, 1},
        ErasePlan{"Over64KEvenForAnUnknownLayout", "MXIC", 2, 70000, 131072, 81920, {}, 1}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ExternalFlashUpdate, PausesAfterEachEraseAndBeforeTheReadBack) {
    OlderPathFixture fixture(Device("MXIC"));
    fixture.window.AmicLayoutCode = -1;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    ASSERT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    const auto erases = fixture.Commands("EraseFlashSector");
    const auto reads = fixture.Commands("ReadFlash");
    const auto writes = fixture.Commands("WriteFlash");
    EXPECT_GE(erases[1].time - erases[0].time, std::chrono::milliseconds(500));
    EXPECT_GE(reads[0].time - erases[1].time, std::chrono::milliseconds(500));
    EXPECT_GE(reads[1].time - writes.back().time, std::chrono::milliseconds(1000));
}

// ---------------------------------------------------------------------------
// Progress and status dots.

struct ProgressCase {
    const char* name;
    bool shown;
    int start;
    int amicLayout;
    std::size_t imageSize;
    int end;
};

class ExternalFlashProgress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ExternalFlashProgress, AdvancesByItsStepsAndStopsAtAHundred) {
    const ProgressCase& row = GetParam();
    OlderPathFixture fixture(Device(row.amicLayout == -1 ? "MXIC" : "AMIC-L1"));
    fixture.window.AmicLayoutCode = row.amicLayout;
    fixture.window.FwUpdatBar.shown = row.shown;
    fixture.window.FwUpdatBar.position = row.start;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(row.imageSize));
    ASSERT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.window.FwUpdatBar.position, row.end);
}

// Erase 10 (not for AMIC), blank check 5, programming 10, 10 per page, written 20,
// read back 10, end 10.
INSTANTIATE_TEST_SUITE_P(
    Steps, ExternalFlashProgress,
    ::testing::Values(ProgressCase{"OnePage", true, 0, -1, 16384, 75},
                      ProgressCase{"ThreePages", true, 0, -1, 40000, 95},
                      ProgressCase{"AmicHasNoEraseStep", true, 0, 1, 40000, 85},
                      ProgressCase{"NeverPastAHundred", true, 20, -1, 40000, 100},
                      ProgressCase{"HiddenBarStaysPut", false, 0, -1, 40000, 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ExternalFlashUpdate, AppendsOneDotPerPageToTheTextItFound) {
    OlderPathFixture fixture(Device("MXIC"));
    fixture.window.AmicLayoutCode = -1;
    fixture.window.StatusEdit.text = "Before";
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    ASSERT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.history.texts, (std::vector<std::string>{"Before.", "Before..", "Before...",
                                                               "Programming Success!!"}));
    EXPECT_GE(fixture.ui.pendingMessagePasses, 4) << "after each page and the final text";
}

TEST(ExternalFlashUpdate, TheFailedPageGetsNoDot) {
    OlderPathFixture fixture(Device("MXIC", FaultOn("WriteFlash", 3)));
    fixture.window.AmicLayoutCode = -1;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(40000));
    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 0);
    EXPECT_EQ(fixture.history.texts, (std::vector<std::string>{".", "..", "Programming Fail!!"}));
}

// ---------------------------------------------------------------------------
// Branch selection.

TEST(ExternalFlashUpdate, EraseOnlyWinsOverBackupAndEndsWithThePowerCycleBox) {
    OlderPathFixture fixture(Device("MXIC"));
    ScratchDirectory scratch;
    fixture.window.EraseOnly = 1;
    fixture.window.BackupFWCheckBox.checked = true;
    fixture.window.BackupFileEdit.text = (scratch.Path() / "backup.bin").string();

    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);

    EXPECT_EQ(fixture.window.StatusEdit.text, "Erase flash all success!");
    ASSERT_EQ(fixture.ui.messages.size(), 1U);
    EXPECT_EQ(fixture.ui.messages[0].text, "Please Turn-Off the Power and Turn-On Again!");
    EXPECT_EQ(fixture.ui.messages[0].caption, "Message");
    EXPECT_EQ(fixture.ui.messages[0].icon, os::MessageIcon::None);
    EXPECT_TRUE(scratch.Entries().empty()) << "no backup was made";
    EXPECT_EQ(fixture.Flash(), std::vector<std::uint8_t>(kFlashSize, 0xFF));
}

TEST(ExternalFlashUpdate, AFailedEraseOnlyShowsNoBox) {
    OlderPathFixture fixture(Device("MXIC", FaultOn("EraseFlashSector", 1)));
    fixture.window.EraseOnly = 1;
    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 0);
    EXPECT_EQ(fixture.window.StatusEdit.text, "Erase command fail!!");
    EXPECT_TRUE(fixture.ui.messages.empty());
}

TEST(ExternalFlashUpdate, WithoutRdVersionTheChoicesAreIgnoredAndTheImageIsProgrammed) {
    OlderPathFixture fixture(Device("MXIC"));
    fixture.window.RdCheckBox.checked = false;
    fixture.window.EraseOnly = 1;
    fixture.window.BackupFWCheckBox.checked = true;
    fixture.window.AmicLayoutCode = -1;
    fixture.emulated.firmware.Add("FW", "FW719", PatternImage(32768));
    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.window.StatusEdit.text, "Programming Success!!");
    EXPECT_EQ(fixture.Commands("WriteFlash").size(), 2U);
}

TEST(ExternalFlashUpdate, BackupOnlyWithRdVersion) {
    OlderPathFixture fixture(Device("MXIC"));
    ScratchDirectory scratch;
    fixture.window.BackupFWCheckBox.checked = true;
    fixture.window.BackupFileEdit.text = (scratch.Path() / "backup.bin").string();
    EXPECT_EQ(UpdateExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.window.StatusEdit.text, "Read flash and backup success!");
    EXPECT_EQ(ReadWholeFile(scratch.Path() / "backup.bin"), fixture.Flash());
}

// ---------------------------------------------------------------------------
// Erase only.

struct EraseExit {
    const char* name;
    std::string device;
    std::string status;
    int result;
    std::vector<std::pair<std::size_t, std::size_t>> erased;  // ranges that read 0xFF after
    std::uint32_t firmwareSize = 65536;
};

class ExternalFlashEraseExit : public ::testing::TestWithParam<EraseExit> {};

TEST_P(ExternalFlashEraseExit, EndsWithItsTextAndLeavesItsFlash) {
    const EraseExit& row = GetParam();
    OlderPathFixture fixture(row.device);
    fixture.settings.FirmwareSize = row.firmwareSize;
    auto expected = fixture.Flash();
    for (const auto& [from, to] : row.erased) {
        EraseRange(expected, from, to);
    }
    EXPECT_EQ(EraseExternalFlash(fixture.window, fixture.path), row.result);
    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    EXPECT_EQ(fixture.Flash(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Exits, ExternalFlashEraseExit,
    ::testing::Values(
        EraseExit{"AllErased", Device("MXIC"), "Erase flash all success!", 1, {{0, kFlashSize}}},
        EraseExit{"ThirtyTwoKilobytes",
                  Device("MXIC"),
                  "Erase flash all success!",
                  1,
                  {{0, 0x8000}},
                  32768},
        EraseExit{"ThirdPageRefused",
                  Device("MXIC", FaultOn("EraseFlashSector", 3)),
                  "Erase command fail!!",
                  0,
                  {{0, 0x8000}}},
        EraseExit{"NothingToErase", Device("MXIC"), "Erase command fail!!", 0, {}, 0},
        EraseExit{"BusyThroughoutGoesOn",
                  Device("MXIC", R"(, "busyStatusReads": "always")"),
                  "Erase flash all success!",
                  1,
                  {{0, kFlashSize}}},
        EraseExit{"BlankCheckUnreadableCountsAsErased",
                  Device("MXIC", FaultOn("ReadFlash", 1)),
                  "Erase flash all success!",
                  1,
                  {{0, kFlashSize}}},
        EraseExit{"UpperPagesIgnored",
                  Device("MXIC", FaultOn("EraseFlashSector", 3, "ignore", true)),
                  "Data not 0xff !!",
                  0,
                  {{0, 0x8000}}},
        // Pages of 16 KB over small sectors: only the sector at each page start goes.
        EraseExit{"SmallSectorsUnderLargePages",
                  Device("AMIC-L1"),
                  "Data not 0xff !!",
                  0,
                  {{0x0000, 0x1000}, {0x3000, 0x7000}, {0x7000, 0xF000}}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ExternalFlashErase, ShowsADotPerPageAfterItsTexts) {
    OlderPathFixture fixture(Device("MXIC"));
    ASSERT_EQ(EraseExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(
        fixture.history.texts,
        (std::vector<std::string>{"Start Erase only!", "Erase...", "Erase....", "Erase.....",
                                  "Erase......", "Erase.......", "Erase flash all success!"}));
    EXPECT_EQ(fixture.AddressesOf("EraseFlashSector"),
              (std::vector<std::uint32_t>{0x0000, 0x4000, 0x8000, 0xC000}));
}

TEST(ExternalFlashErase, ABusyFlashIsReportedAndTraced) {
    OlderPathFixture fixture(Device("MXIC", R"(, "busyStatusReads": "always")"));
    fixture.settings.FirmwareSize = 32768;
    ASSERT_EQ(EraseExternalFlash(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.ui.traces, (std::vector<std::string>{"0.1 Device initial not ready!!",
                                                           "Not ready after Erase flash success",
                                                           "Not ready after Erase flash success"}));
    EXPECT_NE(std::find(fixture.history.texts.begin(), fixture.history.texts.end(),
                        "Not ready after Erase flash cmd success"),
              fixture.history.texts.end());
}

TEST(EraseFlashPages, ErasesAtEveryPageStartAndFailsWithoutPages) {
    OlderPathFixture fixture(Device("MXIC"));
    fixture.settings.TransferPageSize = 8192;
    EXPECT_EQ(EraseFlashPages(fixture.window, fixture.path, 20000), 1);
    EXPECT_EQ(fixture.AddressesOf("EraseFlashSector"),
              (std::vector<std::uint32_t>{0x0000, 0x2000, 0x4000}));
    EXPECT_EQ(fixture.window.StatusEdit.text, "Erase......");
    EXPECT_EQ(EraseFlashPages(fixture.window, fixture.path, 0), 0);
    fixture.settings.TransferPageSize = 0;
    EXPECT_EQ(EraseFlashPages(fixture.window, fixture.path, 20000), 0);
    EXPECT_EQ(fixture.AddressesOf("EraseFlashSector").size(), 3U);
}

// ---------------------------------------------------------------------------
// Backup.

TEST(ExternalFlashBackup, SavesFirmwareSizeBytesWithoutAsking) {
    OlderPathFixture fixture(Device("MXIC"));
    ScratchDirectory scratch;
    fixture.settings.FirmwareSize = 32768;
    fixture.window.BackupFileEdit.text = (scratch.Path() / "old.bin").string();
    EXPECT_EQ(BackupExternalFlash(fixture.window, fixture.path), 1);
    const auto flash = fixture.Flash();
    EXPECT_EQ(ReadWholeFile(scratch.Path() / "old.bin"),
              std::vector<std::uint8_t>(flash.begin(), flash.begin() + 32768));
    EXPECT_EQ(fixture.history.texts,
              (std::vector<std::string>{"Backup ...", "Read flash and backup success!"}));
    EXPECT_TRUE(fixture.ui.messages.empty());
}

struct BackupExit {
    const char* name;
    std::string extra;
    std::string file;  // inside the scratch directory
    std::string status;
};

class ExternalFlashBackupExit : public ::testing::TestWithParam<BackupExit> {};

TEST_P(ExternalFlashBackupExit, LeavesNoFileBehind) {
    const BackupExit& row = GetParam();
    OlderPathFixture fixture(Device("MXIC", row.extra));
    ScratchDirectory scratch;
    std::filesystem::create_directory(scratch.Path() / "folder");
    fixture.window.BackupFileEdit.text = (scratch.Path() / row.file).string();
    EXPECT_EQ(BackupExternalFlash(fixture.window, fixture.path), 0);
    EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
    EXPECT_EQ(scratch.Entries(), std::vector<std::filesystem::path>{scratch.Path() / "folder"});
    EXPECT_TRUE(std::filesystem::is_empty(scratch.Path() / "folder"));
}

INSTANTIATE_TEST_SUITE_P(Exits, ExternalFlashBackupExit,
                         ::testing::Values(BackupExit{"ReadFails", FaultOn("ReadFlash", 1),
                                                      "old.bin", "Read Back to Backup Error!!"},
                                           BackupExit{"FolderMissing", "", "missing/old.bin",
                                                      "Open Backup File Error!!"},
                                           BackupExit{"NameIsAFolder", "", "folder",
                                                      "Open Backup File Error!!"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kxt::app
