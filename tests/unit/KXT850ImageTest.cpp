#include "device/KXT850Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "device/ImageChecksum.h"
#include "device/VendorCommands.h"
#include "resources/EmbeddedFirmwareResources.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using emulator::CommandsNamed;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlockOffset = 0xC000;
constexpr std::size_t kBlockEnd = 0xC100;
constexpr std::size_t kDeviceAreaEnd = 0xD000;  // 4096 bytes from the block

// A KXT850 whose flash holds older code and settings: pseudo-random everywhere.
constexpr const char* kDevice =
    R"({"chip": "kxt850", "flash": {"regions": [{"offset": 0, "random": 5, "length": "0x10000"}]}})";

Bytes CarriedImage() {
    const resources::EmbeddedFirmwareResources firmware;
    const auto image = firmware.Find("KXT850", "FW6701");
    return image ? Bytes(image->begin(), image->end()) : Bytes{};
}

std::array<std::uint8_t, 256> CallerBlock(std::uint8_t seed) {
    std::array<std::uint8_t, 256> block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(seed + 3 * i);
    block[254] = 'K';
    block[255] = 'X';
    return block;
}

Bytes Slice(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

struct Fixture {
    explicit Fixture(const std::string& device = kDevice) {
        carried = CarriedImage();
        emu.firmware.Add("KXT850", "FW6701", carried);
        path = emu.AddDevice(device);
        flash = Bytes(emu.Device(path).chip.Flash().Bytes().begin(),
                      emu.Device(path).chip.Flash().Bytes().end());
    }

    // Reads the device's flash with the block command, 8 KB at a time.
    FlashAreaReader Reader() {
        return [this](std::uint32_t address, std::span<std::uint8_t> destination) {
            for (std::size_t done = 0; done < destination.size(); done += 0x2000) {
                const auto chunk = destination.subspan(
                    done, std::min<std::size_t>(0x2000, destination.size() - done));
                if (!ReadFlashBlock(emu.platform, path, address + static_cast<std::uint32_t>(done),
                                    chunk)) {
                    return false;
                }
            }
            return true;
        };
    }

    std::optional<Bytes> Build(KXT850ImageSources sources,
                               const std::array<std::uint8_t, 256>& block) {
        return BuildKXT850Image(emu.platform, path, sources, block, Reader());
    }

    testing::EmulatedPlatform emu;
    os::DevicePath path;
    Bytes carried;
    Bytes flash;  // the device's flash before the build
};

TEST(BuildKXT850Image, UpdateRunPutsEmbeddedCodeAndCallersBlockOverZero) {
    Fixture f;
    ASSERT_EQ(f.carried.size(), 49408U);
    const auto block = CallerBlock(0x11);
    const auto image = f.Build({.blockFromCaller = true, .codeFromEmbedded = true}, block);

    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->size(), 0x10000U);
    EXPECT_EQ(Slice(*image, 0, 0xBFFE), Slice(f.carried, 0, 0xBFFE));
    // The code is the carried image's, so its checksum is too.
    EXPECT_EQ((*image)[0xBFFE], 0x9B);
    EXPECT_EQ((*image)[0xBFFF], 0x65);
    EXPECT_EQ(Slice(*image, kBlockOffset, kBlockEnd), Bytes(block.begin(), block.end()));
    EXPECT_EQ(Slice(*image, kBlockEnd, 0x10000), Bytes(0x10000 - kBlockEnd, 0));
    EXPECT_TRUE(CommandsNamed(f.emu.bus.Log(), "ReadFlashBlock").empty());
    EXPECT_TRUE(CommandsNamed(f.emu.bus.Log(), "WriteFlashBlock").empty());
}

TEST(BuildKXT850Image, ChecksumDoesNotDependOnTheBlock) {
    Fixture f;
    const auto first = f.Build({}, CallerBlock(0x11));
    const auto second = f.Build({}, CallerBlock(0x80));
    ASSERT_TRUE(first && second);
    EXPECT_NE(Slice(*first, kBlockOffset, kBlockEnd), Slice(*second, kBlockOffset, kBlockEnd));
    EXPECT_EQ(Slice(*first, 0, kBlockOffset), Slice(*second, 0, kBlockOffset));
    EXPECT_EQ(ImageChecksum(std::span(*first).first(0xBFFC), 0),
              static_cast<std::uint16_t>((*first)[0xBFFE] << 8 | (*first)[0xBFFF]));
}

