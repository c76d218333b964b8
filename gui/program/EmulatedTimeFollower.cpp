#include "gui/program/EmulatedTimeFollower.h"

namespace kxt::gui {

EmulatedTimeFollower::EmulatedTimeFollower(emulator::EmulatedBus& bus, RealClock now)
    : bus_(bus), now_(std::move(now)), last_(now_()) {}

void EmulatedTimeFollower::Follow() {
    const auto now = now_();
    bus_.Clock().Advance(std::chrono::duration_cast<std::chrono::microseconds>(now - last_));
    last_ = now;
    const auto due = bus_.NextReattachTime();
    if (due && *due <= bus_.Clock().Now()) {
        // Listing the bus is what lets a device that is due join it.
        bus_.List(os::InterfaceKind::Disk);
    }
}

}  // namespace kxt::gui
