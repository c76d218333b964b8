#include "device/DeviceDiscovery.h"

namespace kxt::device {
namespace {

// A path is kept only whole: a shortened one would name another device, or none.
std::size_t CopyInto(const std::vector<os::DevicePath>& found, DevicePathTable& table,
                     std::size_t start) {
    std::size_t written = 0;
    for (const os::DevicePath& path : found) {
        const std::size_t position = start + written;
        if (position >= table.paths.size() || path.size() > DevicePathTable::kMaxPathLength) {
            ++table.leftOut;
            continue;
        }
        table.paths[position] = path;
        ++written;
    }
    return written;
}

}  // namespace

std::size_t EnumDiskInterfaces(const os::Platform& p, DevicePathTable& table) {
    return CopyInto(p.interfaces.List(os::InterfaceKind::Disk), table, 0);
}

std::size_t EnumCdromInterfaces(const os::Platform& p, DevicePathTable& table, std::size_t start) {
    return CopyInto(p.interfaces.List(os::InterfaceKind::Cdrom), table, start);
}

}  // namespace kxt::device
