#include "AAText/AAMask.h"

#include "AAText/AAFont.h"
#include "AAText/GlyphCache.h"
#include "AAText/PixelRows.h"
#include "Graphics/Bitmap.h"
#include "Rtl/Exceptions.h"
#include "Rtl/Random.h"
#include "Rtl/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

int ScaleOf(TAAQuality quality) {
    switch (quality) {
    case aqHigh:
        return 4;
    case aqNormal:
        return 3;
    case aqLow:
        return 2;
    case aqNone:
        return 1;
    }
    return 1;
}

TSize RotateExtent(TSize size, double theta, TPoint& offset) {
    const double c = std::cos(-theta), s = std::sin(-theta);
    const double a = size.cx / 2.0, b = size.cy / 2.0;
    const int x1 = RoundEven(-a * c + b * s), y1 = RoundEven(-a * s - b * c);
    const int x2 = RoundEven(a * c + b * s), y2 = RoundEven(a * s - b * c);
    const int x3 = RoundEven(-a * c - b * s), y3 = RoundEven(-a * s + b * c);
    const int x4 = RoundEven(a * c - b * s), y4 = RoundEven(a * s + b * c);
    const TSize rotated{std::max({x1, x2, x3, x4}) - std::min({x1, x2, x3, x4}),
                        std::max({y1, y2, y3, y4}) - std::min({y1, y2, y3, y4})};
    offset = TPoint{rotated.cx / 2 + x1, rotated.cy / 2 + y1};
    return rotated;
}

namespace {

// The surface font enlarged by scale (and by a pixel ratio, rounded toward the smaller font so
// that the text never outgrows the box measured at ratio 1). Without supersampling the text is
// aliased (pure 0 and 255); at a larger scale the rasteriser's own edge coverage refines the
// block averages, and it is also the much faster glyph path.
TLogFont EnlargedFont(const TFont& font, int scale, double ratio) {
    TLogFont log = font.LogFont();
    if (log.Height == 0)
        log.Height = -font.PixelSize();
    if (ratio == 1) {
        log.Height *= scale;
        log.Width *= scale;
    } else {
        log.Height = static_cast<int>(std::trunc(log.Height * scale * ratio));
        log.Width = static_cast<int>(std::trunc(log.Width * scale * ratio));
    }
    log.Quality = scale > 1 ? fqAntialiased : fqNonAntialiased;
    return log;
}

double EscapementAngle(const TLogFont& log) {
    return log.Escapement * std::numbers::pi / 1800.0;
}

} // namespace

TAAMask::TAAMask(TAAFont* owner) : FAAFont(owner) {
    SetQuality(aqNormal);
}

TAAMask::~TAAMask() {
    FGrayBmp.reset();
}

void TAAMask::Assign(const TPersistent* source) {
    if (const auto* mask = dynamic_cast<const TAAMask*>(source)) {
        if (mask == this)
            return;
        FWidth = mask->FWidth;
        FHeight = mask->FHeight;
        SetQuality(mask->FQuality);
        FGrayBytesPerLine = mask->FGrayBytesPerLine;
        FBytesPerLine = mask->FBytesPerLine;
        FBits.Assign(&mask->FBits);
        return;
    }
    TPersistent::Assign(source);
}

void TAAMask::SetQuality(TAAQuality quality) {
    FQuality = quality;
    FScale = ScaleOf(quality);
}

void TAAMask::Resize(int width, int height) {
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    QImage& image = FBits.Image();
    if (FWidth == 0 || FHeight == 0)
        image = QImage();
    else if (image.width() != FWidth || image.height() != FHeight)
        image = QImage(FWidth, FHeight, QImage::Format_Grayscale8);
    FBytesPerLine = FBits.BytesPerLine();
}

void TAAMask::SetSize(int width, int height) {
    Resize(width, height);
    FBits.Image().fill(0);
}

TSize TAAMask::TextSize(const QString& text) {
    TPoint offset;
    return MeasureText(text, offset);
}

