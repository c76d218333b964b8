#include "device/FirmwareCatalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using emulator::CommandsNamed;

// A recognisable image of the carried size: no two neighbouring bytes alike.
std::vector<std::uint8_t> PatternImage(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    return bytes;
}

// A device whose identity record has the given short-version major (byte 6) and
// long-version bytes 12 and 13, behind `signature`.
std::string DeviceWithIdentity(std::uint8_t byte6, std::uint8_t byte12, std::uint8_t byte13,
                               const char* signature = "F4 E7") {
    char json[160];
    std::snprintf(
        json, sizeof json,
        R"({"chip": "kxt850", "identity": {"hex": "%s 4B 58 08 50 %02X 02 38 35 30 30 %02X %02X 00 00"}})",
        signature, byte6, byte12, byte13);
    return json;
}

struct SelectionCase {
    const char* name;
    std::string device;
    ImageFamily family;
    const char* extraImage;  // embedded besides KXT850/FW6701, in the case's family; or ""
    const char* expectedName;
    std::size_t expectedSize;
};

class ResourceSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ResourceSelection, FormsTheNameAndFallsBack) {
    const SelectionCase& c = GetParam();
    testing::EmulatedPlatform emu;
    emu.firmware.Add("KXT850", "FW6701", PatternImage(49408));
    if (*c.extraImage != '\0') {
        emu.firmware.Add(std::string(ResourceType(c.family)), c.extraImage, PatternImage(1000));
    }
    const auto path = emu.AddDevice(c.device);

