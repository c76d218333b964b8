#pragma once

#include <QFont>

#include "gui/Layout.h"

namespace kxt::gui {

// Maps the window's Windows font names to metric-compatible faces, so texts take
// the width they were laid out for. Safe to call more than once.
void InstallFontSubstitutions();

QFont MakeFont(const layout::FontChoice& choice);

}  // namespace kxt::gui
