#pragma once
// Coverage masks: a text drawn white on black at Scale times its size and averaged down, one
// byte per pixel (0 no ink .. 255 full ink) in a gray bitmap of the drawing layer, top row
// first, plus the in-place effects applied to coverage.
#include "AAParams/ParamsTypes.h"
#include "Graphics/Bitmap.h"
#include "Graphics/Canvas.h"
#include "Graphics/Font.h"
#include "Graphics/Picture.h"
#include "Rtl/Rounding.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TAAFont;
class TGlyphCache;

// The supersampling factor of a quality: 4, 3, 2, 1.
int ScaleOf(TAAQuality quality);

// Bounding box of a w x h box rotated by theta (radians, counter-clockwise) and where the
// unrotated box's top-left corner lies inside it (offset).
TSize RotateExtent(TSize size, double theta, TPoint& offset);

class TAAMask : public TPersistent {
  public:
    explicit TAAMask(TAAFont* owner);
    ~TAAMask() override;

    // Copies another mask's size, quality and coverage (not its renderer).
    void Assign(const TPersistent* source) override;

    TAAQuality Quality() const { return FQuality; }
    void SetQuality(TAAQuality quality);
    // Device pixels per pixel of the surface font: texts are measured and drawn that much
    // larger, for a screen of more device pixels per unit (1 by default).
    double PixelRatio() const { return FPixelRatio; }
    void SetPixelRatio(double ratio) { FPixelRatio = ratio > 0 ? ratio : 1; }
    int Scale() const { return FScale; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int BytesPerLine() const { return FBytesPerLine; }
    int GrayBytesPerLine() const { return FGrayBytesPerLine; }
    TAAFont* AAFont() const { return FAAFont; }

    // Size of a text as drawn at this quality (italic allowance and rotation included).
    TSize TextSize(const QString& text);
    // As TextSize; for a rotated font offset receives where the text's reference point lies
    // in the rotated box (otherwise offset is left as it was).
    TSize MeasureText(const QString& text, TPoint& offset);
    void DrawMask(const QString& text);
    // Renders text into a size.cx x size.cy mask with its reference point at origin.
    void DrawMaskEx(const QString& text, TSize size, TPoint origin);

    // Edge magnitude in place: solid interiors become 0, edges bright.
    void Outline();
    // 5 x 5 box blur, strength 0..100.
    void Blur(int strength);
    // Every pixel takes the value of a random neighbour within amount pixels.
    void Spray(int amount);
    void HorzMirror();
    void VertMirror();

    // Row y (0 = top of the text); raises EInvalidLine outside 0..Height-1.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // The coverage as an 8-bit gray bitmap (level = coverage), Width x Height.
    const TBitmap& Bitmap() const { return FBits; }

    // Sets a blank (all 0) mask of the given size, for building coverage directly.
    void SetSize(int width, int height);

    // The enlarged glyphs kept for this mask's texts (none before the first text); freed with
    // the mask.
    TGlyphCache* GlyphCache() const { return FGlyphs.get(); }

  private:
    // Makes the bitmap width x height without keeping or clearing its pixels.
    void Resize(int width, int height);
    // First byte of the rows and the step between them; unchecked, for the inner loops.
    std::uint8_t* Rows() { return FBits.Image().bits(); }
    std::uint8_t* RowOf(std::uint8_t* rows, int y) const {
        return rows + static_cast<std::ptrdiff_t>(y) * FBytesPerLine;
    }

    // Upright text without underline or strike-out: put together from kept glyphs.
    void DrawFromGlyphs(const QString& text, const TLogFont& enlarged, TPoint origin);
    // Any other text: drawn whole at Scale times its size on the work bitmap and reduced.
    void DrawByPainter(const QString& text, const TLogFont& enlarged, TPoint origin);

    TAAQuality FQuality = aqNormal;
    TBitmap FBits{0, 0, pf8bit};
    int FHeight = 0;
    int FWidth = 0;
    int FGrayBytesPerLine = 0;
    int FBytesPerLine = 0;
    int FScale = 3;
    double FPixelRatio = 1;
    TAAFont* FAAFont = nullptr;
    std::unique_ptr<TBitmap> FGrayBmp;
    TFont FMeasureFont; // the enlarged font, kept so its metrics are reused
    std::unique_ptr<TGlyphCache> FGlyphs;
    std::vector<std::uint16_t> FSums;     // block sums of the glyph path, before the final shift
    std::vector<std::uint16_t> FBlurSums; // five-column sums of the blur
};
