#include "AAText/AABlend.h"

#include "AAText/AAFont.h"
#include "AAText/AAMask.h"
#include "Platform/Exceptions.h"

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

// p moved toward t by w/256: p + floor((t - p) * w / 256), always between p and t.
inline std::uint8_t Mix(int p, int t, int w) {
    return static_cast<std::uint8_t>(p + (((t - p) * w) >> 8));
}

} // namespace

void TAABlend::Compose(int x, int y, int alpha, TAAMask* mask,
                       const std::function<const std::uint8_t*(int)>& rowOf, int step) {
    TCanvas* dest = FAAFont ? FAAFont->Canvas() : nullptr;
    const int width = mask->Width(), height = mask->Height();
    FWorkBmp->SetSize(width, height);
    if (FWorkBmp->Empty())
        return;
    const int f = static_cast<int>(static_cast<unsigned>(alpha) * 256u / 100u);

    TCanvas* work = FWorkBmp->Canvas();
    work->Brush()->Assign(*dest->Brush());
    if (work->Brush()->Style() != bsSolid && !dest->Pixels()) {
        // A surface whose pixels cannot be read gets its brush colour behind the text rather
        // than whatever the work bitmap held before.
        work->Brush()->SetStyle(bsSolid);
        work->FillRect(Rect(0, 0, width, height));
    } else if (work->Brush()->Style() == bsSolid)
        work->FillRect(Rect(0, 0, width, height));
    else
        work->CopyRect(Rect(0, 0, width, height), dest, Bounds(x, y, width, height));

    for (int row = 0; row < height; ++row) {
        const std::uint8_t* m = mask->ScanLine(row);
        std::uint8_t* p = FWorkBmp->ScanLine(row);
        const std::uint8_t* t = rowOf(row);
        for (int col = 0; col < width; ++col, p += 3, t += step) {
            const int w = (m[col] * f) >> 8;
            if (w == 0)
                continue;
            if (w == 255) {
                p[0] = t[0];
                p[1] = t[1];
                p[2] = t[2];
            } else {
                p[0] = Mix(p[0], t[0], w);
                p[1] = Mix(p[1], t[1], w);
                p[2] = Mix(p[2], t[2], w);
            }
        }
    }

    // A plain copy, whatever raster operation the surface is set to.
    const TCopyMode mode = dest->CopyMode();
    dest->SetCopyMode(cmSrcCopy);
    dest->CopyRect(Bounds(x, y, width, height), work, Rect(0, 0, width, height));
    dest->SetCopyMode(mode);
}

void TAABlend::BlendColor(int x, int y, TColor color, int alpha, TAAMask* mask) {
    if (!FAAFont || !FAAFont->Canvas() || !mask)
        return;
    const TColor c = ColorToRGB(color);
    const std::uint8_t bgr[3] = {GetBValue(c), GetGValue(c), GetRValue(c)};
    Compose(
        x, y, alpha, mask, [&bgr](int) { return bgr; }, 0);
}

void TAABlend::BlendForeBmp(int x, int y, int alpha, TAAMask* mask) {
    if (!FAAFont || !FAAFont->Canvas() || !mask)
        return;
    if (FForeBmp->Width() != mask->Width() || FForeBmp->Height() != mask->Height() ||
        FForeBmp->PixelFormat() != pf24bit)
        throw EInvalidForeBmp();
    TBitmap* fore = FForeBmp.get();
    Compose(
        x, y, alpha, mask, [fore](int row) { return fore->ScanLine(row); }, 3);
}
