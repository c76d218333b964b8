#pragma once

#include "os/Clock.h"

namespace kxt::emulator {

// Time that passes only when someone sleeps or the emulated device works, so a
// five-second poll costs no real time in a test.
class VirtualClock final : public os::Clock {
public:
    void Sleep(std::chrono::milliseconds duration) override { now_ += duration; }
    std::chrono::milliseconds Now() const override { return now_; }
    void Advance(std::chrono::milliseconds duration) { now_ += duration; }

private:
    std::chrono::milliseconds now_{0};
};

}  // namespace kxt::emulator
