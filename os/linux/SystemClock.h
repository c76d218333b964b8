#pragma once

#include "os/Clock.h"

namespace kxt::os::linux_impl {

class SystemClock final : public Clock {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() const override;
};

}  // namespace kxt::os::linux_impl
