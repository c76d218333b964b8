#pragma once

#include <string>

namespace kxt::gui {

// What the user did in the window, forwarded to the window's handlers. Only the
// user's own actions arrive here, never changes made by drawing a new state.
// Called on the GUI thread.
class WindowActions {
  public:
    virtual ~WindowActions() = default;

    virtual void OnEraseButton() = 0;  // "YES"
    virtual void OnExit() = 0;         // "NO" and "EXIT"
    // The close box (or the window manager) asks to close. The window stays open
    // until MainWindow::CloseWindow() is called, so a write in progress can end first.
    virtual void OnCloseRequested() = 0;
    virtual void OnRefreshButton() = 0;

    virtual void OnRdCheckBox(bool checked) = 0;
    virtual void OnEraseOnlyCheck(bool checked) = 0;
    virtual void OnBackupFwCheck(bool checked) = 0;
    virtual void OnA1ChipCheck(bool checked) = 0;
    virtual void OnNvramCheck(bool checked) = 0;

    virtual void OnLoad() = 0;    // "Load File"
    virtual void OnBrowse() = 0;  // "Browse"
    virtual void OnRun() = 0;     // "Run"

    // The item the user chose in a list.
    virtual void OnDeviceListChanged(int index) = 0;
    virtual void OnFlashTypeChanged(int index) = 0;
    virtual void OnFwSizeChanged(int index) = 0;
    virtual void OnPgSizeChanged(int index) = 0;

    // Text the user typed (UTF-8).
    virtual void OnFirmwareFileEdited(const std::string& text) = 0;
    virtual void OnBackupFileEdited(const std::string& text) = 0;
};

}  // namespace kxt::gui
