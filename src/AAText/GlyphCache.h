#pragma once
// Enlarged glyphs kept between captions. A caption's supersampled coverage is put together from
// glyphs that Qt drew once each (per font, glyph, position within a work pixel and baseline),
// instead of drawing the whole caption at Scale times its size on every call: Qt keeps glyphs
// only up to 64 px, so above that it fills every glyph's outline again each time.
//
// Every picture is drawn where the glyph lies on the work surface (through a translated painter
// on a small image), and it stands for the glyph wherever the same picture results: at the same
// position within a work pixel and the same baseline, and, since Qt fills large glyphs from
// outlines in floating point, only where the outline's x coordinates keep their binary exponent
// (a glyph between 512 and 1024 may move anywhere inside that range; one that crosses such a
// boundary stands only for itself). Glyphs whose inked work pixels touch are drawn together, in
// their drawing order and grouped into the text output's items (runs of one script), so that
// the pixels they share come out as in one text output. The result is the whole caption's
// drawing to the byte.
#include "AAParams/ParamsTypes.h"
#include "Graphics/Canvas.h"

#include <QFont>
#include <QRawFont>
#include <QString>
#include <QTextLayout>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

class TGlyphCache {
  public:
    // Coverage kept between calls, in bytes; one call may hold more while it runs.
    static constexpr std::size_t DefaultLimit = std::size_t{32} << 20;

    explicit TGlyphCache(std::size_t limit = DefaultLimit);
    ~TGlyphCache();
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    // Adds the coverage of text, drawn white on black in font (already enlarged) with its cell's
    // top-left at work pixel (x, y), to sums: width x height blocks of Scale x Scale work pixels
    // of quality, row 0 at the top, each the weighted sum of its samples before the reduction's
    // final shift. Work pixels outside the blocks are cut off, as a surface cuts them.
    void AddText(const QFont& font, const QString& text, int x, int y, TAAQuality quality,
                 int width, int height, std::uint16_t* sums);

    // Advance width and cell height of a non-empty text in font, as the font metrics give them,
    // from the layout that drawing the same text then uses.
    TSize Extent(const QFont& font, const QString& text);

    std::size_t Bytes() const { return FBytes; }
    std::size_t Images() const { return FLru.size(); }
    std::size_t Limit() const { return FLimit; }
    void SetLimit(std::size_t limit);
    void Clear();

    struct TImage;
    struct TGlyph;
    struct TSingleKey {
        std::uint32_t Font;
        std::uint32_t Glyph;
        std::int32_t Binade; // exponent of the outline's x range, or -1: this position only
        std::int32_t Y64;
        std::int64_t X64; // position within its work pixel (1/64), or the whole position
        bool operator==(const TSingleKey&) const = default;
    };
    struct TSingleHash {
        std::size_t operator()(const TSingleKey& k) const;
    };
    struct TRunHash {
        std::size_t operator()(const std::vector<std::int32_t>& k) const;
    };

  private:
    struct TLayout {
        QFont Font;
        QString Text;
        std::unique_ptr<QTextLayout> Layout; // none when the text has no line
        int Ascent = 0;
        int Height = 0;
        double LineAscent = 0;
        int Advance = 0;
    };
    // The layout of the last text asked for, kept for the next call with the same font and
    // text: a caption is measured and then drawn.
    const TLayout& LayoutOf(const QFont& font, const QString& text);
    std::uint32_t FontIndex(const QRawFont& font, TAAQuality quality);
    std::shared_ptr<TImage> SingleImage(const TGlyph& glyph, TAAQuality quality);
    std::shared_ptr<TImage> RunImage(const std::vector<const TGlyph*>& run, TAAQuality quality);
    // Draws glyphs where they lie on the work surface (a small image under a moved painter) and
    // keeps the inked part.
    std::shared_ptr<TImage> Draw(const std::vector<const TGlyph*>& glyphs);
    // Where a picture of glyphs spanning x1 .. x2 (work pixels) holds: the binary exponent
    // shared by the whole range, or -1.
    static int Binade(double x1, double x2);
    // Whether a picture drawn for glyphs whose outlines span left .. right (first glyph at
    // originX64) holds wherever binade holds: its ink keeps to the binade as well.
    static bool HoldsElsewhere(const TImage& image, std::int64_t originX64, double left,
                               double right, int binade);
    // Keeps a picture, or gives the same picture kept before.
    std::shared_ptr<TImage> Keep(std::shared_ptr<TImage> image);
    void Touch(const std::shared_ptr<TImage>& image);
    // Numbers the glyphs by the item of the text output that draws them.
    void MarkItems(const QTextLayout& layout, const QString& text, std::vector<TGlyph>& glyphs);
    void Trim();
    void Forget(TImage& image);

    struct TFontEntry {
        QRawFont Font;
        TAAQuality Quality;
    };
    std::vector<TFontEntry> FFonts;
    TLayout FLayout;
    std::unordered_map<TSingleKey, std::shared_ptr<TImage>, TSingleHash> FSingles;
    std::unordered_map<std::vector<std::int32_t>, std::shared_ptr<TImage>, TRunHash> FRuns;
    std::unordered_multimap<std::size_t, std::weak_ptr<TImage>> FByContent;
    std::list<std::shared_ptr<TImage>> FLru; // most recently used first
    std::size_t FBytes = 0;
    std::size_t FLimit;
};
