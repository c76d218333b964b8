#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <functional>

#include "os/DeviceChangeNotices.h"

namespace kxt::gui {

// Watches a source of device-change notices on the GUI thread and hands each
// notice, in order, to the handler (the window's WMDeviceChange).
class DeviceNoticeWatcher final : public QObject {
  public:
    using Handler = std::function<void(std::uint32_t code)>;

    DeviceNoticeWatcher(os::DeviceChangeNotices& notices, Handler handler);

  private:
    void Deliver();

    os::DeviceChangeNotices& notices_;
    Handler handler_;
    QSocketNotifier notifier_;
};

}  // namespace kxt::gui
