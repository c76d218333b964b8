#include "gui/QtUiServices.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "gui/QtText.h"

namespace kxt::gui {
QtUiServices::QtUiServices() = default;
QtUiServices::~QtUiServices() = default;

void QtUiServices::SetTimerHandler(TimerHandler handler) {
    handler_ = std::move(handler);
}

void QtUiServices::RunOnGuiThread(const std::function<void()>& work, Qt::ConnectionType elsewhere) {
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(this, work, elsewhere);
}

void QtUiServices::ShowMessage(std::string_view text, std::string_view caption,
                               os::MessageIcon icon) {
    const QString message = ToQString(text);
    const QString title = ToQString(caption);
    const auto qtIcon =
        icon == os::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon;
    RunOnGuiThread(
        [&] {
            // No owner window, as the boxes have always been; still modal to the program.
            QMessageBox box(qtIcon, title, message, QMessageBox::Ok);
            // A plain OK button, as the boxes have always had; some styles add an icon.
            box.button(QMessageBox::Ok)->setIcon(QIcon());
            box.exec();
        },
        Qt::BlockingQueuedConnection);
}

void QtUiServices::ProcessPendingMessages() {
    // Off the GUI thread there is nothing to let through: the window keeps running.
    if (QThread::currentThread() == thread()) {
        QCoreApplication::processEvents();
    }
}

void QtUiServices::DebugTrace(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);  // qDebug ends the line itself
    }
    qDebug().noquote() << ToQString(text);
}

QTimer& QtUiServices::Timer(int id) {
    auto& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (handler_) {
                handler_(id);
            }
        });
    }
    return *timer;
}

void QtUiServices::SetTimer(int id, std::chrono::milliseconds delay) {
    RunOnGuiThread([this, id, delay] { Timer(id).start(delay); }, Qt::QueuedConnection);
}

void QtUiServices::KillTimer(int id) {
    RunOnGuiThread([this, id] { Timer(id).stop(); }, Qt::QueuedConnection);
}

std::optional<std::string> QtUiServices::ChooseOpenFile(const std::string& initialFolder,
                                                        std::string_view filter) {
    std::optional<std::string> chosen;
    const QString folder = initialFolder.empty() ? QCoreApplication::applicationDirPath()
                                                 : QString::fromStdString(initialFolder);
    const QString nameFilter = QtNameFilter(filter);
    RunOnGuiThread(
        [&] {
            const QString file = QFileDialog::getOpenFileName(nullptr, {}, folder, nameFilter);
            if (!file.isEmpty()) {
                chosen = file.toStdString();
            }
        },
        Qt::BlockingQueuedConnection);
    return chosen;
}

QString QtNameFilter(std::string_view filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        // "*.*" means every file; to Qt it means names with a dot.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.push_back(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace kxt::gui
