#include "gui/DeviceNoticeWatcher.h"

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "device/VendorCommands.h"
#include "gui/EmulatedDeviceNotices.h"
#include "tests/support/TestPlatform.h"

namespace kxt {
namespace {

using namespace std::chrono_literals;

TEST(DeviceNoticeWatcherTest, ResetOfAnEmulatedChipReachesTheWindowAsRemovalThenArrival) {
    testing::EmulatedPlatform emulated;
    const os::DevicePath path =
        emulated.AddDevice(R"({"chip": "kxt850", "interface": "cdrom", "reattachDelayMs": 1500})");
    const auto notices = gui::EmulatedDeviceNotices::Attach(emulated.bus);
    ASSERT_NE(notices, nullptr);
    std::vector<std::uint32_t> delivered;
    gui::DeviceNoticeWatcher watcher(*notices,
                                     [&](std::uint32_t code) { delivered.push_back(code); });

    // The reset and the later scan run on a worker, as device work does.
    std::thread worker([&] {
        device::ResetChip(emulated.platform, path);
        emulated.clock.Sleep(1500ms);
        emulated.bus.List(os::InterfaceKind::Cdrom);
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.size() >= 2; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(delivered, (std::vector<std::uint32_t>{0x8004, 0x8000}));
}

}  // namespace
}  // namespace kxt
