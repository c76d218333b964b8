#include "emulator/TimingModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "device/VendorCommands.h"
#include "emulator/Scenario.h"
#include "tests/support/TestPlatform.h"

namespace kxt::emulator {
namespace {

using std::chrono::microseconds;

// 1 MB/s makes one byte cost one microsecond.
constexpr const char* kTimedDevice = R"({"chip": "kxt850", "timing": {
    "commandLatencyUs": 125, "bytesPerSecond": 1000000, "smallBlockEraseUs": 45000,
    "largeBlockEraseUs": 500000, "sectorEraseUs": 30000, "chipEraseUs": 2000000,
    "pageProgramUs": 1500, "pageSize": 256},
    "faults": [{"command": "ReadFlashBlock", "occurrence": 2}]})";

struct CostCase {
    const char* what;
    std::function<bool(const os::Platform&, const os::DevicePath&)> command;
    microseconds cost;
};

const std::vector<std::uint8_t> k4K(4096, 0x5A);

// 4096 bytes move in 4096 us and program 16 pages of 256 bytes.
const CostCase kCostCases[] = {
    {"block read",
     [](const auto& p, const auto& path) {
         std::vector<std::uint8_t> buffer(4096);
         return device::ReadFlashBlock(p, path, 0, buffer);
     },
     microseconds(125 + 4096)},
    {"block write without erase",
     [](const auto& p, const auto& path) { return device::WriteFlashBlock(p, path, 0, k4K, 0x00); },
     microseconds(125 + 4096 + 16 * 1500)},
    {"block write with small-block erase",
     [](const auto& p, const auto& path) { return device::WriteFlashBlock(p, path, 0, k4K, 0x01); },
     microseconds(125 + 4096 + 45000 + 16 * 1500)},
    {"block write with large-block erase",
     [](const auto& p, const auto& path) { return device::WriteFlashBlock(p, path, 0, k4K, 0x82); },
     microseconds(125 + 4096 + 500000 + 16 * 1500)},
    {"block write with whole-flash erase",
     [](const auto& p, const auto& path) { return device::WriteFlashBlock(p, path, 0, k4K, 0x03); },
     microseconds(125 + 4096 + 2000000 + 16 * 1500)},
    {"sector erase",
     [](const auto& p, const auto& path) { return device::EraseFlashSector(p, path, 0x8000); },
     microseconds(125 + 30000)},
    {"chip erase", [](const auto& p, const auto& path) { return device::EraseFlashChip(p, path); },
     microseconds(125 + 2000000)},
    {"byte write of 300 bytes touches two pages",
     [](const auto& p, const auto& path) {
         return device::WriteFlash(p, path, 0, std::span(k4K).first(300));
     },
     microseconds(125 + 300 + 2 * 1500)},
};

class TimingCostTest : public ::testing::TestWithParam<CostCase> {};

TEST_P(TimingCostTest, CommandAdvancesTheVirtualClockByItsCost) {
    SCOPED_TRACE(GetParam().what);
    testing::EmulatedPlatform emu;
    const auto path = emu.AddDevice(kTimedDevice);

    ASSERT_TRUE(GetParam().command(emu.platform, path));

    EXPECT_EQ(emu.clock.Elapsed(), GetParam().cost);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimingCostTest, ::testing::ValuesIn(kCostCases),
                         [](const auto& test) { return "case" + std::to_string(test.index); });

TEST(TimingModelTest, FailedCommandCostsOnlyTheRoundTrip) {
    testing::EmulatedPlatform emu;
    const auto path = emu.AddDevice(kTimedDevice);
    std::vector<std::uint8_t> buffer(4096);
    ASSERT_TRUE(device::ReadFlashBlock(emu.platform, path, 0, buffer));
    const microseconds before = emu.clock.Elapsed();

    EXPECT_FALSE(device::ReadFlashBlock(emu.platform, path, 0, buffer));

    EXPECT_EQ(emu.clock.Elapsed() - before, microseconds(125));
}

TEST(TimingModelTest, WithoutATimingObjectCommandsTakeNoTime) {
    testing::EmulatedPlatform emu;
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");

    ASSERT_TRUE(device::WriteFlashBlock(emu.platform, path, 0, k4K, 0x83));

    EXPECT_EQ(emu.clock.Elapsed(), microseconds(0));
}

TEST(TimingModelTest, ScenarioRejectsUnknownKeysAndEmptyPages) {
    for (const char* timing :
         {R"({"latencyUs": 5})", R"({"pageSize": 0})", R"({"chipEraseUs": -1})"}) {
        testing::EmulatedPlatform emu;
        EXPECT_THROW(emu.AddDevice(std::string(R"({"chip": "kxt850", "timing": )") + timing + "}"),
                     ScenarioError)
            << timing;
    }
}

}  // namespace
}  // namespace kxt::emulator
