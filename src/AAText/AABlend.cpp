#include "AAText/AABlend.h"

#include "AAText/AAFont.h"
#include "AAText/AAMask.h"
#include "AAText/PixelRows.h"
#include "Rtl/Exceptions.h"

#include <algorithm>
#include <cstring>

TAABlend::TAABlend(TAAFont* owner)
    : FForeBmp(std::make_unique<TBitmap>(0, 0, pf24bit)),
      FWorkBmp(std::make_unique<TBitmap>(0, 0, pf24bit)), FAAFont(owner) {}

TAABlend::~TAABlend() = default;

void TAABlend::Assign(const TPersistent* source) {
    if (const auto* blend = dynamic_cast<const TAABlend*>(source)) {
        if (blend != this)
            FForeBmp->Assign(blend->FForeBmp.get());
        return;
    }
    TPersistent::Assign(source);
}

void TAABlend::Compose(int x, int y, int alpha, TAAMask* mask, const std::uint8_t* target,
                       std::ptrdiff_t targetStride) {
    TCanvas* dest = FAAFont->Canvas();
    const int width = mask->Width(), height = mask->Height();
    FWorkBmp->SetSize(width, height);
    if (FWorkBmp->Empty())
        return;
    const int f = static_cast<int>(static_cast<unsigned>(alpha) * 256u / 100u);
    const bool solid = dest->Brush()->Style() == bsSolid;
    if (!solid && !dest->Pixels()) {
        // The pixels under the text cannot be read (a recording, a printer): compose the text
        // alone, transparent around its ink, and let the surface draw it over what it has.
        ComposeOver(x, y, f, mask, target, targetStride);
        return;
    }

    TCanvas* work = FWorkBmp->Canvas();
    work->Brush()->Assign(*dest->Brush());
    if (solid)
        work->FillRect(Rect(0, 0, width, height));
    else
        work->CopyRect(Rect(0, 0, width, height), dest, Bounds(x, y, width, height));

    QImage& image = FWorkBmp->Image();
    std::uint8_t* bits = image.bits();
    const auto stride = static_cast<std::ptrdiff_t>(image.bytesPerLine());
    // The weights are spread to the three bytes of each pixel so that one loop mixes the row:
    // each coverage value gives its weight three times over (and a fourth byte that the next
    // pixel overwrites).
    std::uint32_t spread[256];
    for (std::uint32_t m = 0; m < 256; ++m)
        spread[m] = ((m * static_cast<std::uint32_t>(f)) >> 8) * 0x00010101u;
    const auto bytes = static_cast<std::size_t>(width) * 3;
    FWeights.resize(bytes + 1);
    std::uint8_t* w3 = FWeights.data();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* m = mask->ScanLine(row);
        for (int col = 0; col < width; ++col)
            std::memcpy(w3 + 3 * col, &spread[m[col]], 4);
        MixRow(bits + row * stride, target + row * targetStride, w3, bytes);
    }
    // A plain copy, whatever raster operation the surface is set to.
    dest->PutPixels(x, y, image);
}

void TAABlend::ComposeOver(int x, int y, int f, TAAMask* mask, const std::uint8_t* target,
                           std::ptrdiff_t targetStride) {
    const int width = mask->Width(), height = mask->Height();
    // Premultiplied blue, green, red, alpha: moving a transparent pixel toward the opaque
    // target by w gives the target's colour at coverage w.
    QImage over(width, height, QImage::Format_ARGB32_Premultiplied);
    over.fill(Qt::transparent);
    const auto bytes = static_cast<std::size_t>(width) * 4;
    FWeights.resize(bytes);
    std::vector<std::uint8_t> goal(bytes);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* m = mask->ScanLine(row);
        const std::uint8_t* t = target + row * targetStride;
        for (int col = 0; col < width; ++col) {
            const auto w = static_cast<std::uint8_t>((m[col] * f) >> 8);
            std::memset(&FWeights[4 * std::size_t(col)], w, 4);
            std::memcpy(&goal[4 * std::size_t(col)], t + 3 * col, 3);
            goal[4 * std::size_t(col) + 3] = 255;
        }
        MixRow(over.scanLine(row), goal.data(), FWeights.data(), bytes);
    }
    FAAFont->Canvas()->PutPixels(x, y, over, true);
}

void TAABlend::BlendColor(int x, int y, TColor color, int alpha, TAAMask* mask) {
    if (!FAAFont || !FAAFont->Canvas() || !mask)
        return;
    const TColor c = ColorToRGB(color);
    FColourRow.resize(static_cast<std::size_t>(std::max(mask->Width(), 0)) * 3);
    for (std::size_t i = 0; i < FColourRow.size(); i += 3) {
        FColourRow[i] = GetBValue(c);
        FColourRow[i + 1] = GetGValue(c);
        FColourRow[i + 2] = GetRValue(c);
    }
    Compose(x, y, alpha, mask, FColourRow.data(), 0);
}

void TAABlend::BlendForeBmp(int x, int y, int alpha, TAAMask* mask) {
    if (!FAAFont || !FAAFont->Canvas() || !mask)
        return;
    if (FForeBmp->Width() != mask->Width() || FForeBmp->Height() != mask->Height() ||
        FForeBmp->PixelFormat() != pf24bit)
        throw EInvalidForeBmp();
    const QImage& fore = FForeBmp->Image();
    Compose(x, y, alpha, mask, fore.constBits(), fore.bytesPerLine());
}
