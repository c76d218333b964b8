#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/ChipIdentification.h"
#include "device/SerialFlashProbe.h"
#include "device/VendorCommands.h"
#include "tests/support/TestPlatform.h"

// The flash that the older chip presets bring along must suit the erase plans of
// their update paths.
namespace kxt::device {
namespace {

std::vector<std::uint8_t> FlashOf(testing::EmulatedPlatform& emulated, const DevicePath& path) {
    const auto bytes = emulated.Device(path).chip.Flash().Bytes();
    return {bytes.begin(), bytes.end()};
}

struct SerialPreset {
    const char* chip;
    ChipClass chipClass;
    std::uint8_t revision;
    std::uint8_t flashType;  // what the bridge reports
};

class ExternalFlashPreset : public ::testing::TestWithParam<SerialPreset> {};

TEST_P(ExternalFlashPreset, ErasesSixtyFourKilobytesWithTwoSectorErases) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(std::string(R"({"chip": ")") + GetParam().chip +
                                               R"(", "flash": {"fill": "0x00"}})");
    const auto& p = emulated.platform;

    EXPECT_EQ(IdentifyChip(p, path), MakeChipIdentity(GetParam().chipClass, GetParam().revision));
    std::array<std::uint8_t, 4> type{};
    ASSERT_TRUE(ReadFlashType(p, path, type));
    EXPECT_EQ(type[0], GetParam().flashType);
    EXPECT_EQ(ReadAmicLayout(p, path), kNotAmicLayout);

    ASSERT_TRUE(EraseFlashSector(p, path, 0x0000));
    const auto afterFirst = FlashOf(emulated, path);
    EXPECT_EQ(afterFirst[0x7FFF], 0xFF);
    EXPECT_EQ(afterFirst[0x8000], 0x00) << "one erase takes 32 KB";
    ASSERT_TRUE(EraseFlashSector(p, path, 0x8000));
    EXPECT_EQ(FlashOf(emulated, path), std::vector<std::uint8_t>(65536, 0xFF));
}

INSTANTIATE_TEST_SUITE_P(Presets, ExternalFlashPreset,
                         ::testing::Values(SerialPreset{"kx40712", ChipClass::ChipKX40712, 2, 1},
                                           SerialPreset{"kx40716", ChipClass::ChipKX40716, 1, 3},
                                           SerialPreset{"kx40719", ChipClass::ChipKX40719, 1, 5},
                                           SerialPreset{"kxr741", ChipClass::ChipKXR741, 1, 6},
                                           SerialPreset{"kxr741-rev2", ChipClass::ChipKXR741, 2, 6},
                                           SerialPreset{"kxr743", ChipClass::ChipKXR743, 1, 8}),
                         [](const auto& param) {
                             std::string name = param.param.chip;
                             std::erase(name, '-');
                             return name;
                         });

struct BootSector {
    std::uint32_t address;  // given to the sector erase
    std::uint32_t start;
    std::uint32_t end;  // what it erases
};

TEST(AmicBootSectorPart, EachSectorEraseTakesExactlyItsSector) {
    for (const BootSector sector :
         {BootSector{0x0800, 0x0000, 0x1000}, BootSector{0x1000, 0x1000, 0x3000},
          BootSector{0x3000, 0x3000, 0x7000}, BootSector{0x6FFF, 0x3000, 0x7000},
          BootSector{0x7000, 0x7000, 0xF000}, BootSector{0xF000, 0xF000, 0x10000}}) {
        testing::EmulatedPlatform emulated;
        const DevicePath path =
            emulated.AddDevice(R"({"chip": "kx40712", "flash": {"part": "AMIC-L1", "fill": 0}})");
        ASSERT_EQ(ReadAmicLayout(emulated.platform, path), 1);
        ASSERT_TRUE(EraseFlashSector(emulated.platform, path, sector.address));
        std::vector<std::uint8_t> expected(65536, 0x00);
        std::fill(expected.begin() + sector.start, expected.begin() + sector.end, 0xFF);
        EXPECT_EQ(FlashOf(emulated, path), expected) << "erase at " << sector.address;
    }
}

class InternalRomPreset : public ::testing::TestWithParam<const char*> {};

TEST_P(InternalRomPreset, AnswersRomCommandsOnlyAfterTheSwitch) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(std::string(R"({"chip": ")") + GetParam() +
                                               R"(", "flash": {"fill": 0}})");
    const auto& p = emulated.platform;
    EXPECT_FALSE(LoadRomEraseSequence(p, path, 0)) << "before the switch";
    ASSERT_TRUE(SwitchToInternalRom(p, path));
    ASSERT_TRUE(LoadRomEraseSequence(p, path, 0));
    ASSERT_TRUE(StartRomErase(p, path));
    EXPECT_EQ(FlashOf(emulated, path), std::vector<std::uint8_t>(65536, 0xFF))
        << "the ATMEL cycles erase the part";
}

INSTANTIATE_TEST_SUITE_P(Presets, InternalRomPreset, ::testing::Values("kx40714", "kx40714-usb"),
                         [](const auto& param) {
                             std::string name = param.param;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace kxt::device
