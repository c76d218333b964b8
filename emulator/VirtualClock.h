#pragma once

#include "os/Clock.h"

namespace kxt::emulator {

// Time that passes only when someone sleeps or the emulated device works, so a
// five-second poll costs no real time in a test. It counts microseconds, the grain
// of the timing model; Now() gives whole milliseconds.
class VirtualClock final : public os::Clock {
public:
    void Sleep(std::chrono::milliseconds duration) override { now_ += duration; }
    std::chrono::milliseconds Now() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_);
    }
    std::chrono::microseconds Elapsed() const { return now_; }
    void Advance(std::chrono::microseconds duration) { now_ += duration; }

private:
    std::chrono::microseconds now_{0};
};

}  // namespace kxt::emulator
