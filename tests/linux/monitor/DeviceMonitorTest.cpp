// The libudev monitor against uevents of a mocked device tree. Runs under
// umockdev's preload library (LD_PRELOAD=libumockdev-preload.so.0).
#include <gtest/gtest.h>
#include <poll.h>
#include <umockdev.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "os/linux/UdevDeviceMonitor.h"

namespace kxt {
namespace {

using namespace std::chrono_literals;
using Notices = std::vector<std::uint32_t>;

constexpr std::uint32_t kArrival = 0x8000;
constexpr std::uint32_t kRemoveComplete = 0x8004;
constexpr std::uint32_t kNodesChanged = 0x0007;

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
struct GFree {
    void operator()(gchar* text) const { g_free(text); }
};

class DeviceMonitorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* preload = std::getenv("LD_PRELOAD");
        if (preload == nullptr || std::string(preload).find("umockdev") == std::string::npos) {
            GTEST_SKIP() << "needs LD_PRELOAD=libumockdev-preload.so.0";
        }
        testbed_.reset(umockdev_testbed_new());
        monitor_ = os::linux_impl::UdevDeviceMonitor::Open();
        ASSERT_NE(monitor_, nullptr);
    }

    // Adds a device; the testbed announces it with an "add" uevent.
    std::string AddDevice(const char* subsystem, const char* name, const std::string& parent,
                          const char* devtype) {
        const std::unique_ptr<gchar, GFree> syspath(umockdev_testbed_add_device(
            testbed_.get(), subsystem, name, parent.empty() ? nullptr : parent.c_str(), nullptr,
            "DEVTYPE", devtype, nullptr));
        return syspath ? std::string(syspath.get()) : std::string();
    }

    void Uevent(const std::string& syspath, const char* action) {
        umockdev_testbed_uevent(testbed_.get(), syspath.c_str(), action);
    }

    // What the window's thread would take from the monitor: waits until `count`
    // notices came, then a moment longer for any that should not have come.
    Notices Receive(std::size_t count) {
        Notices received;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (received.size() < count && std::chrono::steady_clock::now() < deadline) {
            WaitReadable(100ms);
            for (const auto notice : monitor_->Drain()) {
                received.push_back(notice);
            }
        }
        WaitReadable(100ms);
        for (const auto notice : monitor_->Drain()) {
            received.push_back(notice);
        }
        return received;
    }

    std::unique_ptr<UMockdevTestbed, GObjectUnref> testbed_;
    std::unique_ptr<os::linux_impl::UdevDeviceMonitor> monitor_;

  private:
    void WaitReadable(std::chrono::milliseconds timeout) {
        pollfd watch{monitor_->ReadyFd(), POLLIN, 0};
        ::poll(&watch, 1, static_cast<int>(timeout.count()));
    }
};

TEST_F(DeviceMonitorTest, UsbDeviceUeventsArriveAsArrivalAndRemoval) {
    const std::string usb = AddDevice("usb", "2-1", "", "usb_device");
    ASSERT_FALSE(usb.empty());
    EXPECT_EQ(Receive(1), Notices{kArrival});

    Uevent(usb, "remove");
    EXPECT_EQ(Receive(1), Notices{kRemoveComplete});
}

TEST_F(DeviceMonitorTest, DiskNodesOfAnEnclosureArriveAsNodesChanged) {
    const std::string usb = AddDevice("usb", "2-2", "", "usb_device");
    const std::string usbInterface = AddDevice("usb", "2-2:1.0", usb, "usb_interface");
    EXPECT_EQ(Receive(1), Notices{kArrival});

    // A second later the disk's sg and block nodes appear.
    const std::string sg = AddDevice("scsi_generic", "sg1", usbInterface, "");
    const std::string disk = AddDevice("block", "sdb", usbInterface, "disk");
    EXPECT_EQ(Receive(2), (Notices{kNodesChanged, kNodesChanged}));

    // Unplugging: the nodes go first, the USB device last.
    Uevent(disk, "remove");
    Uevent(sg, "remove");
    Uevent(usbInterface, "remove");
    Uevent(usb, "remove");
    EXPECT_EQ(Receive(3), (Notices{kNodesChanged, kNodesChanged, kRemoveComplete}));
}

TEST_F(DeviceMonitorTest, OtherSubsystemsAndActionsGiveNoNotice) {
    const std::string usb = AddDevice("usb", "3-1", "", "usb_device");
    EXPECT_EQ(Receive(1), Notices{kArrival});

    AddDevice("input", "input7", usb, "");
    Uevent(usb, "bind");
    Uevent(usb, "change");
    EXPECT_EQ(Receive(0), Notices{});
}

}  // namespace
}  // namespace kxt
