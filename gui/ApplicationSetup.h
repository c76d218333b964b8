#pragma once

#include <QApplication>

namespace kxt::gui {

// The program's name, icon and fonts; call once after creating the application.
void ConfigureApplication(QApplication& application);

}  // namespace kxt::gui
