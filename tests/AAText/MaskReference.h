#pragma once
// The mask as it was made before glyphs were kept: the whole text drawn white on black at
// Scale times its size on a 32-bit work bitmap, then each block averaged down. The glyph path
// must give the same bytes.
#include "AAText/AAFont.h"

#include <QString>
#include <vector>

// Rows of coverage (row 0 at the top) of text in the font of font's surface at font's quality.
std::vector<std::vector<int>> ReferenceMask(TAAFont& font, const QString& text);
