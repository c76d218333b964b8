#include "gui/QtUiServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

namespace kxt {
namespace {

using namespace std::chrono_literals;

struct SeenBox {
    std::string text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool onGuiThread = false;
    bool callerWaited = true;  // the caller had not returned while the box was open
};

// Finds the modal message box from inside its own loop, watches it for a few
// ticks, then presses OK, as a user would.
class BoxDriver {
  public:
    explicit BoxDriver(const std::atomic<bool>& callerReturned) : returned_(callerReturned) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(10);
    }

    std::optional<SeenBox> seen;

  private:
    void Tick() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (!seen) {
            seen = SeenBox{box->text().toStdString(), box->windowTitle().toStdString(), box->icon(),
                           box->standardButtons(), QThread::currentThread() == qApp->thread()};
        }
        seen->callerWaited = seen->callerWaited && !returned_.load();
        if (++ticks_ >= 5) {
            box->button(QMessageBox::Ok)->click();
        }
    }

    const std::atomic<bool>& returned_;
    QTimer timer_;
    int ticks_ = 0;
};

TEST(QtUiServicesTest, MessageFromAWorkerOpensOnTheGuiThreadAndBlocksUntilOk) {
    gui::QtUiServices ui;
    std::atomic<bool> returned{false};
    BoxDriver driver(returned);
    std::thread worker([&] {
        ui.ShowMessage("Update fail!", "Error", os::MessageIcon::Error);
        returned = true;
    });
    const bool ended = QTest::qWaitFor([&] { return returned.load(); }, 10000);
    worker.join();
    ASSERT_TRUE(ended);
    ASSERT_TRUE(driver.seen.has_value());
    EXPECT_EQ(driver.seen->text, "Update fail!");
    EXPECT_EQ(driver.seen->caption, "Error");
    EXPECT_EQ(driver.seen->icon, QMessageBox::Critical);
    EXPECT_EQ(driver.seen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(driver.seen->onGuiThread);
    EXPECT_TRUE(driver.seen->callerWaited);
}

TEST(QtUiServicesTest, NoticeOnTheGuiThreadHasNoIconAndReturnsAfterOk) {
    gui::QtUiServices ui;
    std::atomic<bool> returned{false};
    BoxDriver driver(returned);
    ui.ShowMessage("Auto reset", "Message", os::MessageIcon::None);
    returned = true;
    ASSERT_TRUE(driver.seen.has_value());
    EXPECT_EQ(driver.seen->caption, "Message");
    EXPECT_EQ(driver.seen->icon, QMessageBox::NoIcon);
    EXPECT_TRUE(driver.seen->callerWaited);
}

TEST(QtUiServicesTest, TimersFireOnceOnTheGuiThreadAndKillStopsThem) {
    gui::QtUiServices ui;
    std::vector<int> fired;
    bool onGuiThread = true;
    ui.SetTimerHandler([&](int id) {
        fired.push_back(id);
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    });
    std::thread worker([&] {
        ui.SetTimer(101, 5ms);
        ui.SetTimer(102, 5ms);
        ui.KillTimer(102);
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(fired, std::vector<int>{101});
    EXPECT_TRUE(onGuiThread);
}

TEST(QtUiServicesTest, SettingARunningTimerAgainRestartsIt) {
    gui::QtUiServices ui;
    int fired = 0;
    ui.SetTimerHandler([&](int) { ++fired; });
    ui.SetTimer(101, 200ms);
    QTest::qWait(100);
    ui.SetTimer(101, 200ms);
    QTest::qWait(150);  // 250 ms after the first start, 150 ms after the second
    EXPECT_EQ(fired, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(fired, 1);
}

TEST(QtUiServicesTest, FileFilterBecomesQtNameFilters) {
    EXPECT_EQ(gui::QtNameFilter("BinaryFile|*.bin|All Files|*.*"),
              QStringLiteral("BinaryFile (*.bin);;All Files (*)"));
}

}  // namespace
}  // namespace kxt
