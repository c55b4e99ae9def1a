#include "AAText/AAFontEx.h"

#include "AAText/PixelRows.h"
#include "Graphics/Bitmap.h"
#include "Rtl/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Gives the surface a font turned by angle degrees for the lifetime of the guard, and the
// kept font back at its end, also when drawing fails.
class AngleFont {
  public:
    AngleFont(TCanvas* canvas, int angle) : FCanvas(canvas) {
        if (!canvas || angle == 0)
            return;
        FKept.emplace();
        FKept->Assign(*canvas->Font());
        TLogFont log = canvas->Font()->LogFont();
        log.Escapement = angle * 10;
        canvas->Font()->SetLogFont(log);
    }
    ~AngleFont() {
        if (FKept)
            FCanvas->Font()->Assign(*FKept);
    }
    AngleFont(const AngleFont&) = delete;
    AngleFont& operator=(const AngleFont&) = delete;

  private:
    TCanvas* FCanvas;
    std::optional<TFont> FKept;
};

// Gives the mask a pixel ratio for the lifetime of the guard and 1 back at its end, so that
// measuring stays in the surface's own units.
class RatioGuard {
  public:
    RatioGuard(TAAMask* mask, double ratio) : FMask(mask) { mask->SetPixelRatio(ratio); }
    ~RatioGuard() { FMask->SetPixelRatio(1); }
    RatioGuard(const RatioGuard&) = delete;
    RatioGuard& operator=(const RatioGuard&) = delete;

  private:
    TAAMask* FMask;
};

// Puts the brush style back at the end of a call that changed it.
class BrushStyleKeeper {
  public:
    explicit BrushStyleKeeper(TCanvas* canvas)
        : FCanvas(canvas), FStyle(canvas->Brush()->Style()) {}
    ~BrushStyleKeeper() {
        if (FActive)
            FCanvas->Brush()->SetStyle(FStyle);
    }
    BrushStyleKeeper(const BrushStyleKeeper&) = delete;
    BrushStyleKeeper& operator=(const BrushStyleKeeper&) = delete;
    void Activate() { FActive = true; }

  private:
    TCanvas* FCanvas;
    TBrushStyle FStyle;
    bool FActive = false;
};

} // namespace

TAAFontEx::TAAFontEx(TCanvas* canvas) : TAAFont(canvas), FEffect(std::make_unique<TAAEffect>()) {}

TAAFontEx::~TAAFontEx() = default;

TSize TAAFontEx::TextExtent(const QString& text) {
    TSize size;
    {
        AngleFont turned(Canvas(), FEffect->Angle());
        size = TAAFont::TextExtent(text);
    }
    if (FEffect->Shadow().Enabled()) {
        size.cx += std::abs(FEffect->Shadow().OffsetX());
        size.cy += std::abs(FEffect->Shadow().OffsetY());
    }
    return size;
}

TPoint TAAFontEx::GetShadowPoint() const {
    if (!FEffect->Shadow().Enabled())
        return TPoint{0, 0};
    return TPoint{std::max<int>(FEffect->Shadow().OffsetX(), 0),
                  std::max<int>(FEffect->Shadow().OffsetY(), 0)};
}

TPoint TAAFontEx::GetTextPoint() const {
    if (!FEffect->Shadow().Enabled())
        return TPoint{0, 0};
    return TPoint{std::max(-FEffect->Shadow().OffsetX(), 0),
                  std::max(-FEffect->Shadow().OffsetY(), 0)};
}

