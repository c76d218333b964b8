#include "device/ImageChecksum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/EmbeddedFirmwareResources.h"

namespace kxt::device {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

struct ChecksumCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint16_t expected;
};

class ImageChecksumVectors : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ImageChecksumVectors, MatchesTheKnownValue) {
    EXPECT_EQ(ImageChecksum(GetParam().bytes, 0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    SeedZero, ImageChecksumVectors,
    ::testing::Values(ChecksumCase{"OneWord", Bytes("abcd"), 0x40D7},
                      ChecksumCase{"TwoWords", Bytes("abcdefgh"), 0xD1FD},
                      // The three bytes that do not fill a word are not part of the sum.
                      ChecksumCase{"SevenBytesCountOnlyTheFirstWord", Bytes("abcdefg"), 0x40D7},
                      ChecksumCase{"ZeroCodeArea", std::vector<std::uint8_t>(0xBFFC, 0), 0x0000},
                      ChecksumCase{"Empty", {}, 0x0000}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ImageChecksum, ContinuesFromItsSeed) {
    const auto whole = Bytes("abcdefgh");
    const auto first = ImageChecksum(std::span(whole).first(4), 0);
    EXPECT_EQ(ImageChecksum(std::span(whole).subspan(4), first), 0xD1FD);
    EXPECT_EQ(Crc16Step(Crc16Step(0, 0x64636261), 0x68676665), 0xD1FD);
}

TEST(ImageChecksum, OfTheCarriedKXT850ImageIsTheStoredValue) {
    const resources::EmbeddedFirmwareResources firmware;
    const auto image = firmware.Find("KXT850", "FW6701");
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->size(), 49408U);
    EXPECT_EQ(ImageChecksum(image->first(0xBFFC), 0), 0x9B65);
    EXPECT_EQ((*image)[0xBFFE], 0x9B);
    EXPECT_EQ((*image)[0xBFFF], 0x65);
}

struct BlankCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool blank;
};

std::vector<std::uint8_t> Mixed(std::uint8_t oddOne) {
    std::vector<std::uint8_t> bytes(4096);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = i % 3 == 0 ? 0x00 : 0xFF;
    bytes[2049] = oddOne;
    return bytes;
}

class IsBlankAreaCases : public ::testing::TestWithParam<BlankCase> {};

TEST_P(IsBlankAreaCases, JudgesTheArea) {
    EXPECT_EQ(IsBlankArea(GetParam().bytes), GetParam().blank);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, IsBlankAreaCases,
    ::testing::Values(BlankCase{"AllErased", std::vector<std::uint8_t>(4096, 0xFF), true},
                      BlankCase{"AllZero", std::vector<std::uint8_t>(4096, 0x00), true},
                      BlankCase{"ZeroAndErasedMixed", Mixed(0xFF), true},
                      BlankCase{"OneByteOfOne", Mixed(0x01), false}, BlankCase{"Empty", {}, true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt::device
