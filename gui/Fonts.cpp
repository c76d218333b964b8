#include "gui/Fonts.h"

#include <QStringList>

#include "gui/QtText.h"

namespace kxt::gui {
void InstallFontSubstitutions() {
    QStringList faces;
    for (const auto face : layout::kMetricCompatibleFaces) {
        faces.push_back(ToQString(face));
    }
    for (const auto& choice : {layout::kWindowFont, layout::kMessageFont}) {
        if (QFont::substitutes(ToQString(choice.family)) != faces) {
            QFont::removeSubstitutions(ToQString(choice.family));
            QFont::insertSubstitutions(ToQString(choice.family), faces);
        }
    }
}

QFont MakeFont(const layout::FontChoice& choice) {
    QFont font(ToQString(choice.family));
    font.setPixelSize(choice.pixelHeight);
    return font;
}

}  // namespace kxt::gui
