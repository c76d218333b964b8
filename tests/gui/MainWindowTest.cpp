#include "gui/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <set>
#include <thread>

#include "gui/screenshots/SampleStates.h"
#include "tests/gui/RecordingActions.h"

namespace kxt {
namespace {

namespace samples = gui::samples;

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

class MainWindowTest : public ::testing::Test {
  protected:
    // As the program does: construction draws its state before the window is shown.
    MainWindowTest() {
        window.Render(samples::Constructed());
        window.ShowCentred();
    }

    template <typename W>
    W& Control(const char* name) {
        W* widget = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }

    // The names of the window's own controls that the user can see: shown and at
    // least partly inside the client area.
    std::set<std::string> SeenControls() {
        std::set<std::string> seen;
        for (const QWidget* child :
             window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && child->geometry().intersects(window.rect())) {
                seen.insert(child->objectName().toStdString());
            }
        }
        return seen;
    }

    testing::RecordingActions actions;
    gui::MainWindow window{actions};
};

QColor TextColour(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

// What the user sees in each state, control by control.
struct StateView {
    const char* name;
    app::WindowControls controls;
    const char* devLable;  // null: hidden
    QColor devLableColour;
    const char* replugLable1;  // null: hidden
    bool bar;
    bool yes, yesEnabled, no, exit;
};

class WindowStateTest : public MainWindowTest, public ::testing::WithParamInterface<StateView> {};

TEST_P(WindowStateTest, ShowsExactlyTheStatesControlsTextsAndColours) {
    const StateView& v = GetParam();
    window.Render(v.controls);

    std::set<std::string> expected;
    auto& devLable = Control<QLabel>("devLable");
    if (v.devLable != nullptr) {
        expected.insert("devLable");
        EXPECT_EQ(devLable.text().toStdString(), v.devLable);
        EXPECT_EQ(TextColour(devLable), v.devLableColour);
    }
    auto& replug = Control<QLabel>("replugLable1");
    if (v.replugLable1 != nullptr) {
        expected.insert("replugLable1");
        EXPECT_EQ(replug.text().toStdString(), v.replugLable1);
        EXPECT_EQ(TextColour(replug), kBlack);
    }
    if (v.bar) {
        expected.insert("FwUpdatBar");
    }
    if (v.yes) {
        expected.insert("EraseButton");
        EXPECT_EQ(Control<QPushButton>("EraseButton").isEnabled(), v.yesEnabled);
    }
    if (v.no) {
        expected.insert("ExitBtn");
    }
    if (v.exit) {
        expected.insert("ExtBtn");
        EXPECT_TRUE(Control<QPushButton>("ExtBtn").isEnabled());
    }
    EXPECT_EQ(SeenControls(), expected);
    EXPECT_EQ(window.size(), QSize(411, 100));
}

INSTANTIATE_TEST_SUITE_P(
    FiveStates, WindowStateTest,
    ::testing::Values(
        StateView{"Ready", samples::Ready(), "Click 'Yes' to proceed with the firmware update",
                  kBlack, nullptr, false, true, true, true, false},
        StateView{"AlreadyUpdated", samples::NothingToUpdate(samples::kAlreadyUpdatedText),
                  "               The chip already updated!!", kRed, nullptr, false, false, false,
                  false, true},
        StateView{"NoDevice", samples::NothingToUpdate(samples::kNoDeviceText),
                  "                 No device found!!", kRed, nullptr, false, false, false, false,
                  true},
        StateView{"Updating", samples::Updating(20), nullptr, kBlack, nullptr, true, true, false,
                  true, false},
        StateView{"Updated", samples::Updated(samples::kReattachText), nullptr, kBlack,
                  "Please wait device re-attached!", false, false, false, false, true},
        StateView{"UpdateFailed", samples::UpdateFailed(), "                     Update    fail!!",
                  kRed, nullptr, false, false, false, false, true}),
    [](const auto& param) { return std::string(param.param.name); });

// Counts the pixels of the window that are drawn in pure red.
int RedPixels(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            red += image.pixelColor(x, y) == kRed ? 1 : 0;
        }
    }
    return red;
}