void TAAFontEx::TextOut(int x, int y, const QString& text) {
    TCanvas* canvas = Canvas();
    if (!canvas || text.isEmpty())
        return;
    const TAAEffect& e = *FEffect;
    AngleFont turned(canvas, e.Angle());
    // On a surface of more device pixels per unit the text is drawn at device pixels: the
    // mask's font, the positions, the shadow's offsets and the spray grow by the ratio.
    const double ratio = canvas->PixelRatio();
    RatioGuard denser(Mask(), ratio);
    auto device = [ratio](int v) {
        return ratio == 1 ? v : static_cast<int>(std::lround(v * ratio));
    };

    const bool shadow = e.Shadow().Enabled();
    TPoint tp{device(x), device(y)}, sp = tp;
    if (shadow) {
        const int dx = device(e.Shadow().OffsetX()), dy = device(e.Shadow().OffsetY());
        tp = TPoint{std::max(-dx, 0) + device(x), std::max(-dy, 0) + device(y)};
        sp = TPoint{std::max(dx, 0) + device(x), std::max(dy, 0) + device(y)};
    }

    TAAMask* mask = Mask();
    mask->DrawMask(text);
    if (e.Outline())
        mask->Outline();
    if (e.Spray() > 0)
        mask->Spray(device(e.Spray()));
    if (e.HorzMirror())
        mask->HorzMirror();
    if (e.VertMirror())
        mask->VertMirror();

    BrushStyleKeeper brush(canvas);
    if (shadow) {
        // The shadow shares outline, spray and mirrors but not the text's blur.
        TAAMask shade(this);
        shade.Assign(mask);
        if (e.Shadow().Blur() > 0)
            shade.Blur(e.Shadow().Blur());
        const int alpha = static_cast<int>(static_cast<unsigned>(e.Shadow().Alpha()) *
                                           static_cast<unsigned>(e.Alpha()) / 100u);
        Blend()->BlendColor(sp.X, sp.Y, e.Shadow().Color(), alpha, &shade);
        // The text now blends over the shadow instead of the brush.
        brush.Activate();
        canvas->Brush()->SetStyle(bsClear);
    }

    if (e.Blur() > 0)
        mask->Blur(e.Blur());

    if (e.Texture().Enabled() && !e.Texture().Picture().Empty()) {
        FillTexture();
        if (e.Noise() > 0)
            AddNoise(e.Noise());
        Blend()->BlendForeBmp(tp.X, tp.Y, e.Alpha(), mask);
    } else if (e.Gradual().Enabled()) {
        FillGradual();
        if (e.Noise() > 0)
            AddNoise(e.Noise());
        Blend()->BlendForeBmp(tp.X, tp.Y, e.Alpha(), mask);
    } else if (e.Noise() > 0) {
        FillNoiseColor();
        Blend()->BlendForeBmp(tp.X, tp.Y, e.Alpha(), mask);
    } else {
        Blend()->BlendColor(tp.X, tp.Y, canvas->Font()->Color(), e.Alpha(), mask);
    }
}

void TAAFontEx::SizeForeBmp() {
    TBitmap* fore = Blend()->ForeBmp();
    fore->SetPixelFormat(pf24bit);
    fore->SetSize(Mask()->Width(), Mask()->Height());
}

void TAAFontEx::FillGradual() {
    SizeForeBmp();
    const TAAGradual& g = FEffect->Gradual();
    if (!Canvas() || !g.Enabled())
        return;
    TBitmap* fore = Blend()->ForeBmp();
    const int width = Mask()->Width(), height = Mask()->Height();
    const TGradualStyle style = g.Style();
    const bool horizontal =
        style == gsLeftToRight || style == gsRightToLeft || style == gsCenterToLR;
    const bool centre = style == gsCenterToLR || style == gsCenterToTB;
    const int length = horizontal ? width : height;
    const int steps = centre ? (length + 1) / 2 : length;
    const bool forward = style == gsLeftToRight || style == gsTopToBottom;
    const TColor c1 = ColorToRGB(forward ? g.StartColor() : g.EndColor());
    const TColor c2 = ColorToRGB(forward ? g.EndColor() : g.StartColor());
    const int from[3] = {GetBValue(c1), GetGValue(c1), GetRValue(c1)};
    const int to[3] = {GetBValue(c2), GetGValue(c2), GetRValue(c2)};

    std::vector<std::uint8_t> ramp(static_cast<std::size_t>(std::max(length, 0)) * 3);
    for (int i = 0; i < steps; ++i)
        for (int k = 0; k < 3; ++k)
            ramp[static_cast<std::size_t>(i) * 3 + k] =
                static_cast<std::uint8_t>(from[k] + (to[k] - from[k]) * i / steps);
    if (centre)
        for (int i = 0; i < steps; ++i)
            std::memcpy(&ramp[static_cast<std::size_t>(length - 1 - i) * 3],
                        &ramp[static_cast<std::size_t>(i) * 3], 3);

    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = fore->ScanLine(y);
        if (horizontal) {
            std::memcpy(row, ramp.data(), static_cast<std::size_t>(width) * 3);
        } else {
            const std::uint8_t* c = &ramp[static_cast<std::size_t>(y) * 3];
            for (int x = 0; x < width; ++x, row += 3)
                std::memcpy(row, c, 3);
        }
    }
}

