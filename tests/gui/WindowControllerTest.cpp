// The program's window controller on emulated devices: the real window, worker
// thread, device notices and rescan timer, clicked through as a user would.
#include "gui/program/WindowController.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include "emulator/BridgeChip.h"
#include "emulator/CommandLog.h"
#include "emulator/Scenario.h"
#include "gui/EmulatedDeviceNotices.h"
#include "gui/screenshots/SampleStates.h"
#include "tests/support/FirmwareImages.h"
#include "tests/support/TestPlatform.h"

namespace kxt {
namespace {

namespace samples = gui::samples;

const QColor kRed(255, 0, 0);
constexpr int kWaitMs = 15000;  // bound of every wait; the flows take a few seconds

// Presses OK on every message box as soon as it is open, and remembers what it said
// and which of the window's controls were to be seen behind it.
class BoxClicker {
  public:
    struct Seen {
        std::string text, caption;
        std::set<std::string> controlsBehind;
    };

    explicit BoxClicker(std::function<std::set<std::string>()> controls)
        : controls_(std::move(controls)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(20);
    }

    std::vector<Seen> boxes;

  private:
    void Tick() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        boxes.push_back({box->text().toStdString(), box->windowTitle().toStdString(), controls_()});
        box->button(QMessageBox::Ok)->click();
    }

    std::function<std::set<std::string>()> controls_;
    QTimer timer_;
};

// Holds the first block write until the test lets it go, so a "long" write can be
// caught in the middle; every other request passes straight to the bus.
class WriteGate final : public os::ScsiPassThrough {
  public:
    explicit WriteGate(os::ScsiPassThrough& inner) : inner_(inner) {}
    ~WriteGate() override { Release(); }

    os::OpenResult Open(const os::DevicePath& path, os::ShareMode mode) override {
        os::OpenResult result = inner_.Open(path, mode);
        if (result.handle) {
            result.handle = std::make_unique<Handle>(*this, std::move(result.handle));
        }
        return result;
    }
    std::vector<os::DevicePath> PermissionDenials() const override {
        return inner_.PermissionDenials();
    }
    bool Emulated() const override { return inner_.Emulated(); }

    // The next block write waits until Release().
    void Arm() {
        std::lock_guard lock(mutex_);
        armed_ = true;
    }
    bool Holding() const { return holding_; }
    void Release() {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        wake_.notify_all();
    }

  private:
    class Handle final : public os::ScsiHandle {
      public:
        Handle(WriteGate& gate, std::unique_ptr<os::ScsiHandle> inner)
            : gate_(gate), inner_(std::move(inner)) {}
        os::ScsiCompletion Submit(const os::ScsiCommand& command) override {
            gate_.Pass(command);
            return inner_->Submit(command);
        }

      private:
        WriteGate& gate_;
        std::unique_ptr<os::ScsiHandle> inner_;
    };

    void Pass(const os::ScsiCommand& command) {
        if (emulator::CommandName(emulator::DecodeCommand(command.cdb)) != "WriteFlashBlock") {
            return;
        }
        std::unique_lock lock(mutex_);
        if (!armed_) {
            return;
        }
        armed_ = false;
        holding_ = !released_;
        wake_.wait(lock, [this] { return released_; });
        holding_ = false;
    }

    os::ScsiPassThrough& inner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool released_ = false;
    std::atomic<bool> holding_{false};
};

// A KXT850 whose flash holds older code and its own settings, so it needs the
// update; it comes back 300 ms after its reset.
constexpr const char* kKXT850 = R"({"id": "kxt850", "chip": "kxt850", "reattachDelayMs": 300,
    "flash": {"part": "MXIC", "regions": [{"offset": "0x0000", "random": 3, "length": "0xBFF0"},
                                          {"offset": "0xC0FE", "text": "KX"}]}})";
constexpr const char* kUsbCdrom = R"({"id": "cd", "chip": "foreign", "interface": "cdrom"})";

class WindowControllerTest : public ::testing::Test {
  protected:
    WindowControllerTest() { firmware.Add("KXT850", "FW6701", testing::MakeKXT850Image(850)); }
    ~WindowControllerTest() override {
        gate.Release();
        controller.reset();
    }

