#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "app/DeviceChangeMonitoring.h"
#include "app/ProcessSettings.h"
#include "app/TK71xFwTool.h"
#include "emulator/EmulatedBus.h"
#include "gui/DeviceNoticeWatcher.h"
#include "gui/MainWindow.h"
#include "gui/QtUiServices.h"
#include "gui/WindowActions.h"
#include "gui/program/EmulatedTimeFollower.h"
#include "gui/program/WorkerThread.h"
#include "os/DeviceChangeNotices.h"
#include "os/Platform.h"

namespace kxt::gui {

struct ControllerOptions {
    // Shows "RD Version", so the engineering panel can be opened on purpose.
    bool engineering = false;
    // The emulated bus behind the platform, if any: its clock then follows real time.
    emulator::EmulatedBus* emulatedBus = nullptr;
};

// Runs the window: the window state and its handlers live on one worker thread, so
// the window keeps drawing while a device works; the GUI thread draws, forwards the
// user's actions and the device notices, and serves the message boxes that the
// handlers show. Handlers run one at a time in the order they were asked for, so a
// click or a rescan during an update takes effect after it.
// Create, use and destroy it on the GUI thread.
class WindowController final : public QObject, public WindowActions {
    Q_OBJECT

  public:
    // Opens the source of device-change notices; null when there is none.
    using NoticeSource = std::function<std::unique_ptr<os::DeviceChangeNotices>()>;

    // Starts building the window state (the first scan) on the worker; the window
    // is shown when that is done. `platform.ui` must be `ui`.
    WindowController(const os::Platform& platform, QtUiServices& ui, NoticeSource notices,
                     ControllerOptions options);
    // Closes the window first if that has not happened, waiting for the handler
    // that runs; the GUI thread keeps serving its message boxes meanwhile.
    ~WindowController() override;

    MainWindow& Window() { return window_; }
    // The window is closed and its state destroyed (vendor mode released).
    bool Finished() const { return finished_; }

    void OnEraseButton() override;
    void OnExit() override;
    void OnCloseRequested() override;
    void OnRefreshButton() override;
    void OnRdCheckBox(bool checked) override;
    void OnEraseOnlyCheck(bool checked) override;
    void OnBackupFwCheck(bool checked) override;
    void OnA1ChipCheck(bool checked) override;
    void OnNvramCheck(bool checked) override;
    void OnLoad() override;
    void OnBrowse() override;
    void OnRun() override;
    void OnDeviceListChanged(int index) override;
    void OnFlashTypeChanged(int index) override;
    void OnFwSizeChanged(int index) override;
    void OnPgSizeChanged(int index) override;
    void OnFirmwareFileEdited(const std::string& text) override;
    void OnBackupFileEdited(const std::string& text) override;

  signals:
    // Once, after the window has closed.
    void finished();

  private:
    // Worker: runs a handler on the window state, then draws the state.
    void Do(std::function<void(app::TK71xFwTool&)> handler);
    // Worker: runs `work`, showing an error that escapes it as the error box.
    void Guarded(const std::function<void()>& work);
    // Worker: builds the state (first scan, panel closed).
    void Construct();
    // GUI: shows the built window and starts listening for device changes.
    void FormCreate(const app::WindowControls& built);
    // Worker: destroys the state, which releases the devices, then ends the window.
    void CloseOnWorker();
    // GUI: the window closes for good.
    void Finish();
    // GUI: asks the worker to move the emulated clock on, once at a time.
    void FollowEmulatedTime();

    const os::Platform& platform_;
    QtUiServices& ui_;
    NoticeSource noticeSource_;
    ControllerOptions options_;
    app::ProcessSettings settings_;

    MainWindow window_{*this};
    app::RescanTimer rescanTimer_;
    std::unique_ptr<os::DeviceChangeNotices> notices_;
    std::unique_ptr<DeviceNoticeWatcher> watcher_;
    std::optional<EmulatedTimeFollower> follower_;  // used on the worker
    QTimer followTimer_;
    std::atomic<bool> followQueued_{false};
    bool finished_ = false;

    std::unique_ptr<app::TK71xFwTool> tool_;  // created, used and destroyed on the worker
    WorkerThread worker_;                     // last: its jobs end before anything above goes away
};

}  // namespace kxt::gui