TEST_F(MainWindowTest, FailureTextsAreDrawnInRedAndThePromptIsNot) {
    window.Render(samples::NothingToUpdate(samples::kNoDeviceText));
    EXPECT_GT(RedPixels(window), 50);
    window.Render(samples::Ready());
    EXPECT_EQ(RedPixels(window), 0);
}

TEST_F(MainWindowTest, ControlsSitAtTheirDesignedPlaces) {
    window.Render(samples::Updating(20));
    EXPECT_EQ(Control<QProgressBar>("FwUpdatBar").geometry(), QRect(40, 32, 337, 25));
    EXPECT_EQ(Control<QProgressBar>("FwUpdatBar").value(), 20);
    EXPECT_EQ(Control<QProgressBar>("FwUpdatBar").maximum(), 100);
    EXPECT_EQ(Control<QPushButton>("EraseButton").geometry(), QRect(112, 64, 75, 25));
    EXPECT_EQ(Control<QPushButton>("ExtBtn").geometry(), QRect(176, 64, 75, 25));
    EXPECT_EQ(Control<QPushButton>("ExitBtn").geometry(), QRect(240, 64, 75, 25));
    EXPECT_EQ(Control<QLabel>("devLable").pos(), QPoint(8, 16));
    EXPECT_EQ(Control<QLabel>("replugLable1").pos(), QPoint(72, 16));
}

TEST_F(MainWindowTest, ReadyShowsYesLeftAndNoRightWithTheGapEmpty) {
    window.Render(samples::Ready());
    const QRect yes = Control<QPushButton>("EraseButton").geometry();
    const QRect no = Control<QPushButton>("ExitBtn").geometry();
    ASSERT_LT(yes.right(), no.left());
    const QRect gap(yes.right() + 1, yes.top(), no.left() - yes.right() - 1, yes.height());
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isVisible()) {
            EXPECT_FALSE(QRect(child->mapTo(&window, QPoint()), child->size()).intersects(gap))
                << child->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, WindowIsFixedCentredAndHasOnlyTheCloseBox) {
    window.Render(samples::Ready());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kavrix KXT850 Firmware Update Utility v0.2"));
    EXPECT_EQ(QApplication::applicationName(),
              QStringLiteral("Kavrix KXT850 Firmware Update Utility"));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window.windowIcon().isNull());
    const QRect desktop = window.screen()->availableGeometry();
    const QRect placed = window.frameGeometry();
    EXPECT_LE(std::abs(2 * placed.left() + placed.width() - 2 * desktop.left() - desktop.width()),
              2);
    EXPECT_LE(std::abs(2 * placed.top() + placed.height() - 2 * desktop.top() - desktop.height()),
              2);
}

TEST_F(MainWindowTest, FontsResolveToMetricCompatibleFacesAtTheirHeights) {
    const std::set<QString> compatible{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    const struct {
        const QWidget& widget;
        int pixels;
    } cases[] = {
        {window, 11},
        {Control<QLabel>("devLable"), 19},
        {Control<QLabel>("replugLable1"), 19},
        {Control<QPushButton>("EraseButton"), 13},
        {Control<QPushButton>("ExitBtn"), 13},
        {Control<QPushButton>("ExtBtn"), 13},
    };
    for (const auto& [widget, pixels] : cases) {
        const QFontInfo font(widget.font());
        EXPECT_TRUE(compatible.contains(font.family())) << font.family().toStdString();
        EXPECT_EQ(font.pixelSize(), pixels) << widget.objectName().toStdString();
    }
}

TEST_F(MainWindowTest, OpenPanelFillsTheAddedStripAndClosingHidesAllOfIt) {
    app::WindowControls open = samples::Constructed();
    open.clientHeight += app::kRdPanelHeight;
    open.RdPanel.shown = true;
    window.Render(open);
    auto& panel = Control<QFrame>("RdPanel");
    EXPECT_EQ(window.size(), QSize(411, 229));
    ASSERT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.geometry(), QRect(8, 100, 345, 129));
    EXPECT_TRUE(window.rect().contains(panel.geometry()));
    EXPECT_EQ(Control<QCheckBox>("EraseOnlyCheck").pos(), QPoint(8, 28));
    EXPECT_EQ(Control<QCheckBox>("BackupFWCheckBox").pos(), QPoint(8, 48));

    window.Render(samples::Constructed());
    EXPECT_EQ(window.size(), QSize(411, 100));
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(Control<QCheckBox>("EraseOnlyCheck").isVisible());
}

