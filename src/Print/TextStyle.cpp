#include "Print/TextStyle.h"

#include <utility>

TGlyphBox GlyphBox(const TTextStyle& s, const TGlyph& glyph) {
    TGlyphBox box;
    int left = 0, right = 0, width = 0, height = 0, sx = 1, sy = 1;
    if (IsKanji(glyph)) {
        left = s.KanjiLeft;
        right = s.KanjiRight;
        width = height = KanjiCell;
        sx = s.KanjiWidth;
        sy = s.KanjiHeight;
        box.Underline = s.KanjiUnderline;
    } else {
        const TFontCell cell = FontCell(s.Font);
        width = cell.Width;
        height = cell.Height;
        right = s.RightSpacing;
        sx = s.Width;
        sy = s.Height;
        box.Underline = s.Underline;
    }
    box.Left = left * sx;
    box.Width = width * sx;
    box.Height = height * sy;
    if (s.Rotated) {
        // The character turns as a whole, enlargements included; it is not underlined.
        std::swap(box.Width, box.Height);
        box.Underline = 0;
    }
    box.Advance = box.Left + box.Width + right * sx;
    return box;
}