TSize TAAMask::MeasureText(const QString& text, TPoint& offset) {
    TSize size;
    TCanvas* canvas = FAAFont ? FAAFont->Canvas() : nullptr;
    if (!canvas)
        return size;
    const TFont& surfaceFont = *canvas->Font();
    FMeasureFont.SetLogFont(EnlargedFont(surfaceFont, FScale, FPixelRatio));
    const double theta = EscapementAngle(surfaceFont.LogFont());
    // A text is measured on the layout that drawing it then uses (the metrics' own measure for
    // an empty text and for one that holds the separator of alternative texts).
    TSize extent;
    if (!text.isEmpty() && !text.contains(QChar(0x9C))) {
        if (!FGlyphs)
            FGlyphs = std::make_unique<TGlyphCache>();
        extent = FGlyphs->Extent(FMeasureFont.ToQFont(), text);
    } else {
        extent = TextExtentOf(FMeasureFont, text);
    }
    size.cx = (extent.cx + FScale - 1) / FScale;
    size.cy = (extent.cy + FScale - 1) / FScale;
    if (surfaceFont.LogFont().Italic && !text.isEmpty()) {
        // Room for the slant: 30 % of the average character width (per code-page byte).
        const auto length = static_cast<double>(std::max<std::size_t>(ToAnsi(text).size(), 1));
        size.cx += RoundEven(size.cx / length * 0.3);
    }
    if (theta != 0)
        size = RotateExtent(size, theta, offset);
    return size;
}

void TAAMask::DrawMask(const QString& text) {
    DrawMaskEx(text, TextSize(text), TPoint{0, 0});
}

void TAAMask::DrawMaskEx(const QString& text, TSize size, TPoint origin) {
    TCanvas* canvas = FAAFont ? FAAFont->Canvas() : nullptr;
    if (!canvas)
        return;
    Resize(size.cx, size.cy);
    const TLogFont enlarged = EnlargedFont(*canvas->Font(), FScale, FPixelRatio);
    if (enlarged.Escapement == 0 && !enlarged.Underline && !enlarged.StrikeOut)
        DrawFromGlyphs(text, enlarged, origin);
    else
        DrawByPainter(text, enlarged, origin);
}

void TAAMask::DrawFromGlyphs(const QString& text, const TLogFont& enlarged, TPoint origin) {
    if (!FGlyphs)
        FGlyphs = std::make_unique<TGlyphCache>();
    FGrayBytesPerLine = (FWidth * FScale + 3) / 4 * 4;
    FSums.assign(static_cast<std::size_t>(FWidth) * FHeight, 0);
    FMeasureFont.SetLogFont(enlarged);
    FGlyphs->AddText(FMeasureFont.ToQFont(), text, origin.X * FScale, origin.Y * FScale, FQuality,
                     FWidth, FHeight, FSums.data());
    // The block sums are the reduction's before its final division.
    const int shift = FQuality == aqHigh ? 4 : FQuality == aqNormal ? 3 : FQuality == aqLow ? 2 : 0;
    std::uint8_t* rows = Rows();
    for (int y = 0; y < FHeight; ++y)
        ShiftRow(RowOf(rows, y), FSums.data() + static_cast<std::ptrdiff_t>(y) * FWidth, shift,
                 static_cast<std::size_t>(FWidth));
}

