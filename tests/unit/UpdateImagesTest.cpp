#include "device/UpdateImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

#include "device/KXT850Image.h"
#include "emulator/CommandLog.h"
#include "tests/support/FirmwareImages.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

std::size_t FlashChanges(const emulator::CommandLog& log) {
    return std::count_if(log.begin(), log.end(), [](const auto& c) {
        return c.name == "WriteFlashBlock" || c.name == "WriteFlash" || c.name == "EraseFlashSector" ||
               c.name == "EraseFlashChip";
    });
}

TEST(ProgramKXT850Image, LeavesEmbeddedCodeTheGivenBlockAFreshChecksumAndZeros) {
    testing::EmulatedPlatform emulated;
    const auto embedded = testing::MakeKXT850Image(17);
    emulated.firmware.Add("KXT850", "FW6701", embedded);
    const auto path = emulated.AddDevice(
        R"({"chip": "kxt850", "flash": {"regions": [{"random": 99, "length": 65536}]}})");
    std::array<std::uint8_t, 256> block{};
    std::iota(block.begin(), block.end(), std::uint8_t{1});

    ASSERT_TRUE(ProgramKXT850Image(emulated.platform, path, true, true, block));

    const auto flash = emulated.Device(path).chip.Flash().Bytes();
    EXPECT_EQ(Bytes(flash, 0, 0xBFFE), Bytes(embedded, 0, 0xBFFE));
    EXPECT_EQ(Bytes(flash, 0xC000, 0xC100), std::vector<std::uint8_t>(block.begin(), block.end()));
    EXPECT_EQ(StoredKXT850Checksum(flash), ComputeKXT850Checksum(embedded));
    EXPECT_EQ(Bytes(flash, 0xBFFE, 0xC000), Bytes(embedded, 0xBFFE, 0xC000));
    EXPECT_TRUE(std::all_of(flash.begin() + 0xC100, flash.end(), [](auto b) { return b == 0; }));
}

TEST(ProgramKXT850Image, WithoutAnEmbeddedImageNothingIsWritten) {
    testing::EmulatedPlatform emulated;
    const auto path = emulated.AddDevice(R"({"chip": "kxt850"})");
    std::array<std::uint8_t, 256> block{};
    EXPECT_FALSE(ProgramKXT850Image(emulated.platform, path, true, true, block));
    EXPECT_EQ(FlashChanges(emulated.bus.Log()), 0U);
}

struct KXT861Fixture {
    testing::EmulatedPlatform emulated;
    std::vector<std::uint8_t> embedded = testing::MakeKXT861Image(861, 0x9000);
    os::DevicePath path;
    std::vector<std::uint8_t> before;
    std::array<std::uint8_t, 128> block{};

    explicit KXT861Fixture(const std::string& faults = "[]") {
        path = emulated.AddDevice(R"({"chip": "kxt861", "flash": {"regions": [{"random": 7, "length": 65536}]},
                                      "faults": )" + faults + "}");
        const auto flash = emulated.Device(path).chip.Flash().Bytes();
        before.assign(flash.begin(), flash.end());
        block.fill(0x5C);
    }
    std::vector<std::uint8_t> Flash() {
        const auto flash = emulated.Device(path).chip.Flash().Bytes();
        return {flash.begin(), flash.end()};
    }
};

TEST(ProgramKXT861Image, LaysBlockAndEmbeddedCodeOverTheDevicesFlash) {
    KXT861Fixture f;
    f.emulated.firmware.Add("KXT861", "FW1802", f.embedded);
    ASSERT_TRUE(ProgramKXT861Image(f.emulated.platform, f.path, true, true, f.block));
    const auto flash = f.Flash();
    EXPECT_EQ(Bytes(flash, 0, 128), std::vector<std::uint8_t>(128, 0x5C));
    EXPECT_EQ(Bytes(flash, 0x80, 0x9000), Bytes(f.embedded, 0x80, 0x9000));
    EXPECT_EQ(Bytes(flash, 0x9000, 0x10000), Bytes(f.before, 0x9000, 0x10000))
        << "beyond the embedded image the device's own content stays";
}

TEST(ProgramKXT861Image, AFailedFirstReadLeavesTheFlashUntouched) {
    KXT861Fixture f(R"([{"command": "ReadFlashBlock", "occurrence": 1}])");
    f.emulated.firmware.Add("KXT861", "FW1802", f.embedded);
    EXPECT_FALSE(ProgramKXT861Image(f.emulated.platform, f.path, true, true, f.block));
    EXPECT_EQ(f.Flash(), f.before);
    EXPECT_EQ(FlashChanges(f.emulated.bus.Log()), 0U);
}

TEST(ProgramKXT861Image, WithoutAnEmbeddedImageNothingIsWritten) {
    KXT861Fixture f;
    EXPECT_FALSE(ProgramKXT861Image(f.emulated.platform, f.path, true, true, f.block));
    EXPECT_EQ(f.Flash(), f.before);
    EXPECT_EQ(FlashChanges(f.emulated.bus.Log()), 0U);
}

}  // namespace
}  // namespace kxt::device