    EXPECT_EQ(SelectFirmwareResource(emu.platform, path, c.family), c.expectedName);
    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "ReadFirmwareIdentity").size(), 1U);

    std::vector<std::uint8_t> destination(0x10000, 0xEE);
    EXPECT_EQ(CopyFirmwareSlice(emu.platform, path, destination, 0, 0, c.family), c.expectedSize);
    if (c.expectedSize == 0) {
        EXPECT_EQ(destination, std::vector<std::uint8_t>(0x10000, 0xEE));
    }
    // No cache: every copy asks the device again.
    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "ReadFirmwareIdentity").size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(
    Identities, ResourceSelection,
    ::testing::Values(
        SelectionCase{"KXT850Carried", DeviceWithIdentity(1, 67, 1), ImageFamily::KXT850, "",
                      "FW6701", 49408},
        SelectionCase{"KXT850UnknownFallsBack", DeviceWithIdentity(1, 2, 5), ImageFamily::KXT850,
                      "", "FW6701", 49408},
        SelectionCase{"KXT850NamePadsToTwoDigits", DeviceWithIdentity(1, 2, 5), ImageFamily::KXT850,
                      "FW0205", "FW0205", 1000},
        SelectionCase{"KXT850NumbersAbove99KeepAllDigits", DeviceWithIdentity(1, 100, 7),
                      ImageFamily::KXT850, "FW10007", "FW10007", 1000},
        SelectionCase{"KXT850ThreeDigitsFallBack", DeviceWithIdentity(1, 100, 7),
                      ImageFamily::KXT850, "", "FW6701", 49408},
        SelectionCase{"KXT861Major18FallsBackWithoutImage", DeviceWithIdentity(0x12, 3, 9),
                      ImageFamily::KXT861, "", "FW1802", 0},
        SelectionCase{"KXT861Major18TakesItsMinor", DeviceWithIdentity(0x12, 3, 9),
                      ImageFamily::KXT861, "FW1803", "FW1803", 1000},
        SelectionCase{"KXT861OtherMajorFallsBack", DeviceWithIdentity(2, 3, 9), ImageFamily::KXT861,
                      "", "FW0255", 0},
        SelectionCase{"KXT861OtherMajorNamesMinorZero", DeviceWithIdentity(2, 3, 9),
                      ImageFamily::KXT861, "FW0200", "FW0200", 1000},
        SelectionCase{"WrongSignatureGivesNoName", DeviceWithIdentity(1, 67, 1, "F4 E6"),
                      ImageFamily::KXT850, "", "", 0},
        SelectionCase{"NoIdentityRecordGivesNoName", R"({"chip": "kxt850", "identity": null})",
                      ImageFamily::KXT850, "", "", 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct SliceCase {
    const char* name;
    std::size_t offset;
    std::size_t length;
    std::size_t copied;
};

class SliceCopy : public ::testing::TestWithParam<SliceCase> {};

TEST_P(SliceCopy, CopiesUpToTheImageEndAndReportsTheWholeSize) {
    const SliceCase& c = GetParam();
    testing::EmulatedPlatform emu;
    const auto image = PatternImage(49408);
    emu.firmware.Add("KXT850", "FW6701", image);
    const auto path = emu.AddDevice(DeviceWithIdentity(1, 67, 1));

    std::vector<std::uint8_t> destination(0x10000, 0xEE);
    EXPECT_EQ(
        CopyFirmwareSlice(emu.platform, path, destination, c.offset, c.length, ImageFamily::KXT850),
        49408U);
    for (std::size_t i = 0; i < destination.size(); ++i) {
        const std::uint8_t expected = i < c.copied ? image[c.offset + i] : 0xEE;
        ASSERT_EQ(destination[i], expected) << "destination byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Slices, SliceCopy,
                         ::testing::Values(SliceCase{"DefaultBlock", 0xC000, 256, 256},
                                           SliceCase{"LengthCutAtImageEnd", 0xC000, 0x200, 256},
                                           SliceCase{"WholeImage", 0, 0, 49408},
                                           SliceCase{"CodeArea", 0, 0xC000, 0xC000},
                                           SliceCase{"RestFromOffset", 0x80, 0, 49408 - 0x80},
                                           SliceCase{"OffsetAtImageEnd", 49408, 16, 0},
                                           SliceCase{"OffsetBeyondImageEnd", 0x10000, 0, 0}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SliceCopy, NeverWritesBeyondTheDestination) {
    testing::EmulatedPlatform emu;
    const auto image = PatternImage(49408);
    emu.firmware.Add("KXT850", "FW6701", image);
    const auto path = emu.AddDevice(DeviceWithIdentity(1, 67, 1));

    std::vector<std::uint8_t> buffer(300, 0xEE);
    const auto destination = std::span(buffer).first(256);
    EXPECT_EQ(CopyFirmwareSlice(emu.platform, path, destination, 0, 0, ImageFamily::KXT850),
              49408U);
    EXPECT_TRUE(std::equal(destination.begin(), destination.end(), image.begin()));
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 256, buffer.end()),
              std::vector<std::uint8_t>(44, 0xEE));
}

struct SignatureCase {
    const char* name;
    std::size_t length;
    std::size_t kAt;  // where 'K' goes, followed by 'X'; length means nowhere
    bool swapped;
    bool expected;
};

class ConfigSignature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(ConfigSignature, CountsOnlyTheLastTwoBytes) {
    const SignatureCase& c = GetParam();
    std::vector<std::uint8_t> block(c.length, 0);
    if (c.kAt + 1 < c.length) {
        block[c.kAt] = c.swapped ? 'X' : 'K';
        block[c.kAt + 1] = c.swapped ? 'K' : 'X';
    }
    EXPECT_EQ(HasConfigSignature(block), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ConfigSignature,
    ::testing::Values(SignatureCase{"KXT850BlockSigned", 256, 254, false, true},
                      SignatureCase{"Swapped", 256, 254, true, false},
                      SignatureCase{"OneTooEarly", 256, 253, false, false},
                      SignatureCase{"AtBytes206And207", 256, 206, false, false},
                      SignatureCase{"KXT861BlockSigned", 128, 126, false, true},
                      SignatureCase{"Unsigned", 256, 256, false, false},
                      SignatureCase{"TwoBytesOnly", 2, 0, false, true},
                      SignatureCase{"OneByte", 1, 1, false, false},
                      SignatureCase{"Empty", 0, 0, false, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt::device
