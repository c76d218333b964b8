#pragma once

#include <cstdint>
#include <vector>

namespace kxt::os {

// Event codes of device-change notices, as the window's rescan logic reads them.
inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
// Storage nodes (block, sg) of a device appeared or went away.
inline constexpr std::uint32_t kDeviceNodesChanged = 0x0007;

// A source of device-change notices that the window's thread watches: the
// descriptor becomes readable when notices wait, and Drain() takes them.
class DeviceChangeNotices {
  public:
    virtual ~DeviceChangeNotices() = default;
    // For poll() or a socket notifier; stays valid for the life of the source.
    virtual int ReadyFd() const = 0;
    // The waiting notices, oldest first; returns at once, empty when none wait.
    virtual std::vector<std::uint32_t> Drain() = 0;
};

}  // namespace kxt::os
