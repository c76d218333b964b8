#include "gui/program/WindowController.h"

#include <QEventLoop>
#include <exception>

#include "app/WindowTexts.h"

namespace kxt::gui {
namespace {

using namespace std::chrono_literals;

// How often the emulated clock catches up with real time: finer than any delay that
// a user could notice.
constexpr auto kFollowInterval = 100ms;

}  // namespace

WindowController::WindowController(const os::Platform& platform, QtUiServices& ui,
                                   NoticeSource notices, ControllerOptions options)
    : platform_(platform),
      ui_(ui),
      noticeSource_(std::move(notices)),
      options_(options),
      rescanTimer_(ui, [this] { Do([](app::TK71xFwTool& tool) { tool.RefreshBtnClick(); }); }) {
    ui_.SetTimerHandler([this](int id) { rescanTimer_.WMTimer(id); });
    if (options_.emulatedBus != nullptr) {
        follower_.emplace(*options_.emulatedBus);
        connect(&followTimer_, &QTimer::timeout, this, [this] { FollowEmulatedTime(); });
    }
    worker_.Post([this] { Construct(); });
}

WindowController::~WindowController() {
    if (!finished_) {
        QEventLoop loop;
        connect(this, &WindowController::finished, &loop, &QEventLoop::quit);
        OnCloseRequested();
        loop.exec();
    }
    ui_.SetTimerHandler({});
}

void WindowController::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        platform_.ui.ShowMessage(error.what(), app::texts::kErrorCaption, os::MessageIcon::Error);
    }
}

void WindowController::Construct() {
    const app::WindowMode mode =
        options_.engineering ? app::WindowMode::Engineering : app::WindowMode::Normal;
    Guarded([this, mode] {
        tool_ = std::make_unique<app::TK71xFwTool>(platform_, settings_, &window_, mode);
    });
    if (!tool_) {
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
        return;
    }
    const app::WindowControls built = *tool_;
    QMetaObject::invokeMethod(
        this, [this, built] { FormCreate(built); }, Qt::QueuedConnection);
}

void WindowController::FormCreate(const app::WindowControls& built) {
    window_.Render(built);
    window_.ShowCentred();
    // Device changes matter from now on, not during the first scan.
    if (noticeSource_) {
        notices_ = noticeSource_();
    }
    if (notices_) {
        watcher_ = std::make_unique<DeviceNoticeWatcher>(
            *notices_, [this](std::uint32_t code) { rescanTimer_.WMDeviceChange(code); });
    }
    if (follower_) {
        followTimer_.start(kFollowInterval);
    }
}

void WindowController::Do(std::function<void(app::TK71xFwTool&)> handler) {
    worker_.Post([this, handler = std::move(handler)] {
        if (!tool_) {
            return;  // the window has closed
        }
        Guarded([&] { handler(*tool_); });
        tool_->Redraw();
    });
}

void WindowController::CloseOnWorker() {
    if (!tool_) {
        return;  // closed already
    }
    tool_.reset();  // releases vendor mode on the last scan's release list
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
}

void WindowController::Finish() {
    followTimer_.stop();
    watcher_.reset();
    ui_.KillTimer(app::RescanTimerId);
    window_.CloseWindow();
    finished_ = true;
    emit finished();
}

void WindowController::FollowEmulatedTime() {
    if (followQueued_.exchange(true)) {
        return;  // the last one has not run yet: the worker is busy
    }
    worker_.Post([this] {
        followQueued_ = false;
        follower_->Follow();
    });
}

void WindowController::OnEraseButton() {
    Do([](app::TK71xFwTool& tool) { tool.EraseButtonClick(); });
}

void WindowController::OnExit() {
    worker_.Post([this] {
        if (!tool_) {
            return;
        }
        tool_->ExitBtnClick();
        if (tool_->CloseRequested()) {
            CloseOnWorker();
        }
    });
}

void WindowController::OnCloseRequested() {
    worker_.Post([this] { CloseOnWorker(); });
}

void WindowController::OnRefreshButton() {
    Do([](app::TK71xFwTool& tool) { tool.RefreshBtnClick(); });
}

void WindowController::OnRdCheckBox(bool checked) {
    Do([checked](app::TK71xFwTool& tool) {
        tool.RdCheckBox.checked = checked;
        tool.RdCheckBoxClick();
    });
}

void WindowController::OnEraseOnlyCheck(bool checked) {
    Do([checked](app::TK71xFwTool& tool) {
        tool.EraseOnlyCheck.checked = checked;
        tool.EraseOnlyCheckClick(tool.EraseOnlyCheck);
    });
}

void WindowController::OnBackupFwCheck(bool checked) {
    Do([checked](app::TK71xFwTool& tool) {
        tool.BackupFWCheckBox.checked = checked;
        tool.EraseOnlyCheckClick(tool.BackupFWCheckBox);
    });
}

void WindowController::OnA1ChipCheck(bool checked) {
    Do([checked](app::TK71xFwTool& tool) { tool.A1ChipCheck.checked = checked; });
}

void WindowController::OnNvramCheck(bool checked) {
    Do([checked](app::TK71xFwTool& tool) { tool.NVRAMCheck.checked = checked; });
}

void WindowController::OnLoad() {
    Do([](app::TK71xFwTool& tool) { tool.LoadBtnClick(); });
}

void WindowController::OnBrowse() {
    Do([](app::TK71xFwTool& tool) { tool.BackupBtnClick(); });
}

void WindowController::OnRun() {
    Do([](app::TK71xFwTool& tool) { tool.UpdateBtnClick(); });
}

void WindowController::OnDeviceListChanged(int index) {
    Do([index](app::TK71xFwTool& tool) {
        tool.DeviceList.index = index;
        tool.UpdateBtnCheck();
    });
}

void WindowController::OnFlashTypeChanged(int index) {
    Do([index](app::TK71xFwTool& tool) {
        tool.FlashTypeList.index = index;
        tool.UpdateBtnCheck();
    });
}

void WindowController::OnFwSizeChanged(int index) {
    Do([index](app::TK71xFwTool& tool) {
        tool.FwSizeCheck.index = index;
        tool.FwSizeCheckChange();
    });
}

void WindowController::OnPgSizeChanged(int index) {
    Do([index](app::TK71xFwTool& tool) {
        tool.FwPgSizeCheck.index = index;
        tool.FwPgSizeCheckChange();
    });
}

void WindowController::OnFirmwareFileEdited(const std::string& text) {
    Do([text](app::TK71xFwTool& tool) {
        tool.FwFilenameEdit.text = text;
        tool.UpdateBtnCheck();
    });
}

void WindowController::OnBackupFileEdited(const std::string& text) {
    Do([text](app::TK71xFwTool& tool) { tool.BackupFileEdit.text = text; });
}

}  // namespace kxt::gui