    void Start(const std::vector<const char*>& devices, bool engineering = false) {
        std::string scenario = R"({"devices": [)";
        for (const char* device : devices) {
            scenario += (scenario.back() == '[' ? "" : ",") + std::string(device);
        }
        emulator::LoadScenarioText(scenario + "]}", "test", ".", bus);
        controller = std::make_unique<gui::WindowController>(
            platform, ui,
            [this]() -> std::unique_ptr<os::DeviceChangeNotices> {
                return gui::EmulatedDeviceNotices::Attach(bus);
            },
            gui::ControllerOptions{.engineering = engineering, .emulatedBus = &bus});
        ASSERT_TRUE(QTest::qWaitFor([this] { return Window().isVisible(); }, kWaitMs));
    }

    gui::MainWindow& Window() { return controller->Window(); }

    template <typename W>
    W& Control(const char* name) {
        W* widget = Window().findChild<W*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            throw std::runtime_error(std::string("no control ") + name);
        }
        return *widget;
    }

    std::string LabelText(const char* name) { return Control<QLabel>(name).text().toStdString(); }

    // The window's own controls that the user can see: shown and at least partly
    // inside the client area.
    std::set<std::string> SeenControls() {
        std::set<std::string> seen;
        for (const QWidget* child :
             Window().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && child->geometry().intersects(Window().rect())) {
                seen.insert(child->objectName().toStdString());
            }
        }
        return seen;
    }

    void Click(const char* button) {
        QTest::mouseClick(&Control<QAbstractButton>(button), Qt::LeftButton);
    }

    // Positions in the bus log of the commands with this name.
    std::vector<std::size_t> Positions(const std::string& name) {
        std::vector<std::size_t> at;
        const emulator::CommandLog log = bus.Log();
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i].name == name) {
                at.push_back(i);
            }
        }
        return at;
    }

    std::vector<std::string> PathsOf(const std::string& name) {
        std::vector<std::string> paths;
        for (const auto& command : emulator::CommandsNamed(bus.Log(), name)) {
            paths.push_back(command.path);
        }
        return paths;
    }

    emulator::VirtualClock clock;
    emulator::EmulatedBus bus{clock};
    WriteGate gate{bus};
    testing::InMemoryFirmware firmware;
    gui::QtUiServices ui;
    os::Platform platform{gate, clock, firmware, ui, bus};
    BoxClicker clicker{[this] { return controller ? SeenControls() : std::set<std::string>{}; }};
    std::unique_ptr<gui::WindowController> controller;
};

TEST_F(WindowControllerTest, NoDeviceOpensWithOnlyExitAndTheRedTextInTheShrunkWindow) {
    Start({});
    EXPECT_EQ(SeenControls(), (std::set<std::string>{"devLable", "ExtBtn"}));
    EXPECT_EQ(LabelText("devLable"), samples::kNoDeviceText);
    EXPECT_EQ(Control<QLabel>("devLable").palette().color(QPalette::WindowText), kRed);
    EXPECT_EQ(Window().size(), QSize(411, 100));
    EXPECT_TRUE(clicker.boxes.empty());
}

TEST_F(WindowControllerTest, KXT850ThatNeedsTheUpdateOffersYesLeftAndNoRightWithTheGapEmpty) {
    Start({kKXT850});
    EXPECT_EQ(SeenControls(), (std::set<std::string>{"devLable", "EraseButton", "ExitBtn"}));
    EXPECT_EQ(LabelText("devLable"), samples::kReadyText);
    const QRect yes = Control<QPushButton>("EraseButton").geometry();
    const QRect no = Control<QPushButton>("ExitBtn").geometry();
    ASSERT_LT(yes.right(), no.left());
    const QRect gap(QPoint(yes.right() + 1, yes.top()), QPoint(no.left() - 1, yes.bottom()));
    for (const QWidget* child :
         Window().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(child->isVisible() && child->geometry().intersects(gap))
            << child->objectName().toStdString();
    }
}

