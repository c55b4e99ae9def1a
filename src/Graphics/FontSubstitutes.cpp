#include "Graphics/FontSubstitutes.h"

#include <QFont>

void InstallFontSubstitutes(const TFontSubstitutes& table) {
    for (const auto& [face, substitutes] : table)
        QFont::insertSubstitutions(face, substitutes);
}
