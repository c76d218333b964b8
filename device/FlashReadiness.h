#pragma once

#include <chrono>

#include "device/VendorCommands.h"

namespace kxt::device {

inline constexpr std::chrono::milliseconds kFlashPollInterval{10};
inline constexpr int kFlashReadyPolls = 500;     // re-polls that may still end in "ready"
inline constexpr int kFlashPollLimit = 502;      // re-polls before giving up

// Polls the flash busy bit every 10 ms: true when it is clear at once or within
// 500 re-polls. A status read that fails keeps the previous status; before the
// first answer the flash counts as not busy.
bool WaitFlashReady(const os::Platform& p, const DevicePath& path);

// The same poll where the outcome does not matter: gives up silently after the
// bound.
void PollFlashStatus(const os::Platform& p, const DevicePath& path);

}  // namespace kxt::device