void TAAMask::DrawByPainter(const QString& text, const TLogFont& enlarged, TPoint origin) {
    TCanvas* canvas = FAAFont->Canvas();
    // The work pixels are 32-bit: the raster engine blits glyphs straight into that format,
    // while 8-bit targets take a slow span-by-span path. White on black keeps all three
    // channels equal, so the blue byte is the gray level. The work bitmap is kept between
    // calls and only grows, so a repeated caption allocates nothing.
    if (!FGrayBmp)
        FGrayBmp = std::make_unique<TBitmap>(0, 0, pfDevice);
    FGrayBmp->SetSize(std::max(FGrayBmp->Width(), FWidth * FScale),
                      std::max(FGrayBmp->Height(), FHeight * FScale));

    if (!FGrayBmp->Empty()) {
        TCanvas* gray = FGrayBmp->Canvas();
        gray->Font()->SetLogFont(enlarged);
        gray->Font()->SetColor(clWhite);
        gray->Brush()->SetStyle(bsSolid);
        gray->Brush()->SetColor(clBlack);
        // Only the part the reduction reads needs clearing.
        gray->FillRect(Rect(0, 0, FWidth * FScale, FHeight * FScale));
        int x = origin.X * FScale, y = origin.Y * FScale;
        if (EscapementAngle(canvas->Font()->LogFont()) != 0) {
            TPoint offset;
            MeasureText(text, offset);
            x += offset.X * FScale;
            y += offset.Y * FScale;
        }
        gray->TextOut(x, y, text);
    }
    FGrayBytesPerLine = (FGrayBmp->Width() + 3) / 4 * 4;
    if (FGrayBmp->Empty())
        return;

    // Each Scale x Scale block of work pixels (gray level = coverage) becomes one mask byte.
    constexpr int P = 4; // bytes per work pixel
    const int s = FScale;
    std::uint8_t* rows = Rows();
    for (int y = 0; y < FHeight; ++y) {
        std::uint8_t* dst = RowOf(rows, y);
        const std::uint8_t* r0 = FGrayBmp->ScanLine(s * y);
        switch (FQuality) {
        case aqHigh: {
            const std::uint8_t* r1 = FGrayBmp->ScanLine(s * y + 1);
            const std::uint8_t* r2 = FGrayBmp->ScanLine(s * y + 2);
            const std::uint8_t* r3 = FGrayBmp->ScanLine(s * y + 3);
            for (int x = 0; x < FWidth; ++x) {
                const int j = 4 * P * x;
                int sum = 0;
                for (int k = 0; k < 4 * P; k += P)
                    sum += r0[j + k] + r1[j + k] + r2[j + k] + r3[j + k];
                dst[x] = static_cast<std::uint8_t>(sum >> 4);
            }
            break;
        }
        case aqNormal: {
            const std::uint8_t* r1 = FGrayBmp->ScanLine(s * y + 1);
            const std::uint8_t* r2 = FGrayBmp->ScanLine(s * y + 2);
            for (int x = 0; x < FWidth; ++x) {
                const int j = 3 * P * x;
                // The top-right and bottom-left samples count half: weights total 8.
                const int sum = r0[j] + r0[j + P] + (r0[j + 2 * P] >> 1) + r1[j] + r1[j + P] +
                                r1[j + 2 * P] + (r2[j] >> 1) + r2[j + P] + r2[j + 2 * P];
                dst[x] = static_cast<std::uint8_t>(sum >> 3);
            }
            break;
        }
        case aqLow: {
            const std::uint8_t* r1 = FGrayBmp->ScanLine(s * y + 1);
            for (int x = 0; x < FWidth; ++x) {
                const int j = 2 * P * x;
                dst[x] = static_cast<std::uint8_t>((r0[j] + r0[j + P] + r1[j] + r1[j + P]) >> 2);
            }
            break;
        }
        case aqNone:
            for (int x = 0; x < FWidth; ++x)
                dst[x] = r0[P * x];
            break;
        }
    }
}

void TAAMask::Outline() {
    if (FHeight < 3 || FWidth < 3)
        return;
    std::uint8_t* rows = Rows();
    std::vector<std::uint8_t> copy(rows,
                                   rows + static_cast<std::ptrdiff_t>(FBytesPerLine) * FHeight);
    for (int y = 1; y < FHeight - 1; ++y) {
        const std::uint8_t* u = RowOf(copy.data(), y - 1);
        const std::uint8_t* m = RowOf(copy.data(), y);
        const std::uint8_t* d = RowOf(copy.data(), y + 1);
        std::uint8_t* dst = RowOf(rows, y);
        for (int x = 1; x < FWidth - 1; ++x) {
            const int d1 = std::abs(d[x] - u[x]);
            const int d2 = std::abs(m[x + 1] - m[x - 1]);
            const int d3 = std::abs(d[x - 1] - u[x + 1]);
            const int d4 = std::abs(d[x + 1] - u[x - 1]);
            dst[x] = static_cast<std::uint8_t>(std::min((d1 + d2 + d3 + d4) >> 2, 255));
        }
    }
}

