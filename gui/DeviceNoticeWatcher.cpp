#include "gui/DeviceNoticeWatcher.h"

namespace kxt::gui {

DeviceNoticeWatcher::DeviceNoticeWatcher(os::DeviceChangeNotices& notices, Handler handler)
    : notices_(notices),
      handler_(std::move(handler)),
      notifier_(notices.ReadyFd(), QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { Deliver(); });
}

void DeviceNoticeWatcher::Deliver() {
    for (const std::uint32_t code : notices_.Drain()) {
        handler_(code);
    }
}

}  // namespace kxt::gui
