#include "gui/Fonts.h"

#include <QStringList>

#include "gui/QtText.h"

namespace kxt::gui {
void InstallFontSubstitutions() {
    QStringList faces;
    for (const auto face : layout::kMetricCompatibleFaces) {
        faces.push_back(ToQString(face));
    }
    for (const auto& spec : {layout::kWindowFont, layout::kMessageFont}) {
        if (QFont::substitutes(ToQString(spec.family)) != faces) {
            QFont::removeSubstitutions(ToQString(spec.family));
            QFont::insertSubstitutions(ToQString(spec.family), faces);
        }
    }
}

QFont MakeFont(const layout::FontSpec& spec) {
    QFont font(ToQString(spec.family));
    font.setPixelSize(spec.pixelHeight);
    return font;
}

}  // namespace kxt::gui
