#pragma once

#include <chrono>
#include <functional>

#include "emulator/EmulatedBus.h"

namespace kxt::gui {

// Moves an emulated bus's virtual clock on by the real time that passes, so that a
// reset device comes back after its delay while the program waits for the user, as
// an enclosure on a real bus would. The virtual clock is not thread-safe: call
// Follow() only on the thread that does the device work.
class EmulatedTimeFollower {
  public:
    using RealClock = std::function<std::chrono::steady_clock::time_point()>;

    explicit EmulatedTimeFollower(emulator::EmulatedBus& bus,
                                  RealClock now = std::chrono::steady_clock::now);

    // Adds the real time since the last call (or construction) to the virtual clock;
    // a device whose re-attach time has come joins the bus, which tells its listener.
    void Follow();

  private:
    emulator::EmulatedBus& bus_;
    RealClock now_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace kxt::gui
