#pragma once

#include <chrono>

namespace kxt::os {

class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    virtual std::chrono::milliseconds Now() const = 0;
};

}  // namespace kxt::os
