#include "app/DeviceChangeMonitoring.h"

#include "os/DeviceChangeNotices.h"

namespace kxt::app {
namespace {

constexpr std::uint32_t kRestartBit = 0x0002;

}  // namespace

bool RestartsRescan(std::uint32_t code) {
    return code == os::kDeviceArrival || code == os::kDeviceRemoveComplete ||
           (code & kRestartBit) != 0;
}

RescanTimer::RescanTimer(os::UiServices& ui, std::function<void()> scan)
    : ui_(ui), scan_(std::move(scan)) {}

void RescanTimer::WMDeviceChange(std::uint32_t code) {
    if (!RestartsRescan(code)) {
        return;
    }
    ui_.KillTimer(RescanTimerId);
    // The disk's nodes come about a second after a USB arrival: give them time.
    ui_.SetTimer(RescanTimerId,
                 code == os::kDeviceArrival ? kRescanDelayAfterArrival : kRescanDelay);
}

void RescanTimer::WMTimer(int id) {
    if (id != RescanTimerId) {
        return;
    }
    ui_.KillTimer(RescanTimerId);
    scan_();
}

}  // namespace kxt::app
