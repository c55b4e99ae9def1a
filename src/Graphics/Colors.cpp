#include "Graphics/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace {

// Classic desktop scheme, indexed like the system colours.
constexpr std::array<TColor, 31> ClassicColors = {
    0xC8C8C8, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4};

struct PaletteRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    bool mapped;
};

// The window frame (6) has no palette role: it is the thin black line around windows, not the
// 3-D shadow (21), so it keeps the classic value.
PaletteRole RoleOf(int index) {
    using P = QPalette;
    switch (index) {
    case 0:
        return {P::Active, P::Button, true};
    case 2:
        return {P::Active, P::Highlight, true};
    case 4:
        return {P::Active, P::Window, true};
    case 5:
        return {P::Active, P::Base, true};
    case 7:
        return {P::Active, P::WindowText, true};
    case 8:
        return {P::Active, P::Text, true};
    case 9:
        return {P::Active, P::HighlightedText, true};
    case 13:
        return {P::Active, P::Highlight, true};
    case 14:
        return {P::Active, P::HighlightedText, true};
    case 15:
        return {P::Active, P::Button, true};
    case 16:
        return {P::Active, P::Dark, true};
    case 17:
        return {P::Disabled, P::Text, true};
    case 18:
        return {P::Active, P::ButtonText, true};
    case 20:
        return {P::Active, P::Light, true};
    case 21:
        return {P::Active, P::Shadow, true};
    case 22:
        return {P::Active, P::Midlight, true};
    case 23:
        return {P::Active, P::ToolTipText, true};
    case 24:
        return {P::Active, P::ToolTipBase, true};
    default:
        return {P::Active, P::NoRole, false};
    }
}

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(ClassicColors.size()))
        return 0;
    const PaletteRole role = RoleOf(index);
    if (role.mapped && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return FromQColor(QGuiApplication::palette().color(role.group, role.role));
    return ClassicColors[static_cast<std::size_t>(index)];
}

TColor ColorToRGB(TColor color) {
    return color < 0 ? GetSysColor(color & 0xFF) : color;
}

QColor ToQColor(TColor color) {
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
