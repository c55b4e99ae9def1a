#include "AAText/AABlend.h"

#include "AAText/AAFont.h"
#include "AAText/AAMask.h"
#include "Platform/Exceptions.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// Each byte p moves toward its target t by w/256 of the way: p + floor((t - p) * w / 256),
// always between p and t; w = 255 gives t exactly and w = 0 leaves p.
void MixRow(std::uint8_t* p, const std::uint8_t* t, const std::uint8_t* w, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: (2(t - p) x 128w) >> 16 is the same floor of (t - p) w / 256.
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi8(static_cast<char>(0xFF));
    for (; i + 16 <= n; i += 16) {
        const __m128i pv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i wv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
        const __m128i plo = _mm_unpacklo_epi8(pv, zero), phi = _mm_unpackhi_epi8(pv, zero);
        const __m128i dlo = _mm_slli_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(tv, zero), plo), 1);
        const __m128i dhi = _mm_slli_epi16(_mm_sub_epi16(_mm_unpackhi_epi8(tv, zero), phi), 1);
        const __m128i wlo = _mm_slli_epi16(_mm_unpacklo_epi8(wv, zero), 7);
        const __m128i whi = _mm_slli_epi16(_mm_unpackhi_epi8(wv, zero), 7);
        const __m128i mixed = _mm_packus_epi16(_mm_add_epi16(plo, _mm_mulhi_epi16(dlo, wlo)),
                                               _mm_add_epi16(phi, _mm_mulhi_epi16(dhi, whi)));
        const __m128i exact = _mm_cmpeq_epi8(wv, full);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                         _mm_or_si128(_mm_and_si128(exact, tv), _mm_andnot_si128(exact, mixed)));
    }
#endif
    for (; i < n; ++i) {
        const int mixed = p[i] + (((t[i] - p[i]) * w[i]) >> 8);
        p[i] = static_cast<std::uint8_t>(w[i] == 255 ? t[i] : mixed);
    }
}

} // namespace

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
    // The weights are spread to the three bytes of each pixel so that one loop mixes the row.
    const auto bytes = static_cast<std::size_t>(width) * 3;
    FWeights.resize(bytes);
    std::uint8_t* w3 = FWeights.data();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* m = mask->ScanLine(row);
        for (int col = 0; col < width; ++col) {
            const auto w = static_cast<std::uint8_t>((m[col] * f) >> 8);
            w3[3 * col] = w3[3 * col + 1] = w3[3 * col + 2] = w;
        }
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
