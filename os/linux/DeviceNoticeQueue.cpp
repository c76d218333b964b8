#include "os/linux/DeviceNoticeQueue.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace kxt::os::linux_impl {

std::unique_ptr<DeviceNoticeQueue> DeviceNoticeQueue::Create() {
    UniqueFd ready(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!ready.Valid()) {
        return nullptr;
    }
    return std::make_unique<DeviceNoticeQueue>(std::move(ready));
}

void DeviceNoticeQueue::Post(std::uint32_t code) {
    std::lock_guard lock(mutex_);
    waiting_.push_back(code);
    const std::uint64_t one = 1;
    // The counter only signals readiness; its value does not matter.
    [[maybe_unused]] const auto written = ::write(ready_.Get(), &one, sizeof one);
}

std::vector<std::uint32_t> DeviceNoticeQueue::Drain() {
    std::lock_guard lock(mutex_);
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(ready_.Get(), &count, sizeof count);
    std::vector<std::uint32_t> notices;
    notices.swap(waiting_);
    return notices;
}

}  // namespace kxt::os::linux_impl
