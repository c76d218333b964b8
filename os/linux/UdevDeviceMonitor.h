#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "os/DeviceChangeNotices.h"

struct udev;
struct udev_monitor;

namespace kxt::os::linux_impl {

// The notice a kernel uevent stands for, if any: a USB device's add and remove are
// its arrival and removal; adds and removes of block and sg nodes, which follow an
// arrival by about a second, are "nodes changed", so the rescan waits for them.
std::optional<std::uint32_t> NoticeForUevent(std::string_view action, std::string_view subsystem,
                                             std::string_view devtype);

// Device-change notices from the kernel's uevents through libudev. It listens to
// the kernel source, so it works without a running udev daemon.
class UdevDeviceMonitor final : public DeviceChangeNotices {
  public:
    // Null when the uevent socket cannot be opened (no netlink in a sandbox).
    static std::unique_ptr<UdevDeviceMonitor> Open();

    int ReadyFd() const override;
    std::vector<std::uint32_t> Drain() override;

    struct UdevUnref {
        void operator()(udev* context) const;
    };
    struct MonitorUnref {
        void operator()(udev_monitor* monitor) const;
    };
    using UdevPtr = std::unique_ptr<udev, UdevUnref>;
    using MonitorPtr = std::unique_ptr<udev_monitor, MonitorUnref>;

    UdevDeviceMonitor(UdevPtr context, MonitorPtr monitor);

  private:
    // The monitor holds a reference to the context; both are released in reverse order.
    UdevPtr context_;
    MonitorPtr monitor_;
};

}  // namespace kxt::os::linux_impl
