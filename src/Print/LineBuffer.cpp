#include "Print/LineBuffer.h"

#include <algorithm>

void TLineBuffer::Begin(int left, int width, bool upsideDown) {
    Clear();
    FAreaLeft = left;
    FAreaWidth = width;
    FUpsideDown = upsideDown;
    FStarted = true;
}

const TGlyph* TLineBuffer::Put(const TTextStyle& style, const TGlyph* begin, const TGlyph* end,
                               const TGlyphBox& ank, const TGlyphBox& kanji) {
    if (begin == end)
        return end;
    if (!Fits(IsKanji(*begin) ? kanji.Advance : ank.Advance))
        return begin;
    if (FRuns.empty() || FRunEnd != FX || !(FRuns.back().Style == style))
        FRuns.push_back({style, {}, FX});
    // How many fit, then all of them at once.
    const TGlyph* g = begin;
    int height = 0;
    for (; g != end; ++g) {
        const bool wide = IsKanji(*g);
        const int advance = wide ? kanji.Advance : ank.Advance;
        if (g != begin && FX + advance > FAreaWidth)
            break;
        FX += advance;
        FColumns += g->Columns;
        height = std::max(height, wide ? kanji.Height : ank.Height);
    }
    std::vector<TGlyph>& glyphs = FRuns.back().Glyphs;
    glyphs.insert(glyphs.end(), begin, g);
    FRunEnd = FX;
    FRight = std::max(FRight, FX);
    FAscent = std::max(FAscent, height);
    return g;
}

void TLineBuffer::PutImage(TImageData image) {
    image.X = FX;
    const int width = image.Width * image.ScaleX;
    FX += width;
    FRight = std::max(FRight, FX);
    FAscent = std::max(FAscent, image.Height * image.ScaleY);
    FImages.push_back(std::move(image));
    FRunEnd = -1;
}

void TLineBuffer::MoveTo(int x) {
    if (x < 0 || x > FAreaWidth)
        return;
    FX = x;
}

TPrintedLine TLineBuffer::Take(TPrintAlign align) {
    TPrintedLine line;
    const int room = std::max(0, FAreaWidth - FRight);
    const int shift = FAreaLeft + (align == paCenter ? room / 2 : align == paRight ? room : 0);
    for (TTextRun& run : FRuns)
        run.X += shift;
    for (TImageData& image : FImages)
        image.X += shift;
    line.Runs = std::move(FRuns);
    line.Images = std::move(FImages);
    line.Align = align;
    line.Columns = FColumns;
    line.Width = FRight;
    line.Ascent = FAscent;
    line.UpsideDown = FUpsideDown;
    line.AreaLeft = FAreaLeft;
    line.AreaWidth = FAreaWidth;
    Clear();
    return line;
}

void TLineBuffer::Clear() {
    FRuns.clear();
    FImages.clear();
    FX = 0;
    FRunEnd = -1;
    FRight = FAscent = FColumns = 0;
    FStarted = false;
}

std::string TLineBuffer::Text() const {
    std::string text;
    for (const TTextRun& run : FRuns)
        text += GlyphText(run.Glyphs);
    return text;
}
