#include <gtest/gtest.h>
#include <poll.h>

#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "os/linux/DeviceNoticeQueue.h"
#include "os/linux/UdevDeviceMonitor.h"

namespace kxt {
namespace {

struct UeventCase {
    const char* action;
    const char* subsystem;
    const char* devtype;
    std::optional<std::uint32_t> notice;
};

class UeventNoticeTest : public ::testing::TestWithParam<UeventCase> {};

TEST_P(UeventNoticeTest, MapsToTheWindowsNotice) {
    const auto& c = GetParam();
    EXPECT_EQ(os::linux_impl::NoticeForUevent(c.action, c.subsystem, c.devtype), c.notice);
}

// The order of a real plug-in: the USB device, its interface and host at once, the
// disk's nodes a second later; unplugging removes them within milliseconds.
INSTANTIATE_TEST_SUITE_P(KernelEvents, UeventNoticeTest,
                         ::testing::Values(UeventCase{"add", "usb", "usb_device", 0x8000},
                                           UeventCase{"remove", "usb", "usb_device", 0x8004},
                                           UeventCase{"bind", "usb", "usb_device", std::nullopt},
                                           UeventCase{"unbind", "usb", "usb_device", std::nullopt},
                                           UeventCase{"add", "usb", "usb_interface", std::nullopt},
                                           UeventCase{"remove", "usb", "usb_interface",
                                                      std::nullopt},
                                           UeventCase{"add", "scsi", "scsi_device", std::nullopt},
                                           UeventCase{"add", "scsi_generic", "", 0x0007},
                                           UeventCase{"remove", "scsi_generic", "", 0x0007},
                                           UeventCase{"add", "block", "disk", 0x0007},
                                           UeventCase{"remove", "block", "disk", 0x0007},
                                           UeventCase{"add", "block", "partition", 0x0007},
                                           UeventCase{"change", "block", "disk", std::nullopt}));

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, 0) == 1 && (watch.revents & POLLIN) != 0;
}

TEST(DeviceNoticeQueueTest, NoticesPostedOnAnotherThreadArriveInOrderAndDrainEmptiesIt) {
    const auto queue = os::linux_impl::DeviceNoticeQueue::Create();
    ASSERT_NE(queue, nullptr);
    EXPECT_FALSE(Readable(queue->ReadyFd()));

    std::thread poster([&] {
        queue->Post(0x8004);
        queue->Post(0x8000);
    });
    poster.join();

    EXPECT_TRUE(Readable(queue->ReadyFd()));
    EXPECT_EQ(queue->Drain(), (std::vector<std::uint32_t>{0x8004, 0x8000}));
    EXPECT_FALSE(Readable(queue->ReadyFd()));
    EXPECT_TRUE(queue->Drain().empty());
}

}  // namespace
}  // namespace kxt
