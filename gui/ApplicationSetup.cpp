#include "gui/ApplicationSetup.h"

#include <QIcon>

#include "gui/Fonts.h"
#include "gui/Layout.h"
#include "gui/QtText.h"

namespace kxt::gui {
void ConfigureApplication(QApplication& application) {
    // The application's name, not its display name: Qt would add a display name to
    // every window caption.
    QApplication::setApplicationName(ToQString(layout::kApplicationTitle));
    QGuiApplication::setDesktopFileName(ToQString(layout::kDesktopFileName));
    application.setWindowIcon(QIcon(ToQString(layout::kIconResource)));
    InstallFontSubstitutions();
}

}  // namespace kxt::gui
