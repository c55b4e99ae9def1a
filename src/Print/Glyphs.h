#pragma once
// Printed text as characters: code-page bytes become glyphs, each one character on the line
// or one byte that starts none (shown as its hex).
#include "Rtl/CodePage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TGlyph {
    char32_t Code = ' ';      // the character, or the byte that does not decode
    std::uint8_t Columns = 1; // cells on the printer line (a double-byte character takes two)
    bool Valid = true;
    bool operator==(const TGlyph&) const = default;
};

// A run of text bytes as glyphs. A byte that starts no character, and each byte of a character
// the run ends inside, is one invalid glyph; the bytes after it are read afresh.
std::vector<TGlyph> DecodeGlyphs(const TCodePage& codePage, std::string_view bytes);
// The character in UTF-8, or "⟨B3⟩" for a byte that does not decode.
void AppendUtf8(std::string& out, const TGlyph& glyph);
std::string GlyphText(const std::vector<TGlyph>& glyphs);
// Cells a Unicode character takes on a printer line when the code page is Unicode.
int UnicodeColumns(char32_t cp);
