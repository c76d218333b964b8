#include "gui/EmulatedDeviceNotices.h"

namespace kxt::gui {

std::unique_ptr<EmulatedDeviceNotices> EmulatedDeviceNotices::Attach(emulator::EmulatedBus& bus) {
    auto queue = os::linux_impl::DeviceNoticeQueue::Create();
    if (!queue) {
        return nullptr;
    }
    return std::make_unique<EmulatedDeviceNotices>(bus, std::move(queue));
}

EmulatedDeviceNotices::EmulatedDeviceNotices(
    emulator::EmulatedBus& bus, std::unique_ptr<os::linux_impl::DeviceNoticeQueue> queue)
    : bus_(bus), queue_(std::move(queue)) {
    bus_.SetChangeListener(
        [queue = queue_.get()](const os::DevicePath&, emulator::DeviceChange change) {
            queue->Post(change == emulator::DeviceChange::Arrival ? os::kDeviceArrival
                                                                  : os::kDeviceRemoveComplete);
        });
}

EmulatedDeviceNotices::~EmulatedDeviceNotices() {
    bus_.SetChangeListener({});
}

}  // namespace kxt::gui
