#include "device/FlashReadiness.h"

namespace kxt::device {
namespace {

constexpr std::uint8_t kBusyBit = 0x01;

// Reads the status into `status` only when the read succeeds.
void RefreshStatus(const os::Platform& p, const DevicePath& path, std::uint8_t& status) {
    std::uint8_t reply = 0;
    if (ReadFlashStatus(p, path, reply)) {
        status = reply;
    }
}

// The number of re-polls after which the busy bit was seen clear, or the limit.
int PollUntilReady(const os::Platform& p, const DevicePath& path) {
    std::uint8_t status = 0;
    RefreshStatus(p, path, status);
    int repolls = 0;
    while ((status & kBusyBit) != 0 && repolls < kFlashPollLimit) {
        p.clock.Sleep(kFlashPollInterval);
        RefreshStatus(p, path, status);
        ++repolls;
    }
    return (status & kBusyBit) != 0 ? kFlashPollLimit + 1 : repolls;
}

}  // namespace

bool WaitFlashReady(const os::Platform& p, const DevicePath& path) {
    return PollUntilReady(p, path) <= kFlashReadyPolls;
}

void PollFlashStatus(const os::Platform& p, const DevicePath& path) { PollUntilReady(p, path); }

}  // namespace kxt::device
