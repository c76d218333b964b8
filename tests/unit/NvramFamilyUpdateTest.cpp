#include "app/NvramFamilyUpdate.h"

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
constexpr std::size_t kNvramSize = 4096;

std::string Device(const std::string& chip, const std::string& extra = "") {
    return R"({"chip": ")" + chip +
           R"(", "flash": {"regions": [{"random": 11, "length": 65536}]})" + extra + "}";
}

std::string FaultOn(const std::string& command, int occurrence, const std::string& kind = "fail") {
    return R"(, "faults": [{"kind": ")" + kind + R"(", "command": ")" + command +
           R"(", "occurrence": )" + std::to_string(occurrence) + "}]";
}

// The device's own first 4 KB, the resource's bytes after them, zeros up to
// `imageSize`.
std::vector<std::uint8_t> ExpectedImage(const std::vector<std::uint8_t>& oldFlash,
                                        const std::vector<std::uint8_t>& resource,
                                        std::size_t imageSize) {
    std::vector<std::uint8_t> image(imageSize, 0x00);
    std::copy_n(oldFlash.begin(), kNvramSize, image.begin());
    for (std::size_t i = kNvramSize; i < resource.size(); ++i) {
        image[i] = resource[i];
    }
    return image;
}

void Overlay(std::vector<std::uint8_t>& flash, std::size_t from, std::size_t to,
             std::uint8_t value) {
    std::fill(flash.begin() + static_cast<std::ptrdiff_t>(from),
              flash.begin() + static_cast<std::ptrdiff_t>(to), value);
}

std::vector<std::filesystem::path> NvramCopies(const ScratchDirectory& scratch) {
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : scratch.Entries()) {
        const std::string name = entry.filename().string();
        if (name.starts_with("nvram-") && name.ends_with(".bak")) {
            copies.push_back(entry);
        }
    }
    return copies;
}

// A chip of the NVRAM family with its backups going to a scratch directory.
struct NvramFixture : OlderPathFixture {
    explicit NvramFixture(const std::string& device) : OlderPathFixture(device) {
        window.BackupFileEdit.text = (scratch.Path() / "backup.bin").string();
        oldFlash = Flash();
    }
    ScratchDirectory scratch;
    std::vector<std::uint8_t> oldFlash;
};

// ---------------------------------------------------------------------------
// The image layout.

struct LayoutCase {
    const char* name;
    std::size_t resourceSize;
    std::size_t imageSize;  // the resource raised to 16 KB and rounded to 16 KB
    std::vector<std::uint32_t> erases;
    std::size_t blankCheckReads;
    std::size_t blocks;
};

class NvramFamilyLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(NvramFamilyLayout, PutsTheDevicesSettingsInFrontOfTheResource) {
    const LayoutCase& row = GetParam();
    NvramFixture fixture(Device("kxr741"));
    fixture.window.StatusEdit.text = "Earlier";
    const auto resource = PatternImage(row.resourceSize, 5);
    fixture.emulated.firmware.Add("FW", "FW741A", resource);

    ASSERT_EQ(UpdateNvramFamily(fixture.window, fixture.path), 1);

    auto expected = fixture.oldFlash;
    const std::size_t erasedEnd = row.erases.size() * 32768;
    Overlay(expected, 0, erasedEnd, 0xFF);
    const auto image = ExpectedImage(fixture.oldFlash, resource, row.imageSize);
    std::copy(image.begin(), image.end(), expected.begin());
    EXPECT_EQ(fixture.Flash(), expected);

