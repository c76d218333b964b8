#include "device/FirmwareFileCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

namespace fs = std::filesystem;

struct Region {
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
};

// A header: the marker (or other leading bytes) followed by text.
std::vector<std::uint8_t> Header(std::vector<std::uint8_t> lead, const std::string& text) {
    lead.insert(lead.end(), text.begin(), text.end());
    return lead;
}

const std::vector<std::uint8_t> kMarker{0x55, 0xAA, 0xAA, 0x55};
const std::vector<std::uint8_t> kNoMarker{0x02, 0x00, 0x00, 0x00};

struct FileCase {
    const char* name;
    std::uint8_t chipClass;
    std::uint8_t revision;
    std::size_t fileLength;  // zero-filled, with the regions laid over it
    std::vector<Region> regions;
    bool accepted;
};

std::uint16_t Identity(std::uint8_t chipClass, std::uint8_t revision) {
    return static_cast<std::uint16_t>(chipClass | revision << 8);
}

class FileCheckFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ =
            fs::temp_directory_path() /
            ("kxt-file-check-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path Write(std::size_t length, const std::vector<Region>& regions) {
        std::vector<std::uint8_t> bytes(length, 0);
        for (const Region& region : regions) {
            for (std::size_t i = 0; i < region.bytes.size(); ++i) {
                bytes.at(region.offset + i) = region.bytes[i];
            }
        }
        const fs::path file = directory_ / "firmware.bin";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    fs::path directory_;
    testing::RecordingUi ui_;
};

class CheckFirmwareFileCases : public FileCheckFixture,
                               public ::testing::WithParamInterface<FileCase> {};

TEST_P(CheckFirmwareFileCases, JudgesTheFileForTheChip) {
    const FileCase& c = GetParam();
    const fs::path file = Write(c.fileLength, c.regions);
    EXPECT_EQ(CheckFirmwareFile(ui_, file, Identity(c.chipClass, c.revision)), c.accepted);
    EXPECT_TRUE(ui_.messages.empty()) << "only a file that cannot be opened is reported";
}

