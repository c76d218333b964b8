#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "os/UiServices.h"

namespace kxt::app {

inline constexpr int RescanTimerId = 101;
inline constexpr std::chrono::milliseconds kRescanDelayAfterArrival{1200};
inline constexpr std::chrono::milliseconds kRescanDelay{200};

// Whether a device-change notice restarts the rescan timer: an arrival, a removal,
// or any code with bit 1 set (nodes changed among them).
bool RestartsRescan(std::uint32_t code);

// Turns a burst of device-change notices into one scan, a fixed delay after the
// last notice that mattered.
class RescanTimer {
  public:
    RescanTimer(os::UiServices& ui, std::function<void()> scan);

    void WMDeviceChange(std::uint32_t code);
    void WMTimer(int id);

  private:
    os::UiServices& ui_;
    std::function<void()> scan_;
};

}  // namespace kxt::app
