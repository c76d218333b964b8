#pragma once

#include <array>
#include <cstddef>

#include "os/Platform.h"

namespace kxt::device {

// The paths of one scan: disks from position 0, CD-ROM drives after them. It has
// the room of the device window, 16 entries of at most 255 characters; paths that
// find no room, or are too long to be kept whole, are left out and counted, so a
// caller can tell the user.
struct DevicePathTable {
    static constexpr std::size_t kEntries = 16;
    static constexpr std::size_t kMaxPathLength = 255;

    std::array<os::DevicePath, kEntries> paths;
    std::size_t leftOut = 0;  // summed over every call that wrote into this table
};

// The present disk interfaces of USB mass-storage devices, written from position
// 0; returns how many were written.
std::size_t EnumDiskInterfaces(const os::Platform& p, DevicePathTable& table);

// The present CD-ROM interfaces of USB mass-storage devices, written from `start`
// (the disk count); returns how many were written.
std::size_t EnumCdromInterfaces(const os::Platform& p, DevicePathTable& table, std::size_t start);

}  // namespace kxt::device
