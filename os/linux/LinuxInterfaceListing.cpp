#include "os/linux/LinuxInterfaceListing.h"

#include <libudev.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "os/linux/KernelNameOrder.h"

namespace kxt::os::linux_impl {
namespace {

struct UdevUnref {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_enumerate* enumeration) const { udev_enumerate_unref(enumeration); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
using Udev = std::unique_ptr<udev, UdevUnref>;
using UdevEnumerate = std::unique_ptr<udev_enumerate, UdevUnref>;
using UdevDevice = std::unique_ptr<udev_device, UdevUnref>;

// The USB drivers of the mass-storage class: bulk-only transport and UAS.
constexpr std::array<std::string_view, 2> kUsbStorageDrivers{"usb-storage", "uas"};

// The SCSI peripheral device type that `device/type` reports.
std::string_view ScsiTypeOf(InterfaceKind kind) {
    return kind == InterfaceKind::Disk ? "0" : "5";
}

std::string_view Text(const char* value) {
    return value == nullptr ? std::string_view{} : value;
}

// Only the USB test tells a USB disk from a SATA one: both are SCSI disks with an
// sg node.
bool BehindUsbStorage(udev_device* device) {
    for (udev_device* ancestor = udev_device_get_parent(device); ancestor != nullptr;
         ancestor = udev_device_get_parent(ancestor)) {
        if (Text(udev_device_get_subsystem(ancestor)) == "usb" &&
            std::ranges::find(kUsbStorageDrivers, Text(udev_device_get_driver(ancestor))) !=
                kUsbStorageDrivers.end()) {
            return true;
        }
    }
    return false;
}

// The sg node of a SCSI device, when the sg driver gave it one.
std::optional<std::string> GenericNodeOf(udev* context, udev_device* scsiDevice) {
    UdevEnumerate children(udev_enumerate_new(context));
    if (!children || udev_enumerate_add_match_parent(children.get(), scsiDevice) < 0 ||
        udev_enumerate_add_match_subsystem(children.get(), "scsi_generic") < 0 ||
        udev_enumerate_scan_devices(children.get()) < 0) {
        return std::nullopt;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(children.get())) {
        UdevDevice generic(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        if (generic && udev_device_get_devnode(generic.get()) != nullptr) {
            return std::string(udev_device_get_devnode(generic.get()));
        }
    }
    return std::nullopt;
}

struct Found {
    std::string kernelName;
    DevicePath path;
};

// The node to open for one block device, when it is a whole USB storage device of
// the kind asked for.
std::optional<Found> Examine(udev* context, udev_device* block, InterfaceKind kind) {
    // A whole disk hangs directly below its SCSI device; a partition below its disk.
    udev_device* scsiDevice = udev_device_get_parent(block);
    if (scsiDevice == nullptr || Text(udev_device_get_subsystem(scsiDevice)) != "scsi" ||
        Text(udev_device_get_sysattr_value(scsiDevice, "type")) != ScsiTypeOf(kind) ||
        !BehindUsbStorage(scsiDevice)) {
        return std::nullopt;
    }
    const char* sysname = udev_device_get_sysname(block);
    if (sysname == nullptr) {
        return std::nullopt;
    }
    if (std::optional<std::string> generic = GenericNodeOf(context, scsiDevice)) {
        return Found{sysname, std::move(*generic)};
    }
    if (const char* node = udev_device_get_devnode(block)) {
        return Found{sysname, node};
    }
    return std::nullopt;
}

}  // namespace

std::vector<DevicePath> LinuxInterfaceListing::List(InterfaceKind kind) {
    Udev context(udev_new());
    if (!context) {
        return {};
    }
    UdevEnumerate blocks(udev_enumerate_new(context.get()));
    if (!blocks || udev_enumerate_add_match_subsystem(blocks.get(), "block") < 0 ||
        udev_enumerate_scan_devices(blocks.get()) < 0) {
        return {};
    }
    std::vector<Found> found;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(blocks.get())) {
        UdevDevice block(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!block) {
            continue;
        }
        if (std::optional<Found> device = Examine(context.get(), block.get(), kind)) {
            found.push_back(std::move(*device));
        }
    }
    std::ranges::sort(found, KernelNameLess, &Found::kernelName);
    std::vector<DevicePath> paths;
    for (Found& device : found) {
        paths.push_back(std::move(device.path));
    }
    return paths;
}

}  // namespace kxt::os::linux_impl
