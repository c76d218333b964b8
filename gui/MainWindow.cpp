#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include "gui/Fonts.h"
#include "gui/Layout.h"
#include "gui/QtText.h"

namespace kxt::gui {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);

QRect Rect(const layout::Edges& edges) {
    return QRect(edges.left, edges.top, edges.Width(), edges.Height());
}

void SetTextIfChanged(QLabel& label, const std::string& text) {
    if (label.text() != ToQString(text)) {
        label.setText(ToQString(text));
        label.adjustSize();
    }
}

void Apply(QLabel& widget, const app::Label& state) {
    SetTextIfChanged(widget, state.text);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, state.colour == app::FontColour::Red ? kRed : kBlack);
    widget.setPalette(palette);
    widget.setVisible(state.shown);
}

void Apply(QPushButton& widget, const app::Button& state) {
    widget.setText(ToQString(state.text));
    widget.setEnabled(state.enabled);
    widget.setVisible(state.shown);
}

void Apply(QCheckBox& widget, const app::CheckBox& state) {
    if (widget.text() != ToQString(state.text)) {
        widget.setText(ToQString(state.text));
        widget.adjustSize();
    }
    widget.setChecked(state.checked);
    widget.setEnabled(state.enabled);
    widget.setVisible(state.shown);
}

void Apply(QComboBox& widget, const app::ListBox& state) {
    QStringList items;
    for (const auto& item : state.items) {
        items.push_back(ToQString(item));
    }
    QStringList shown;
    for (int i = 0; i < widget.count(); ++i) {
        shown.push_back(widget.itemText(i));
    }
    if (shown != items) {
        widget.clear();
        widget.addItems(items);
    }
    widget.setCurrentIndex(state.index);
    widget.setEnabled(state.enabled);
    widget.setVisible(state.shown);
}

void Apply(LabelledEdit& widget, const app::Edit& state) {
    SetTextIfChanged(widget.caption, state.label);
    // Keep the caption's right edge next to the edit whatever its text.
    widget.caption.move(widget.edit.x() - layout::kEditLabelGap - widget.caption.width(),
                        widget.edit.y() + (widget.edit.height() - widget.caption.height()) / 2);
    if (widget.edit.text() != ToQString(state.text)) {
        widget.edit.setText(ToQString(state.text));
    }
    widget.edit.setEnabled(state.enabled);
    widget.caption.setVisible(state.shown);
    widget.edit.setVisible(state.shown);
}

void Apply(QProgressBar& widget, const app::ProgressBar& state) {
    widget.setValue(state.position);
    widget.setVisible(state.shown);
}

void Apply(QFrame& widget, const app::Panel& state) {
    widget.setVisible(state.shown);
}

bool OnThreadOf(const QObject& object) {
    return QThread::currentThread() == object.thread();
}

}  // namespace

LabelledEdit::LabelledEdit(QWidget* parent, const char* name) : caption(parent), edit(parent) {
    edit.setObjectName(name);
    caption.setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
    caption.setBuddy(&edit);
}

