#pragma once

#include "os/InterfaceListing.h"

namespace kxt::os::linux_impl {

// The whole disks (SCSI type 0) or CD-ROM drives (type 5) of USB mass-storage
// devices, found in sysfs: a block device whose ancestors include a USB interface
// bound to usb-storage or uas. Each is named by its /dev/sg* node when the SCSI
// device has one, else by its block node; sorted by the block device's kernel
// name so that a rescan lists them in the same order.
class LinuxInterfaceListing final : public InterfaceListing {
  public:
    std::vector<DevicePath> List(InterfaceKind kind) override;
};

}  // namespace kxt::os::linux_impl
