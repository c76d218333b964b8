#include "gui/program/EmulatedTimeFollower.h"

#include <gtest/gtest.h>

#include "device/VendorCommands.h"
#include "tests/support/TestPlatform.h"

namespace kxt {
namespace {

using namespace std::chrono_literals;

TEST(EmulatedTimeFollowerTest, VirtualClockFollowsRealTimeAndAResetChipReturnsWhenDue) {
    testing::EmulatedPlatform emulated;
    const os::DevicePath path =
        emulated.AddDevice(R"({"id": "kxt850", "chip": "kxt850", "reattachDelayMs": 500})");
    std::vector<emulator::DeviceChange> changes;
    emulated.bus.SetChangeListener(
        [&changes](const os::DevicePath&, emulator::DeviceChange change) {
            changes.push_back(change);
        });

    auto realNow = std::chrono::steady_clock::time_point{} + 1h;
    gui::EmulatedTimeFollower follower(emulated.bus, [&realNow] { return realNow; });
    ASSERT_TRUE(device::ResetChip(emulated.platform, path));
    ASSERT_EQ(changes, std::vector{emulator::DeviceChange::Removal});
    const auto away = *emulated.bus.NextReattachTime() - emulated.clock.Now();
    ASSERT_EQ(away, 500ms);

    const auto before = emulated.clock.Elapsed();
    realNow += 499ms;
    follower.Follow();
    EXPECT_EQ(emulated.clock.Elapsed() - before, 499ms);
    EXPECT_EQ(changes.size(), 1U) << "still away";

    realNow += 1ms;
    follower.Follow();
    EXPECT_EQ(emulated.clock.Elapsed() - before, 500ms);
    EXPECT_EQ(changes,
              (std::vector{emulator::DeviceChange::Removal, emulator::DeviceChange::Arrival}));

    realNow += 10s;
    follower.Follow();
    EXPECT_EQ(changes.size(), 2U) << "nothing left to come back";
}

}  // namespace
}  // namespace kxt