    EXPECT_EQ(fixture.AddressesOf("EraseFlashSector"), row.erases);
    std::vector<std::uint32_t> writes;
    for (std::size_t b = 0; b < row.blocks; ++b)
        writes.push_back(static_cast<std::uint32_t>(b * 16384));
    EXPECT_EQ(fixture.AddressesOf("WriteFlash"), writes);
    EXPECT_EQ(fixture.Commands("ReadFlash").size(), 1 + row.blankCheckReads + row.blocks);
    EXPECT_EQ(fixture.window.StatusEdit.text, "Earlier") << "success sets no text";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NvramFamilyLayout,
    ::testing::Values(LayoutCase{"SmallResource", 10000, 16384, {0}, 2, 1},
                      LayoutCase{"ResourceBelowTheNvram", 3000, 16384, {0}, 2, 1},
                      LayoutCase{"FortyThousandBytes", 40000, 49152, {0, 32768}, 4, 3}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(NvramFamilyUpdate, KeepsTheNvramCopyOnDiskUnderANewNameEachTime) {
    NvramFixture fixture(Device("kxr741"));
    fixture.emulated.firmware.Add("FW", "FW741A", PatternImage(10000));
    ASSERT_EQ(UpdateNvramFamily(fixture.window, fixture.path), 1);
    ASSERT_EQ(UpdateNvramFamily(fixture.window, fixture.path), 1);
    const auto copies = NvramCopies(fixture.scratch);
    ASSERT_EQ(copies.size(), 2U);
    const std::vector<std::uint8_t> nvram(fixture.oldFlash.begin(),
                                          fixture.oldFlash.begin() + kNvramSize);
    EXPECT_EQ(ReadWholeFile(copies[0]), nvram);
    EXPECT_EQ(ReadWholeFile(copies[1]), nvram);
}

// ---------------------------------------------------------------------------
// The image by chip revision.

struct RevisionCase {
    const char* name;
    std::string device;
    std::vector<std::string> images;  // embedded "FW" images
    int result;
};

class NvramFamilyRevision : public ::testing::TestWithParam<RevisionCase> {};

TEST_P(NvramFamilyRevision, TakesTheImageOfItsRevisionOrErasesNothing) {
    const RevisionCase& row = GetParam();
    NvramFixture fixture(row.device);
    fixture.window.StatusEdit.text = "Earlier";
    for (const std::string& name : row.images) {
        fixture.emulated.firmware.Add("FW", name, PatternImage(10000));
    }
    EXPECT_EQ(UpdateNvramFamily(fixture.window, fixture.path), row.result);
    EXPECT_EQ(fixture.window.StatusEdit.text, "Earlier");
    if (row.result == 0) {
        EXPECT_EQ(fixture.Flash(), fixture.oldFlash);
        EXPECT_TRUE(fixture.Commands("EraseFlashSector").empty());
        EXPECT_EQ(fixture.Commands("ReadFlash").size(), 1U) << "only the first 4 KB were read";
        EXPECT_TRUE(fixture.scratch.Entries().empty()) << "nothing to keep on disk";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, NvramFamilyRevision,
    ::testing::Values(RevisionCase{"FirstRevisionTakesA", Device("kxr741"), {"FW741A"}, 1},
                      RevisionCase{"SecondRevisionTakesB", Device("kxr741-rev2"), {"FW741B"}, 1},
                      RevisionCase{"SecondRevisionWithoutB", Device("kxr741-rev2"), {"FW741A"}, 0},
                      RevisionCase{"FirstRevisionWithoutA", Device("kxr741"), {"FW741B"}, 0},
                      RevisionCase{"NoImagesAtAll", Device("kxr741"), {}, 0},
                      RevisionCase{"ThirdRevisionHasNone",
                                   Device("kxr741", R"(, "chipInfo": "k741N2")"),
                                   {"FW741A", "FW741B"},
                                   0},
                      RevisionCase{
                          "AnotherChipHasNone", Device("kx40712"), {"FW741A", "FW741B"}, 0}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Every exit, with the flash it leaves and the copy of the device's settings.

enum class FlashAfter { Untouched, FirstBlockErased, AllErased, FirstTransferWritten };

struct NvramExit {
    const char* name;
    std::string device;
    std::string status;  // before the name of the saved copy, if one was saved
    FlashAfter flash;
    bool copySaved;
    bool backupFolderMissing = false;
};

class NvramFamilyExit : public ::testing::TestWithParam<NvramExit> {};

TEST_P(NvramFamilyExit, FailsAndKeepsTheSettingsOnDiskOnceErasingHasBegun) {
    const NvramExit& row = GetParam();
    NvramFixture fixture(row.device);
    const auto missingFolder = fixture.scratch.Path() / "missing";
    if (row.backupFolderMissing) {
        fixture.window.BackupFileEdit.text = (missingFolder / "b.bin").string();
    }
    const auto resource = PatternImage(40000, 9);  // three 16 KB transfers, two 32 KB erases
    fixture.emulated.firmware.Add("FW", "FW741A", resource);

    EXPECT_EQ(UpdateNvramFamily(fixture.window, fixture.path), 0);

    auto expected = fixture.oldFlash;
    switch (row.flash) {
        case FlashAfter::Untouched:
            break;
        case FlashAfter::FirstBlockErased:
            Overlay(expected, 0, 32768, 0xFF);
            break;
        case FlashAfter::AllErased:
            Overlay(expected, 0, kFlashSize, 0xFF);
            break;
        case FlashAfter::FirstTransferWritten: {
            Overlay(expected, 0, kFlashSize, 0xFF);
            const auto image = ExpectedImage(fixture.oldFlash, resource, 49152);
            std::copy_n(image.begin(), 16384, expected.begin());
            break;
        }
    }
    EXPECT_EQ(fixture.Flash(), expected);

    const auto copies = NvramCopies(fixture.scratch);
    if (!row.copySaved) {
        EXPECT_TRUE(copies.empty());
        if (row.backupFolderMissing) {
            // The name it was meant to have follows the folder.
            EXPECT_TRUE(
                fixture.window.StatusEdit.text.starts_with(row.status + missingFolder.string()))
                << fixture.window.StatusEdit.text;
        } else {
            EXPECT_EQ(fixture.window.StatusEdit.text, row.status);
        }
        return;
    }
    ASSERT_EQ(copies.size(), 1U);
    const std::string savedAs = "NVRAM saved as " + copies[0].string();
    EXPECT_EQ(fixture.window.StatusEdit.text,
              row.status.empty() ? savedAs : row.status + " " + savedAs);
    EXPECT_EQ(
        ReadWholeFile(copies[0]),
        std::vector<std::uint8_t>(fixture.oldFlash.begin(), fixture.oldFlash.begin() + kNvramSize))
        << "byte for byte the device's first 4 KB";
}

INSTANTIATE_TEST_SUITE_P(
    Exits, NvramFamilyExit,
    ::testing::Values(
        NvramExit{"SettingsUnreadable", Device("kxr741", FaultOn("ReadFlash", 1)),
                  "Backup NVRAM command fail!", FlashAfter::Untouched, false},
        NvramExit{"CopyCannotBeSaved", Device("kxr741"),
                  "Save NVRAM to file fail!! Nothing erased: ", FlashAfter::Untouched, false, true},
        NvramExit{"FirstEraseRefused", Device("kxr741", FaultOn("EraseFlashSector", 1)), "",
                  FlashAfter::Untouched, true},
        NvramExit{"SecondEraseRefused", Device("kxr741", FaultOn("EraseFlashSector", 2)), "",
                  FlashAfter::FirstBlockErased, true},
        NvramExit{"BlankCheckUnreadable", Device("kxr741", FaultOn("ReadFlash", 2)), "",
                  FlashAfter::FirstBlockErased, true},
        NvramExit{"SecondBlockNotErased",
                  Device("kxr741", FaultOn("EraseFlashSector", 2, "ignore")), "",
                  FlashAfter::FirstBlockErased, true},
        NvramExit{"FirstWriteRefused", Device("kxr741", FaultOn("WriteFlash", 1)),
                  "Write command fail!", FlashAfter::AllErased, true},
        NvramExit{"SecondWriteRefused", Device("kxr741", FaultOn("WriteFlash", 2)),
                  "Write command fail!", FlashAfter::FirstTransferWritten, true},
        // Reads: the settings, four blank checks, then the first verify.
        NvramExit{"ReadBackUnreadable", Device("kxr741", FaultOn("ReadFlash", 6)),
                  "Write command fail!", FlashAfter::FirstTransferWritten, true},
        NvramExit{"ReadBackDiffers", Device("kxr741", FaultOn("ReadFlash", 6, "corrupt-read")), "",
                  FlashAfter::FirstTransferWritten, true}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Progress.

struct ProgressCase {
    const char* name;
    bool shown;
    std::size_t resourceSize;
    int end;
};

class NvramFamilyProgress : public ::testing::TestWithParam<ProgressCase> {};

// 10 per erase block, 10 for building the image, 10 + 10 per 16 KB block, 20 at the end.
TEST_P(NvramFamilyProgress, StepsByTheBlocksAndStopsAtAHundred) {
    NvramFixture fixture(Device("kxr741"));
    fixture.window.FwUpdatBar.shown = GetParam().shown;
    fixture.emulated.firmware.Add("FW", "FW741A", PatternImage(GetParam().resourceSize));
    ASSERT_EQ(UpdateNvramFamily(fixture.window, fixture.path), 1);
    EXPECT_EQ(fixture.window.FwUpdatBar.position, GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(Steps, NvramFamilyProgress,
                         ::testing::Values(ProgressCase{"OneBlock", true, 10000, 60},
                                           ProgressCase{"ThreeBlocks", true, 40000, 100},
                                           ProgressCase{"HiddenBar", false, 40000, 0}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kxt::app
