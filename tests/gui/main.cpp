// The GUI tests share one QApplication; run with QT_QPA_PLATFORM=offscreen.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/ApplicationSetup.h"

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns on every fixed-size window; the rest is kept.
void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QStringLiteral("propagateSizeHints"))) {
        defaultHandler(type, context, text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    defaultHandler = qInstallMessageHandler(DropSizeHintWarnings);
    QApplication application(argc, argv);
    kxt::gui::ConfigureApplication(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