MainWindow::MainWindow(WindowActions& actions)
    : actions_(actions),
      devLable_(this),
      replugLable1_(this),
      FwUpdatBar_(this),
      EraseButton_(this),
      ExtBtn_(this),
      ExitBtn_(this),
      RdCheckBox_(this),
      RefreshBtn_(this),
      DeviceList_(this),
      ChipLabelEdit_(this, "ChipLabelEdit"),
      DiskLetterLable_(this, "DiskLetterLable"),
      FwVerLableEdit_(this, "FwVerLableEdit"),
      SFlashTypeLable_(this, "SFlashTypeLable"),
      StatusEdit_(this, "StatusEdit"),
      FwFilenameEdit_(this, "FwFilenameEdit"),
      LoadBtn_(this),
      UpdateBtn_(this),
      FlashTypeList_(this),
      FwPgSizeCheck_(this),
      FlashTypeLabel_(this),
      diskLabel_(this),
      Label1_(this),
      Panel1_(this),
      RdPanel_(this),
      A1ChipCheck_(&RdPanel_),
      EraseOnlyCheck_(&RdPanel_),
      NVRAMCheck_(&RdPanel_),
      BackupFWCheckBox_(&RdPanel_),
      BackupBtn_(&RdPanel_),
      FwSizeCheck_(&RdPanel_),
      FwSizeLable_(&RdPanel_),
      BackupFileEdit_(&RdPanel_, "BackupFileEdit") {
    BuildWindow();
    Place();
    Connect();
    Render(app::WindowControls{});
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildWindow() {
    InstallFontSubstitutions();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(ToQString(layout::kCaption));
    setWindowIcon(QIcon(ToQString(layout::kIconResource)));
    // The button-face colour as the window's own, so texts keep their window roles.
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    setFont(MakeFont(layout::kWindowFont));

    const struct {
        QObject& widget;
        const char* name;
    } names[] = {
        {devLable_, "devLable"},
        {replugLable1_, "replugLable1"},
        {FwUpdatBar_, "FwUpdatBar"},
        {EraseButton_, "EraseButton"},
        {ExtBtn_, "ExtBtn"},
        {ExitBtn_, "ExitBtn"},
        {RdCheckBox_, "RdCheckBox"},
        {RefreshBtn_, "RefreshBtn"},
        {DeviceList_, "DeviceList"},
        {LoadBtn_, "LoadBtn"},
        {UpdateBtn_, "UpdateBtn"},
        {FlashTypeList_, "FlashTypeList"},
        {FwPgSizeCheck_, "FwPgSizeCheck"},
        {FlashTypeLabel_, "FlashTypeLabel"},
        {diskLabel_, "diskLabel"},
        {Label1_, "Label1"},
        {Panel1_, "Panel1"},
        {RdPanel_, "RdPanel"},
        {A1ChipCheck_, "A1ChipCheck"},
        {EraseOnlyCheck_, "EraseOnlyCheck"},
        {NVRAMCheck_, "NVRAMCheck"},
        {BackupFWCheckBox_, "BackupFWCheckBox"},
        {BackupBtn_, "BackupBtn"},
        {FwSizeCheck_, "FwSizeCheck"},
        {FwSizeLable_, "FwSizeLable"},
    };
    for (const auto& [widget, name] : names) {
        widget.setObjectName(QString::fromLatin1(name));
    }

    for (QLabel* label : {&devLable_, &replugLable1_}) {
        label->setFont(MakeFont(layout::kMessageFont));
    }
    for (QPushButton* button : {&EraseButton_, &ExtBtn_, &ExitBtn_}) {
        button->setFont(MakeFont(layout::kButtonFont));
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{&FwSizeCheck_, &FwSizeLable_}) {
        widget->setFont(MakeFont(layout::kSizeListFont));
    }
    for (QLabel* label :
         {&devLable_, &replugLable1_, &FlashTypeLabel_, &diskLabel_, &Label1_, &FwSizeLable_}) {
        label->setTextFormat(Qt::PlainText);
    }

    FwUpdatBar_.setRange(0, layout::kProgressMaximum);
    FwUpdatBar_.setTextVisible(false);
    for (LabelledEdit* field :
         {&ChipLabelEdit_, &DiskLetterLable_, &FwVerLableEdit_, &SFlashTypeLable_, &StatusEdit_}) {
        field->edit.setReadOnly(true);
    }
    Panel1_.setAutoFillBackground(true);
    QPalette navy = Panel1_.palette();
    navy.setColor(QPalette::Window, kNavy);
    Panel1_.setPalette(navy);
    RdPanel_.setFrameStyle(QFrame::Panel | QFrame::Raised);
    RdPanel_.setAutoFillBackground(true);
}

void MainWindow::Place() {
    using namespace layout;
    devLable_.move(kDevLable.left, kDevLable.top);
    replugLable1_.move(kReplugLable1.left, kReplugLable1.top);
    FwUpdatBar_.setGeometry(Rect(kFwUpdatBar));
    EraseButton_.setGeometry(Rect(kEraseButton));
    ExtBtn_.setGeometry(Rect(kExtBtn));
    ExitBtn_.setGeometry(Rect(kExitBtn));

    RdCheckBox_.move(kRdCheckBox.left, kRdCheckBox.top);
    diskLabel_.move(kDiskLabel.left, kDiskLabel.top);
    DeviceList_.setGeometry(Rect(kDeviceList));
    RefreshBtn_.setGeometry(Rect(kRefreshBtn));
    ChipLabelEdit_.edit.setGeometry(Rect(kChipLabelEdit));
    DiskLetterLable_.edit.setGeometry(Rect(kDiskLetterLable));
    FwVerLableEdit_.edit.setGeometry(Rect(kFwVerLableEdit));
    FwFilenameEdit_.edit.setGeometry(Rect(kFwFilenameEdit));
    LoadBtn_.setGeometry(Rect(kLoadBtn));
    FlashTypeLabel_.move(kFlashTypeLabel.left, kFlashTypeLabel.top);
    FlashTypeList_.setGeometry(Rect(kFlashTypeList));
    Label1_.move(kLabel1.left, kLabel1.top);
    FwPgSizeCheck_.setGeometry(Rect(kFwPgSizeCheck));
    UpdateBtn_.setGeometry(Rect(kUpdateBtn));
    SFlashTypeLable_.edit.setGeometry(Rect(kSFlashTypeLable));
    StatusEdit_.edit.setGeometry(Rect(kStatusEdit));
    Panel1_.setGeometry(Rect(kPanel1));

    RdPanel_.resize(kRdPanelWidth, kRdPanelHeight);
    A1ChipCheck_.move(kA1ChipCheck.left, kA1ChipCheck.top);
    EraseOnlyCheck_.move(kEraseOnlyCheck.left, kEraseOnlyCheck.top);
    NVRAMCheck_.move(kNVRAMCheck.left, kNVRAMCheck.top);
    BackupFWCheckBox_.move(kBackupFWCheckBox.left, kBackupFWCheckBox.top);
    BackupBtn_.setGeometry(Rect(kBackupBtn));
    FwSizeCheck_.setGeometry(Rect(kFwSizeCheck));
    FwSizeLable_.move(kFwSizeLable.left, kFwSizeLable.top);
    BackupFileEdit_.edit.setGeometry(Rect(kBackupFileEdit));
}

void MainWindow::Connect() {
    WindowActions& a = actions_;
    connect(&EraseButton_, &QPushButton::clicked, this, [&a] { a.OnEraseButton(); });
    connect(&ExtBtn_, &QPushButton::clicked, this, [&a] { a.OnExit(); });
    connect(&ExitBtn_, &QPushButton::clicked, this, [&a] { a.OnExit(); });
    connect(&RefreshBtn_, &QPushButton::clicked, this, [&a] { a.OnRefreshButton(); });
    connect(&LoadBtn_, &QPushButton::clicked, this, [&a] { a.OnLoad(); });
    connect(&BackupBtn_, &QPushButton::clicked, this, [&a] { a.OnBrowse(); });
    connect(&UpdateBtn_, &QPushButton::clicked, this, [&a] { a.OnRun(); });

    // clicked, activated and textEdited come from the user only, never from drawing.
    connect(&RdCheckBox_, &QCheckBox::clicked, this, [&a](bool on) { a.OnRdCheckBox(on); });
    connect(&EraseOnlyCheck_, &QCheckBox::clicked, this, [&a](bool on) { a.OnEraseOnlyCheck(on); });
    connect(&BackupFWCheckBox_, &QCheckBox::clicked, this,
            [&a](bool on) { a.OnBackupFwCheck(on); });
    connect(&A1ChipCheck_, &QCheckBox::clicked, this, [&a](bool on) { a.OnA1ChipCheck(on); });
    connect(&NVRAMCheck_, &QCheckBox::clicked, this, [&a](bool on) { a.OnNvramCheck(on); });

    connect(&DeviceList_, &QComboBox::activated, this,
            [&a](int index) { a.OnDeviceListChanged(index); });
    connect(&FlashTypeList_, &QComboBox::activated, this,
            [&a](int index) { a.OnFlashTypeChanged(index); });
    connect(&FwSizeCheck_, &QComboBox::activated, this,
            [&a](int index) { a.OnFwSizeChanged(index); });
    connect(&FwPgSizeCheck_, &QComboBox::activated, this,
            [&a](int index) { a.OnPgSizeChanged(index); });

    connect(&FwFilenameEdit_.edit, &QLineEdit::textEdited, this,
            [&a](const QString& text) { a.OnFirmwareFileEdited(text.toStdString()); });
    connect(&BackupFileEdit_.edit, &QLineEdit::textEdited, this,
            [&a](const QString& text) { a.OnBackupFileEdited(text.toStdString()); });
}

void MainWindow::Redraw(const app::WindowControls& controls) {
    if (OnThreadOf(*this)) {
        {
            std::lock_guard lock(pendingMutex_);
            pending_.reset();  // older than this one
        }
        Render(controls);
        return;
    }
    bool schedule = false;
    {
        std::lock_guard lock(pendingMutex_);
        schedule = !pending_.has_value();
        pending_ = controls;
    }
    if (schedule) {
        QMetaObject::invokeMethod(
            this, [this] { RenderPending(); }, Qt::QueuedConnection);
    }
}

void MainWindow::RenderPending() {
    std::optional<app::WindowControls> state;
    {
        std::lock_guard lock(pendingMutex_);
        state.swap(pending_);
    }
    if (state) {
        Render(*state);
    }
}

void MainWindow::Render(const app::WindowControls& c) {
    setFixedSize(layout::kClientWidth, c.clientHeight);

    Apply(devLable_, c.devLable);
    Apply(replugLable1_, c.replugLable1);
    Apply(FwUpdatBar_, c.FwUpdatBar);
    Apply(EraseButton_, c.EraseButton);
    Apply(ExtBtn_, c.ExtBtn);
    Apply(ExitBtn_, c.ExitBtn);

    Apply(RdCheckBox_, c.RdCheckBox);
    Apply(RefreshBtn_, c.RefreshBtn);
    Apply(DeviceList_, c.DeviceList);
    Apply(ChipLabelEdit_, c.ChipLabelEdit);
    Apply(DiskLetterLable_, c.DiskLetterLable);
    Apply(FwVerLableEdit_, c.FwVerLableEdit);
    Apply(SFlashTypeLable_, c.SFlashTypeLable);
    Apply(StatusEdit_, c.StatusEdit);
    Apply(FwFilenameEdit_, c.FwFilenameEdit);
    Apply(LoadBtn_, c.LoadBtn);
    Apply(UpdateBtn_, c.UpdateBtn);
    Apply(FlashTypeList_, c.FlashTypeList);
    Apply(FwPgSizeCheck_, c.FwPgSizeCheck);
    Apply(FlashTypeLabel_, c.FlashTypeLabel);
    Apply(diskLabel_, c.diskLabel);
    Apply(Label1_, c.Label1);
    Apply(Panel1_, c.Panel1);

    // The panel fills the strip that opening it added at the bottom.
    RdPanel_.move(layout::kRdPanelLeft, c.clientHeight - layout::kRdPanelHeight);
    RdPanel_.raise();
    Apply(RdPanel_, c.RdPanel);
    Apply(A1ChipCheck_, c.A1ChipCheck);
    Apply(EraseOnlyCheck_, c.EraseOnlyCheck);
    Apply(NVRAMCheck_, c.NVRAMCheck);
    Apply(BackupFWCheckBox_, c.BackupFWCheckBox);
    Apply(BackupBtn_, c.BackupBtn);
    Apply(FwSizeCheck_, c.FwSizeCheck);
    Apply(FwSizeLable_, c.FwSizeLable);
    Apply(BackupFileEdit_, c.BackupFileEdit);
}

void MainWindow::ShowCentred() {
    if (!OnThreadOf(*this)) {
        QMetaObject::invokeMethod(
            this, [this] { ShowCentred(); }, Qt::QueuedConnection);
        return;
    }
    // The whole window, title bar included, goes to the middle. Its frame is known only
    // once it is shown, so it is placed by its client size first.
    const auto centre = [this](QSize outer) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect desktop = screen->availableGeometry();
            move(desktop.left() + (desktop.width() - outer.width()) / 2,
                 desktop.top() + (desktop.height() - outer.height()) / 2);
        }
    };
    centre(size());
    show();
    centre(frameGeometry().size());
}

void MainWindow::CloseWindow() {
    if (!OnThreadOf(*this)) {
        QMetaObject::invokeMethod(
            this, [this] { CloseWindow(); }, Qt::QueuedConnection);
        return;
    }
    closeAllowed_ = true;
    // Asked from inside OnCloseRequested: the pending close event is accepted instead.
    if (!inCloseEvent_) {
        close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closeAllowed_) {
        inCloseEvent_ = true;
        actions_.OnCloseRequested();
        inCloseEvent_ = false;
    }
    if (closeAllowed_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace kxt::gui
