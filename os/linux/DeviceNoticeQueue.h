#pragma once

#include <memory>
#include <mutex>

#include "os/DeviceChangeNotices.h"
#include "os/linux/UniqueFd.h"

namespace kxt::os::linux_impl {

// Notices posted by code of our own (the emulated bus) from any thread, handed to
// the window's thread through an eventfd.
class DeviceNoticeQueue final : public DeviceChangeNotices {
  public:
    // Null when no eventfd can be had (descriptor limit reached).
    static std::unique_ptr<DeviceNoticeQueue> Create();

    explicit DeviceNoticeQueue(UniqueFd ready) : ready_(std::move(ready)) {}

    void Post(std::uint32_t code);

    int ReadyFd() const override { return ready_.Get(); }
    std::vector<std::uint32_t> Drain() override;

  private:
    UniqueFd ready_;
    std::mutex mutex_;
    std::vector<std::uint32_t> waiting_;
};

}  // namespace kxt::os::linux_impl