void TAAMask::Blur(int strength) {
    if (FWidth <= 0 || FHeight <= 0)
        return;
    const int t = static_cast<std::uint8_t>(RoundEven(strength * 255 / 100.0));
    // Sums of five clamped columns per pixel, then of five clamped rows of those sums: the same
    // 25 samples as the 5 x 5 window. Every mask byte is written once, after the sums of its
    // own row were taken, so the sums need no copy of the mask.
    const int w = FWidth, last = w - 1;
    FBlurSums.resize(static_cast<std::size_t>(w) * FHeight);
    std::uint8_t* rows = Rows();
    for (int y = 0; y < FHeight; ++y) {
        const std::uint8_t* src = RowOf(rows, y);
        std::uint16_t* out = FBlurSums.data() + static_cast<std::ptrdiff_t>(y) * w;
        auto at = [&](int x) { return src[std::clamp(x, 0, last)]; };
        const int inner0 = std::min(2, w), inner1 = std::max(inner0, w - 2);
        for (int x = 0; x < inner0; ++x)
            out[x] =
                static_cast<std::uint16_t>(at(x - 2) + at(x - 1) + at(x) + at(x + 1) + at(x + 2));
        for (int x = inner0; x < inner1; ++x)
            out[x] = static_cast<std::uint16_t>(src[x - 2] + src[x - 1] + src[x] + src[x + 1] +
                                                src[x + 2]);
        for (int x = inner1; x < w; ++x)
            out[x] =
                static_cast<std::uint16_t>(at(x - 2) + at(x - 1) + at(x) + at(x + 1) + at(x + 2));
    }
    for (int y = 0; y < FHeight; ++y) {
        const std::uint16_t* r[5];
        for (int k = 0; k < 5; ++k)
            r[k] = FBlurSums.data() +
                   static_cast<std::ptrdiff_t>(std::clamp(y + k - 2, 0, FHeight - 1)) * w;
        BlurRow(RowOf(rows, y), r, t, static_cast<std::size_t>(w));
    }
}

void TAAMask::Spray(int amount) {
    TRandomRun Random;
    if (FWidth <= 0 || FHeight <= 0)
        return;
    std::uint8_t* rows = Rows();
    for (int y = 0; y < FHeight; ++y) {
        std::uint8_t* dst = RowOf(rows, y);
        for (int x = 0; x < FWidth; ++x) {
            const int r = Random(amount + 1);
            const int sx = std::clamp(x + r - Random(2 * r), 0, FWidth - 1);
            const int sy = std::clamp(y + r - Random(2 * r), 0, FHeight - 1);
            dst[x] = RowOf(rows, sy)[sx];
        }
    }
}

void TAAMask::HorzMirror() {
    if (FWidth <= 0 || FHeight <= 0)
        return;
    std::uint8_t* rows = Rows();
    for (int y = 0; y < FHeight; ++y) {
        std::uint8_t* row = RowOf(rows, y);
        std::reverse(row, row + FWidth);
    }
}

void TAAMask::VertMirror() {
    if (FWidth <= 0 || FHeight <= 0)
        return;
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(FBytesPerLine));
    const auto bytes = static_cast<std::size_t>(FBytesPerLine);
    std::uint8_t* rows = Rows();
    for (int i = 0; i < FHeight / 2; ++i) {
        std::uint8_t* a = RowOf(rows, i);
        std::uint8_t* b = RowOf(rows, FHeight - 1 - i);
        std::memcpy(scratch.data(), a, bytes);
        std::memcpy(a, b, bytes);
        std::memcpy(b, scratch.data(), bytes);
    }
}

std::uint8_t* TAAMask::ScanLine(int y) {
    if (y < 0 || y > FHeight - 1)
        throw EInvalidLine();
    return FBits.Image().scanLine(y);
}

const std::uint8_t* TAAMask::ScanLine(int y) const {
    if (y < 0 || y > FHeight - 1)
        throw EInvalidLine();
    return FBits.Image().constScanLine(y);
}
