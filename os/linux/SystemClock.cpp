#include "os/linux/SystemClock.h"

#include <thread>

namespace kxt::os::linux_impl {

void SystemClock::Sleep(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

std::chrono::milliseconds SystemClock::Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace kxt::os::linux_impl