// Chip classes: 1 KX40712, 2 KX40714, 3 KX40716, 4 KX40719, 6 KXR741, 7 KXR743,
// 8 KXR745, 9 KXR746, 10 KXT861, 11 KXR827, 13 KXT850, 14-17 register variants,
// 18 KX40714Usb.
INSTANTIATE_TEST_SUITE_P(
    Classes, CheckFirmwareFileCases,
    ::testing::Values(
        // KXT861: marker at 0 or 0x1000, else the tag at 0 alone.
        FileCase{"KXT861MarkerAtStart", 10, 0, 0x2000, {{0, Header(kMarker, "8611")}}, true},
        FileCase{"KXT861AnyRevision", 10, 7, 0x2000, {{0, Header(kMarker, "8611")}}, true},
        FileCase{"KXT861FileForKXT850", 10, 0, 0x2000, {{0, Header(kMarker, "8501")}}, false},
        FileCase{"KXT861MarkerAt0x1000",
                 10,
                 0,
                 0x2000,
                 {{0, Header(kNoMarker, "0000")}, {0x1000, Header(kMarker, "8612")}},
                 true},
        FileCase{"KXT861WrongModelAt0x1000",
                 10,
                 0,
                 0x2000,
                 {{0, Header(kNoMarker, "8610")}, {0x1000, Header(kMarker, "7461")}},
                 false},
        FileCase{"KXT861NoMarkerTagAtStart", 10, 0, 0x2000, {{0, Header(kNoMarker, "8610")}}, true},
        FileCase{"KXT861NoMarkerOtherTag", 10, 0, 0x2000, {{0, Header(kNoMarker, "7460")}}, false},
        // A file shorter than the second header: its missing bytes read as zero.
        FileCase{"KXT861ShortFileNoMarker", 10, 0, 8, {{0, Header(kNoMarker, "8610")}}, true},
        FileCase{"KXT861FileEndsInsideTag", 10, 0, 6, {{0, Header(kMarker, "86")}}, false},
        // KX40712: "712" and the previous revision digit; revision 1 has its own tag.
        FileCase{"KX40712Revision2", 1, 2, 64, {{0, Header(kNoMarker, "7121")}}, true},
        FileCase{"KX40712Revision2WrongDigit", 1, 2, 64, {{0, Header(kNoMarker, "7122")}}, false},
        FileCase{"KX40712Revision1", 1, 1, 64, {{0, Header(kNoMarker, "\x5A\xA5\x0F\xF0")}}, true},
        FileCase{"KX40712Revision1Text", 1, 1, 64, {{0, Header(kNoMarker, "7120")}}, false},
        // KX40714 and its USB variant: anything but a tag that begins with "71".
        FileCase{"KX40714Rejects71", 2, 0, 64, {{0, Header(kNoMarker, "7140")}}, false},
        FileCase{"KX40714EmptyTag", 2, 0, 64, {}, true},
        FileCase{"KX40714OtherTag", 2, 0, 64, {{0, Header(kNoMarker, "7041")}}, true},
        FileCase{"KX40714UsbRejects71", 18, 0, 64, {{0, Header(kNoMarker, "7199")}}, false},
        FileCase{"KX40714UsbOtherTag", 18, 0, 64, {{0, Header(kNoMarker, "8271")}}, true},
        // KX40716 and the register variants take any file that opens, even an empty one.
        FileCase{"KX40716", 3, 0, 0, {}, true},
        FileCase{"KX40716Reg", 14, 0, 64, {{0, Header(kMarker, "8501")}}, true},
        FileCase{"KX40718Reg", 15, 0, 64, {}, true}, FileCase{"KX40719Reg", 16, 0, 64, {}, true},
        FileCase{"KX40712Reg", 17, 0, 64, {}, true},
        // KX40719: "719" and the previous revision digit.
        FileCase{"KX40719", 4, 3, 64, {{0, Header(kNoMarker, "7192")}}, true},
        FileCase{"KX40719WrongDigit", 4, 3, 64, {{0, Header(kNoMarker, "7193")}}, false},
        // KXR741: byte 8 of the last header read is the previous revision digit.
        FileCase{"KXR741MarkerAtStart", 6, 2, 0x2000, {{0, Header(kMarker, "7410\x31")}}, true},
        FileCase{"KXR741WrongRevision", 6, 2, 0x2000, {{0, Header(kMarker, "7410\x32")}}, false},
        FileCase{"KXR741RawRevisionByte", 6, 2, 0x2000, {{0, Header(kMarker, "7410\x01")}}, false},
        FileCase{"KXR741OtherModel", 6, 2, 0x2000, {{0, Header(kMarker, "7460\x31")}}, false},
        FileCase{"KXR741RevisionFromSecondHeader",
                 6,
                 2,
                 0x2000,
                 {{0, Header(kNoMarker, "0000\x35")}, {0x1000, Header(kNoMarker, "0000\x31")}},
                 true},
        FileCase{"KXR741FirstHeaderIgnoredWithoutMarker",
                 6,
                 2,
                 0x2000,
                 {{0, Header(kNoMarker, "0000\x31")}, {0x1000, Header(kNoMarker, "0000\x35")}},
                 false},
        FileCase{"KXR741ShortFileRevisionZero", 6, 1, 4, {}, true},
        // KXR743: fixed headers for revisions 1 and 2 only.
        FileCase{"KXR743Revision1", 7, 1, 64, {{0, Header(kMarker, "k743")}}, true},
        FileCase{"KXR743Revision2", 7, 2, 64, {{0, Header(kMarker, "7431")}}, true},
        FileCase{"KXR743Revision1SecondsFile", 7, 1, 64, {{0, Header(kMarker, "7431")}}, false},
        FileCase{"KXR743Revision3", 7, 3, 64, {{0, Header(kMarker, "7431")}}, false},
        FileCase{"KXR743NoMarker", 7, 2, 64, {{0, Header(kNoMarker, "7431")}}, false},
        // KXR745 and KXR746 share the model code "746".
        FileCase{"KXR745", 8, 0, 0x2000, {{0, Header(kMarker, "7469")}}, true},
        FileCase{"KXR745OwnNumber", 8, 0, 0x2000, {{0, Header(kMarker, "7450")}}, false},
        FileCase{"KXR746At0x1000", 9, 1, 0x2000, {{0x1000, Header(kMarker, "7461")}}, true},
        FileCase{"KXR746NoMarker", 9, 1, 0x2000, {{0, Header(kNoMarker, "7461")}}, true},
        // KXR827: its header sits at 0x4000 and needs only 55 AA.
        FileCase{"KXR827", 11, 1, 0x5000, {{0x4000, Header(kMarker, "8270")}}, true},
        FileCase{"KXR827HalfMarker",
                 11,
                 1,
                 0x5000,
                 {{0x4000, Header({0x55, 0xAA, 0, 0}, "8279")}},
                 true},
        FileCase{"KXR827NoMarker",
                 11,
                 1,
                 0x5000,
                 {{0, Header(kMarker, "8270")}, {0x4000, Header(kNoMarker, "8270")}},
                 false},
        FileCase{"KXR827OtherModel", 11, 1, 0x5000, {{0x4000, Header(kMarker, "8250")}}, false},
        FileCase{"KXR827ShortFile", 11, 1, 100, {{0, Header(kMarker, "8270")}}, false},
        // Classes no file belongs to.
        FileCase{"KXT850", 13, 0, 0xC100, {{0, Header(kMarker, "8501")}}, false},
        FileCase{"Unknown", 0, 0, 64, {}, false},
        FileCase{"KX40708", 5, 0, 64, {{0, Header(kMarker, "7080")}}, false},
        FileCase{"KXR825", 12, 0, 64, {{0, Header(kMarker, "8250")}}, false},
        FileCase{"BeyondTheClasses", 19, 0, 64, {}, false},
        FileCase{"HighestClassByte", 255, 0, 64, {}, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class CheckFirmwareFileOpen : public FileCheckFixture {};

TEST_F(CheckFirmwareFileOpen, MissingFileIsReportedAndRejected) {
    EXPECT_FALSE(CheckFirmwareFile(ui_, directory_ / "absent.bin", Identity(3, 0)));
    ASSERT_EQ(ui_.messages.size(), 1U);
    EXPECT_EQ(ui_.messages[0].text, "Open Firmware File Error!!");
    EXPECT_EQ(ui_.messages[0].caption, "Error");
    EXPECT_EQ(ui_.messages[0].icon, os::MessageIcon::Error);
}

TEST_F(CheckFirmwareFileOpen, DirectoryIsNoFirmwareFile) {
    // Class 3 would take any file that opens.
    EXPECT_FALSE(CheckFirmwareFile(ui_, directory_, Identity(3, 0)));
    ASSERT_EQ(ui_.messages.size(), 1U);
    EXPECT_EQ(ui_.messages[0].text, "Open Firmware File Error!!");
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

TEST_F(CheckFirmwareFileOpen, LeavesNoFileOpen) {
    const fs::path file = Write(0x2000, {{0x1000, Header(kMarker, "8611")}});
    const std::size_t before = OpenDescriptors();
    for (std::uint8_t chipClass : {1, 6, 10, 11, 13}) {
        (void)CheckFirmwareFile(ui_, file, Identity(chipClass, 1));
    }
    (void)CheckFirmwareFile(ui_, directory_ / "absent.bin", Identity(10, 1));
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace kxt::device
