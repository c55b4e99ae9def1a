#pragma once
// The line being filled: characters and bit images placed at dots within the print area the
// line began in, the print position, tabs and positions moving it. The paper prints the line
// when it is full, when a command prints it, or when a character does not fit.
#include "Print/PaperItems.h"

class TLineBuffer {
  public:
    // Nothing placed and no position set since the line began.
    bool Started() const { return FStarted; }
    // Begins a line in the print area [left, left + width) of the paper.
    void Begin(int left, int width, bool upsideDown);
    bool Empty() const { return FRuns.empty() && FImages.empty(); }
    // A character of that advance fits after what is there (the first always does).
    bool Fits(int advance) const { return Empty() || FX + advance <= FAreaWidth; }
    int X() const { return FX; }
    int AreaWidth() const { return FAreaWidth; }

    // Places characters of one style while they fit (at least one on an empty line); returns
    // the first it did not place. ank and kanji: the boxes of the two kinds in that style.
    const TGlyph* Put(const TTextStyle& style, const TGlyph* begin, const TGlyph* end,
                      const TGlyphBox& ank, const TGlyphBox& kanji);
    void PutImage(TImageData image);
    // Moves the print position to dots from the area's left; a position outside is ignored.
    void MoveTo(int x);

    // The line as printed, aligned in its area; the buffer is empty again.
    TPrintedLine Take(TPrintAlign align);
    void Clear();
    std::string Text() const;

  private:
    std::vector<TTextRun> FRuns;
    std::vector<TImageData> FImages;
    int FX = 0;       // the print position
    int FRunEnd = -1; // where the last run ends (a character there joins it)
    int FRight = 0;   // the rightmost dot taken
    int FAscent = 0;
    int FColumns = 0;
    int FAreaLeft = 0, FAreaWidth = 0;
    bool FUpsideDown = false;
    bool FStarted = false;
};