void TAAFontEx::FillNoiseColor() {
    SizeForeBmp();
    if (!Canvas())
        return;
    QImage& fore = Blend()->ForeBmp()->Image();
    const TColor c = ColorToRGB(Canvas()->Font()->Color());
    const int n = FEffect->Noise();
    const auto bytes = static_cast<std::size_t>(fore.width()) * 3;
    std::vector<std::uint8_t> colour(bytes);
    for (std::size_t i = 0; i < bytes; i += 3) {
        colour[i] = GetBValue(c);
        colour[i + 1] = GetGValue(c);
        colour[i + 2] = GetRValue(c);
    }
    std::vector<std::uint32_t> states(bytes);
    TRandomRun random;
    for (int y = 0; y < fore.height(); ++y) {
        // Three draws per pixel: red, green, blue, the reverse of the bytes' order.
        random.States(states.data(), static_cast<int>(bytes));
        for (std::size_t i = 0; i < bytes; i += 3)
            std::swap(states[i], states[i + 2]);
        std::uint8_t* p = fore.scanLine(y);
        std::memcpy(p, colour.data(), bytes);
        AddRandomRow(p, states.data(), n, n / 2, bytes);
    }
}

void TAAFontEx::AddNoise(int n) {
    QImage& fore = Blend()->ForeBmp()->Image();
    const auto bytes = static_cast<std::size_t>(fore.width()) * 3;
    std::vector<std::uint32_t> states(bytes);
    TRandomRun random;
    for (int y = 0; y < fore.height(); ++y) {
        // One draw per byte, in memory order.
        random.States(states.data(), static_cast<int>(bytes));
        AddRandomRow(fore.scanLine(y), states.data(), n, n / 2, bytes);
    }
}

void TAAFontEx::FillTexture() {
    SizeForeBmp();
    const TAATexture& t = FEffect->Texture();
    const TGraphic* graphic = t.Picture().Graphic();
    TBitmap* fore = Blend()->ForeBmp();
    if (!Canvas() || !t.Enabled() || !graphic || fore->Empty())
        return;
    // At a pixel ratio the texture keeps its size in the surface's units: it is laid out on a
    // bitmap of that size and stretched onto the device pixels.
    const double ratio = Mask()->PixelRatio();
    TBitmap logical;
    TBitmap* target = fore;
    if (ratio != 1) {
        logical.SetPixelFormat(pf24bit);
        logical.SetSize(std::max(1, static_cast<int>(std::ceil(fore->Width() / ratio))),
                        std::max(1, static_cast<int>(std::ceil(fore->Height() / ratio))));
        target = &logical;
    }
    TCanvas* c = target->Canvas();
    const TRect whole = Rect(0, 0, target->Width(), target->Height());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Canvas()->Font()->Color());
    c->FillRect(whole);
    switch (t.Mode()) {
    case tmTiled:
        TileDraw(c, whole, graphic);
        break;
    case tmStretched:
        DrawStretched(c, whole, graphic, c->Font()->Color());
        break;
    case tmCenter:
        c->Draw((target->Width() - graphic->Width()) / 2,
                (target->Height() - graphic->Height()) / 2, graphic);
        break;
    case tmNormal:
        c->Draw(0, 0, graphic);
        break;
    }
    if (target != fore)
        fore->Canvas()->StretchDraw(Rect(0, 0, fore->Width(), fore->Height()), target);
}
