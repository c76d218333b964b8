#pragma once

#include <memory>

#include "emulator/EmulatedBus.h"
#include "os/DeviceChangeNotices.h"
#include "os/linux/DeviceNoticeQueue.h"

namespace kxt::gui {

// Device-change notices of the emulated bus: a device that joins it (a reset chip
// coming back) is an arrival, one that leaves it a removal, as the kernel reports
// a real enclosure. The bus may tell from any thread.
class EmulatedDeviceNotices final : public os::DeviceChangeNotices {
  public:
    // Null when no notice queue can be had.
    static std::unique_ptr<EmulatedDeviceNotices> Attach(emulator::EmulatedBus& bus);

    EmulatedDeviceNotices(emulator::EmulatedBus& bus,
                          std::unique_ptr<os::linux_impl::DeviceNoticeQueue> queue);
    // Stops listening; no device work may run on the bus at that moment.
    ~EmulatedDeviceNotices() override;

    int ReadyFd() const override { return queue_->ReadyFd(); }
    std::vector<std::uint32_t> Drain() override { return queue_->Drain(); }

  private:
    emulator::EmulatedBus& bus_;
    std::unique_ptr<os::linux_impl::DeviceNoticeQueue> queue_;
};

}  // namespace kxt::gui
