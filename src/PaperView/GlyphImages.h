#pragma once
// The characters' dot patterns, drawn once from the installed faces at the printer's cells
// (12 x 24 font A, 9 x 17 font B in DejaVu Sans Mono; 24 x 24 double-byte characters in the
// AR PL UMing Ming face), black or white without grey, and kept. Needs a QGuiApplication.
#include "Print/TextStyle.h"

#include <QFont>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct TGlyphDots {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Dots; // Height rows of Width, 1 for a printed dot
    bool Dot(int x, int y) const { return Dots[static_cast<std::size_t>(y) * Width + x]; }
};

class TGlyphImages {
  public:
    TGlyphImages();
    // The pattern of a character in its cell: font A or B, or the double-byte cell. A byte
    // that reads as no character, and a character no face has, print as an empty box.
    const TGlyphDots& Dots(const TGlyph& glyph, TPrintFont font, bool bold);

  private:
    TGlyphDots Draw(const TGlyph& glyph, TPrintFont font, bool bold) const;
    const QFont& FaceFor(char32_t code, bool kanji, TPrintFont font, bool bold) const;

    QFont FMono[2][2]; // [font B][bold]
    QFont FMing;
    std::unordered_map<std::uint64_t, TGlyphDots> FCache;
};

// One set of patterns for the whole program (the GUI thread only).
TGlyphImages& GlyphImages();