TEST_F(WindowControllerTest, YesUpdatesThenTheReattachedChipIsFoundUpdatedWithoutAClick) {
    Start({kKXT850});
    Click("EraseButton");

    ASSERT_TRUE(QTest::qWaitFor([this] { return !clicker.boxes.empty(); }, kWaitMs));
    const BoxClicker::Seen& autoReset = clicker.boxes.front();
    EXPECT_EQ(autoReset.text, "KXT850 Auto reset, Please wait device re-attached!");
    EXPECT_EQ(autoReset.caption, "Message");
    // Behind the box the window is *updated*.
    EXPECT_EQ(autoReset.controlsBehind, (std::set<std::string>{"replugLable1", "ExtBtn"}));

    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return LabelText("devLable") == samples::kAlreadyUpdatedText; }, kWaitMs));
    EXPECT_EQ(SeenControls(), (std::set<std::string>{"devLable", "ExtBtn"}));
    EXPECT_EQ(Positions("ResetChip").size(), 1U);
    EXPECT_EQ(clicker.boxes.size(), 1U);
}

TEST_F(WindowControllerTest, NoAfterAScanThatFoundAUsbCdromReleasesItAndCloses) {
    Start({kKXT850, kUsbCdrom});
    ASSERT_EQ(LabelText("devLable"), samples::kReadyText);
    ASSERT_EQ(PathsOf("EnableVendorMode").size(), 2U) << "the scan switches both on";
    ASSERT_TRUE(PathsOf("DisableVendorMode").empty());

    Click("ExitBtn");
    ASSERT_TRUE(QTest::qWaitFor([this] { return controller->Finished(); }, kWaitMs));
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(PathsOf("DisableVendorMode"), std::vector<std::string>{"emu:cd"});
}

TEST_F(WindowControllerTest, CloseDuringAWriteWaitsForTheRunWhileTheWindowKeepsDrawing) {
    Start({kKXT850, kUsbCdrom});
    gate.Arm();
    Click("EraseButton");
    ASSERT_TRUE(QTest::qWaitFor([this] { return gate.Holding(); }, kWaitMs));

    // The worker is stuck in the write, yet the window draws *updating*.
    ASSERT_TRUE(QTest::qWaitFor([this] { return SeenControls().contains("FwUpdatBar"); }, kWaitMs));
    EXPECT_FALSE(Control<QPushButton>("EraseButton").isEnabled());

    Window().close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Window().isVisible()) << "the close box waits for the run";
    EXPECT_FALSE(controller->Finished());
    EXPECT_TRUE(PathsOf("DisableVendorMode").empty());

    gate.Release();
    ASSERT_TRUE(QTest::qWaitFor([this] { return controller->Finished(); }, kWaitMs));
    EXPECT_FALSE(Window().isVisible());
    // The run ended as a whole (written, reset) before the devices were released.
    const auto writes = Positions("WriteFlashBlock");
    const auto resets = Positions("ResetChip");
    const auto releases = Positions("DisableVendorMode");
    ASSERT_FALSE(writes.empty());
    ASSERT_EQ(resets.size(), 1U);
    ASSERT_EQ(releases.size(), 1U);
    EXPECT_LT(writes.back(), resets.front());
    EXPECT_LT(resets.front(), releases.front());
    ASSERT_EQ(clicker.boxes.size(), 1U);
    EXPECT_EQ(clicker.boxes.front().text, "KXT850 Auto reset, Please wait device re-attached!");
}

TEST_F(WindowControllerTest, EngineeringOptionShowsRdVersionWhichOpensAndClosesThePanel) {
    Start({kKXT850}, true);
    EXPECT_TRUE(SeenControls().contains("RdCheckBox"));
    EXPECT_FALSE(SeenControls().contains("RdPanel"));

    Click("RdCheckBox");
    // The band of engineering controls (Run, device list, files) and the panel below it.
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window().height() == 229 + 129; }, kWaitMs));
    EXPECT_TRUE(SeenControls().contains("RdPanel"));
    EXPECT_TRUE(SeenControls().contains("UpdateBtn"));
    EXPECT_TRUE(SeenControls().contains("DeviceList"));

    Click("RdCheckBox");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window().height() == 100; }, kWaitMs));
    EXPECT_FALSE(SeenControls().contains("RdPanel"));
    EXPECT_FALSE(SeenControls().contains("UpdateBtn"));
    EXPECT_EQ(LabelText("devLable"), samples::kReadyText);
}

}  // namespace
}  // namespace kxt