TEST_F(MainWindowTest, ClicksReachTheActionsAndADisabledYesDoesNothing) {
    window.Render(samples::Ready());
    QTest::mouseClick(&Control<QPushButton>("EraseButton"), Qt::LeftButton);
    QTest::mouseClick(&Control<QPushButton>("ExitBtn"), Qt::LeftButton);
    window.Render(samples::Updating(20));
    QTest::mouseClick(&Control<QPushButton>("EraseButton"), Qt::LeftButton);
    window.Render(samples::UpdateFailed());
    QTest::mouseClick(&Control<QPushButton>("ExtBtn"), Qt::LeftButton);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"EraseButton", "Exit", "Exit"}));
}

TEST_F(MainWindowTest, PanelControlsForwardTheUsersChoices) {
    app::WindowControls open = samples::Constructed();
    open.clientHeight += app::kRdPanelHeight;
    open.RdPanel.shown = true;
    open.FwSizeCheck.shown = open.FwSizeLable.shown = true;
    window.Render(open);

    QTest::mouseClick(&Control<QCheckBox>("EraseOnlyCheck"), Qt::LeftButton);
    QTest::mouseClick(&Control<QPushButton>("BackupBtn"), Qt::LeftButton);
    auto& sizes = Control<QComboBox>("FwSizeCheck");
    sizes.setFocus();
    QTest::keyClick(&sizes, Qt::Key_Down);
    auto& backupFile = Control<QLineEdit>("BackupFileEdit");
    backupFile.setFocus();
    QTest::keyClicks(&backupFile, "a");
    EXPECT_EQ(actions.calls,
              (std::vector<std::string>{"EraseOnlyCheck 1", "Browse", "FwSize 1", "BackupFile a"}));
}

TEST_F(MainWindowTest, DrawingAStateNeverCallsAnAction) {
    app::WindowControls everything = samples::Constructed();
    everything.clientHeight += app::kRdPanelHeight;
    everything.RdPanel.shown = true;
    everything.RdCheckBox = {"RD Version", true, true};
    everything.EraseOnlyCheck.checked = true;
    everything.BackupFWCheckBox.checked = true;
    everything.FwSizeCheck.index = 3;
    everything.FwPgSizeCheck.index = 4;
    everything.DeviceList = {{"<<USB>> Kavrix USB3 SATA Bridge"}, 0, true};
    everything.FwFilenameEdit.text = "/tmp/fw.bin";
    everything.BackupFileEdit.text = "oldflash.bak";
    window.Render(everything);
    for (const auto& state : samples::AllStates()) {
        window.Render(state.controls);
    }
    EXPECT_TRUE(actions.calls.empty());
}

TEST_F(MainWindowTest, CloseBoxAsksAndTheWindowStaysUntilToldToClose) {
    window.close();
    EXPECT_EQ(actions.calls, std::vector<std::string>{"CloseRequested"});
    EXPECT_TRUE(window.isVisible());
    window.CloseWindow();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, CloseAllowedFromInsideTheRequestClosesAtOnce) {
    actions.onCloseRequested = [this] { window.CloseWindow(); };
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, StatesFromAWorkerAreDrawnOnTheGuiThreadLatestLast) {
    window.Render(samples::Ready());
    std::thread worker([this] {
        window.Redraw(samples::Updating(20));
        window.Redraw(samples::Updating(40));
        window.Redraw(samples::Updated(samples::kReattachText));
    });
    worker.join();
    // Nothing was drawn from the worker itself.
    EXPECT_TRUE(Control<QPushButton>("ExitBtn").isVisible());

    auto& replug = Control<QLabel>("replugLable1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return replug.isVisible(); }, 5000));
    QApplication::processEvents();
    EXPECT_EQ(SeenControls(), (std::set<std::string>{"replugLable1", "ExtBtn"}));
}

}  // namespace
}  // namespace kxt