TEST(BuildKXT850Image, BlockOnlyKeepsTheDevicesCodeAndSignsIt) {
    Fixture f;
    const auto block = CallerBlock(0x22);
    const auto image = f.Build({.blockFromCaller = true, .codeFromEmbedded = false}, block);

    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Slice(*image, 0, 0xBFFE), Slice(f.flash, 0, 0xBFFE));
    const std::uint16_t expected = ImageChecksum(std::span(f.flash).first(0xBFFC), 0);
    EXPECT_EQ((*image)[0xBFFE], expected >> 8);
    EXPECT_EQ((*image)[0xBFFF], expected & 0xFF);
    EXPECT_EQ(Slice(*image, kBlockOffset, kBlockEnd), Bytes(block.begin(), block.end()));
    EXPECT_EQ(Slice(*image, kBlockEnd, 0x10000), Slice(f.flash, kBlockEnd, 0x10000));
}

// Code from the embedded image with the device's own block: what survives depends
// on the 4 KB from 0xC000 that the device holds.
struct DeviceAreaCase {
    const char* name;
    std::string deviceArea;  // flash regions over 0xC000-0xCFFF
    bool keepsDeviceArea;
};

class CodeOnly : public ::testing::TestWithParam<DeviceAreaCase> {};

TEST_P(CodeOnly, KeepsASignedDeviceBlockElseTakesTheEmbeddedDefault) {
    Fixture f(R"({"chip": "kxt850", "flash": {"regions": [)"
              R"({"offset": 0, "random": 5, "length": "0xC000"}, )" +
              GetParam().deviceArea + "]}}");
    const auto image =
        f.Build({.blockFromCaller = false, .codeFromEmbedded = true}, CallerBlock(0));

    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Slice(*image, 0, 0xC000), Slice(f.carried, 0, 0xC000));
    if (GetParam().keepsDeviceArea) {
        EXPECT_EQ(Slice(*image, kBlockOffset, kDeviceAreaEnd),
                  Slice(f.flash, kBlockOffset, kDeviceAreaEnd));
    } else {
        EXPECT_EQ(Slice(*image, kBlockOffset, kBlockEnd),
                  Slice(f.carried, kBlockOffset, kBlockEnd));
        EXPECT_EQ(Slice(*image, kBlockEnd, kDeviceAreaEnd),
                  Slice(f.flash, kBlockEnd, kDeviceAreaEnd));
    }
    EXPECT_EQ(Slice(*image, kDeviceAreaEnd, 0x10000), Bytes(0x10000 - kDeviceAreaEnd, 0));
    EXPECT_EQ(CommandsNamed(f.emu.bus.Log(), "ReadFlashBlock").size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceAreas, CodeOnly,
    ::testing::Values(
        DeviceAreaCase{"SignedBlockStays",
                       R"({"offset": "0xC000", "random": 9, "length": 254}, )"
                       R"({"offset": "0xC0FE", "text": "KX"}, )"
                       R"({"offset": "0xC100", "random": 10, "length": "0xF00"})",
                       true},
        DeviceAreaCase{"ErasedAreaTakesDefault",
                       R"({"offset": "0xC000", "fill": 255, "length": 4096})", false},
        DeviceAreaCase{"ZeroAndErasedTakesDefault",
                       R"({"offset": "0xC000", "fill": 0, "length": 4096}, )"
                       R"({"offset": "0xC0FE", "hex": "FF FF"})",
                       false},
        DeviceAreaCase{"SignatureOnlyAtBytes206And207TakesDefault",
                       R"({"offset": "0xC000", "random": 9, "length": 4096}, )"
                       R"({"offset": "0xC0CE", "text": "KX"}, {"offset": "0xC0FE", "text": "XK"})",
                       false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// No image without code is ever produced, and nothing is ever written.
struct RefusalCase {
    const char* name;
    std::string device;
    bool withEmbeddedImage;
    KXT850ImageSources sources;
};

class NoImage : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(NoImage, IsBuilt) {
    const RefusalCase& c = GetParam();
    Fixture f(c.device);
    if (!c.withEmbeddedImage)
        f.emu.firmware = testing::InMemoryFirmware{};
    EXPECT_FALSE(f.Build(c.sources, CallerBlock(1)).has_value());
    EXPECT_TRUE(CommandsNamed(f.emu.bus.Log(), "WriteFlashBlock").empty());
}

const std::string kReadFails =
    R"({"chip": "kxt850", "faults": [{"command": "ReadFlashBlock", "occurrence": 0}]})";
const std::string kNoIdentity = R"({"chip": "kxt850", "identity": null})";

INSTANTIATE_TEST_SUITE_P(
    Cases, NoImage,
    ::testing::Values(RefusalCase{"BothSwitchesOff", kDevice, true, {false, false}},
                      RefusalCase{"NoEmbeddedImage", kDevice, false, {true, true}},
                      RefusalCase{"NoEmbeddedImageCodeOnly", kDevice, false, {false, true}},
                      RefusalCase{"DeviceWithoutIdentity", kNoIdentity, true, {true, true}},
                      RefusalCase{"DeviceReadFailsBlockOnly", kReadFails, true, {true, false}},
                      RefusalCase{"DeviceReadFailsCodeOnly", kReadFails, true, {false, true}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt::device
