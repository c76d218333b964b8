#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "os/UiServices.h"

namespace kxt::gui {

// The core's user-interface services on Qt. Create it on the GUI thread; its
// functions may be called from any thread: message boxes and file dialogs then
// open on the GUI thread and the caller waits for the user, as on the GUI thread.
// A caller that waits must not be waited for by the GUI thread, or both stop.
class QtUiServices final : public QObject, public os::UiServices {
  public:
    using TimerHandler = std::function<void(int id)>;

    QtUiServices();
    ~QtUiServices() override;

    // Receives every timer that falls due, on the GUI thread.
    void SetTimerHandler(TimerHandler handler);

    void ShowMessage(std::string_view text, std::string_view caption,
                     os::MessageIcon icon) override;
    void ProcessPendingMessages() override;
    void DebugTrace(std::string_view text) override;
    void SetTimer(int id, std::chrono::milliseconds delay) override;
    void KillTimer(int id) override;

    std::optional<std::string> ChooseOpenFile(const std::string& initialFolder,
                                              std::string_view filter) override;

  private:
    void RunOnGuiThread(const std::function<void()>& work, Qt::ConnectionType elsewhere);
    QTimer& Timer(int id);

    TimerHandler handler_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

// "BinaryFile|*.bin|All Files|*.*" as a Qt name filter: "BinaryFile (*.bin);;All Files (*)".
QString QtNameFilter(std::string_view filter);

}  // namespace kxt::gui
