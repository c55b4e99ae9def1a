#pragma once
// How characters print: the fonts' cells in dots, the style a character is printed in, and the
// box each character takes on the line.
#include "Print/Glyphs.h"

#include <cstdint>

// Font A is 12 x 24 dots, font B 9 x 17; a double-byte (Chinese) character is 24 x 24.
enum TPrintFont : std::uint8_t { pfA, pfB };
struct TFontCell {
    int Width, Height;
};
inline TFontCell FontCell(TPrintFont font) {
    return font == pfB ? TFontCell{9, 17} : TFontCell{12, 24};
}
constexpr int KanjiCell = 24;

struct TTextStyle {
    TPrintFont Font = pfA;
    bool Emphasis = false;
    bool DoubleStrike = false;
    bool Reverse = false;
    bool Italic = false;
    bool Rotated = false;       // turned 90 degrees clockwise
    std::uint8_t Underline = 0; // dots
    std::uint8_t Width = 1;     // multipliers, 1 to 8
    std::uint8_t Height = 1;
    std::uint8_t RightSpacing = 0; // dots after each character (times the width)
    // Double-byte characters have their own size, underline and spacing.
    std::uint8_t KanjiUnderline = 0;
    std::uint8_t KanjiWidth = 1;
    std::uint8_t KanjiHeight = 1;
    std::uint8_t KanjiLeft = 0;
    std::uint8_t KanjiRight = 0;
    bool operator==(const TTextStyle&) const = default;
};

// A double-byte character: it prints in the 24 x 24 cell.
inline bool IsKanji(const TGlyph& glyph) {
    return glyph.Valid && glyph.Columns == 2;
}

// Where a character prints, in dots from where it starts on the line: its picture Left..
// Left + Width, Height tall up from the baseline; the next character starts Advance further.
struct TGlyphBox {
    int Left = 0;
    int Width = 0;
    int Height = 0;
    int Advance = 0;
    std::uint8_t Underline = 0;
};
TGlyphBox GlyphBox(const TTextStyle& style, const TGlyph& glyph);
