#include "os/linux/UdevDeviceMonitor.h"

#include <libudev.h>

namespace kxt::os::linux_impl {
namespace {

struct WatchedSubsystem {
    const char* subsystem;
    const char* devtype;  // null for any
};

constexpr WatchedSubsystem kWatched[] = {
    {"usb", "usb_device"},
    {"block", nullptr},
    {"scsi_generic", nullptr},
};

std::string_view OrEmpty(const char* text) {
    return text == nullptr ? std::string_view() : text;
}

struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
using DevicePtr = std::unique_ptr<udev_device, DeviceUnref>;

}  // namespace

std::optional<std::uint32_t> NoticeForUevent(std::string_view action, std::string_view subsystem,
                                             std::string_view devtype) {
    const bool add = action == "add";
    if (!add && action != "remove") {
        return std::nullopt;
    }
    if (subsystem == "usb" && devtype == "usb_device") {
        return add ? kDeviceArrival : kDeviceRemoveComplete;
    }
    if (subsystem == "block" || subsystem == "scsi_generic") {
        return kDeviceNodesChanged;
    }
    return std::nullopt;
}

void UdevDeviceMonitor::UdevUnref::operator()(udev* context) const {
    udev_unref(context);
}

void UdevDeviceMonitor::MonitorUnref::operator()(udev_monitor* monitor) const {
    udev_monitor_unref(monitor);
}

UdevDeviceMonitor::UdevDeviceMonitor(UdevPtr context, MonitorPtr monitor)
    : context_(std::move(context)), monitor_(std::move(monitor)) {}

std::unique_ptr<UdevDeviceMonitor> UdevDeviceMonitor::Open() {
    UdevPtr context(udev_new());
    if (!context) {
        return nullptr;
    }
    MonitorPtr monitor(udev_monitor_new_from_netlink(context.get(), "kernel"));
    if (!monitor) {
        return nullptr;
    }
    for (const auto& watched : kWatched) {
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), watched.subsystem,
                                                            watched.devtype) < 0) {
            return nullptr;
        }
    }
    if (udev_monitor_enable_receiving(monitor.get()) < 0) {
        return nullptr;
    }
    return std::make_unique<UdevDeviceMonitor>(std::move(context), std::move(monitor));
}

int UdevDeviceMonitor::ReadyFd() const {
    return udev_monitor_get_fd(monitor_.get());
}

std::vector<std::uint32_t> UdevDeviceMonitor::Drain() {
    // The socket is non-blocking: read until it is empty, so a burst never piles up.
    std::vector<std::uint32_t> notices;
    for (;;) {
        const DevicePtr device(udev_monitor_receive_device(monitor_.get()));
        if (!device) {
            return notices;
        }
        const auto notice = NoticeForUevent(OrEmpty(udev_device_get_action(device.get())),
                                            OrEmpty(udev_device_get_subsystem(device.get())),
                                            OrEmpty(udev_device_get_devtype(device.get())));
        if (notice) {
            notices.push_back(*notice);
        }
    }
}

}  // namespace kxt::os::linux_impl
