#pragma once

#include <string>
#include <string_view>

#include "app/ProcessSettings.h"
#include "app/WindowControls.h"
#include "app/WindowObserver.h"
#include "os/Platform.h"

namespace kxt::app {

// The part of the window that the programming paths use: the progress bar, the
// status field, the option settings and the platform. The window derives from
// it, so the paths can be built and tested without the rest of the window.
class SharedWindowState : public WindowControls {
public:
    SharedWindowState(const os::Platform& platform, ProcessSettings& settings);

    const os::Platform& GetPlatform() const { return platform_; }
    ProcessSettings& Settings() { return settings_; }
    void SetObserver(WindowObserver* observer) { observer_ = observer; }

    // Moves the bar by `step` percent, never past 100, and redraws it at once;
    // does nothing while the bar is hidden.
    void AdvanceProgress(int step);

    // A new status text, drawn at once.
    void SetStatus(std::string text);
    // Adds to the status text (the progress dots), drawn at once.
    void AppendStatus(std::string_view text);
    // Lets queued window events run (clicks, timers) in the middle of long work.
    void LetPendingMessagesThrough();
    void Redraw();

    // The window's copy of "Erase All Flash Only "; every update run clears it.
    int EraseOnly = 0;
    // The AMIC erase layout of the selected device's flash (-1: not AMIC), recorded by
    // the readiness check for the external-flash chips.
    int AmicLayoutCode = 0;

private:
    const os::Platform& platform_;
    ProcessSettings& settings_;
    WindowObserver* observer_ = nullptr;
};

}  // namespace kxt::app
