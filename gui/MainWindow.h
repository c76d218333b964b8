#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <mutex>
#include <optional>

#include "app/WindowControls.h"
#include "app/WindowObserver.h"
#include "gui/WindowActions.h"

namespace kxt::gui {

// A read-only or editable field with its caption to the left.
struct LabelledEdit {
    LabelledEdit(QWidget* parent, const char* name);
    QLabel caption;
    QLineEdit edit;
};

// The program's window: draws a state of the window's controls and forwards what
// the user does to WindowActions. It holds no logic of its own.
class MainWindow final : public QWidget, public app::WindowObserver {
    Q_OBJECT

  public:
    explicit MainWindow(WindowActions& actions);
    ~MainWindow() override;

    // Any thread: draws this state on the GUI thread. States sent faster than the
    // GUI thread draws are merged; the latest one wins.
    void Redraw(const app::WindowControls& controls) override;
    // GUI thread: draws this state now.
    void Render(const app::WindowControls& controls);

    // Any thread: shows the window in the middle of its screen.
    void ShowCentred();
    // Any thread: closes the window for good (after OnExit or OnCloseRequested).
    void CloseWindow();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildWindow();
    void Place();
    void Connect();
    void RenderPending();

    WindowActions& actions_;

    // What the user sees.
    QLabel devLable_;
    QLabel replugLable1_;
    QProgressBar FwUpdatBar_;
    QPushButton EraseButton_;
    QPushButton ExtBtn_;
    QPushButton ExitBtn_;

    // The engineering controls on the window.
    QCheckBox RdCheckBox_;
    QPushButton RefreshBtn_;
    QComboBox DeviceList_;
    LabelledEdit ChipLabelEdit_;
    LabelledEdit DiskLetterLable_;
    LabelledEdit FwVerLableEdit_;
    LabelledEdit SFlashTypeLable_;
    LabelledEdit StatusEdit_;
    LabelledEdit FwFilenameEdit_;
    QPushButton LoadBtn_;
    QPushButton UpdateBtn_;
    QComboBox FlashTypeList_;
    QComboBox FwPgSizeCheck_;
    QLabel FlashTypeLabel_;
    QLabel diskLabel_;
    QLabel Label1_;
    QFrame Panel1_;

    // The engineering panel; its controls are declared after it, so they go first.
    QFrame RdPanel_;
    QCheckBox A1ChipCheck_;
    QCheckBox EraseOnlyCheck_;
    QCheckBox NVRAMCheck_;
    QCheckBox BackupFWCheckBox_;
    QPushButton BackupBtn_;
    QComboBox FwSizeCheck_;
    QLabel FwSizeLable_;
    LabelledEdit BackupFileEdit_;

    std::mutex pendingMutex_;
    std::optional<app::WindowControls> pending_;
    bool closeAllowed_ = false;
    bool inCloseEvent_ = false;
};

}  // namespace kxt::gui
