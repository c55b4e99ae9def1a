#include "Gauges/Gauge.h"

#include "Rtl/Exceptions.h"
#include "Rtl/Rounding.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

using namespace Gauges;

namespace {

// Truncation toward zero; results beyond the 32-bit range saturate instead of overflowing.
int TruncToInt(double value) {
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::trunc(value), double(INT_MIN), double(INT_MAX)));
}

} // namespace

int ScaleByPercent(int Percent, int Extent) {
    return TruncToInt(double(Extent) * Percent * 0.01);
}

int RatioToPercent(std::int64_t Part, std::int64_t Whole) {
    if (Whole == 0)
        return 0;
    return TruncToInt(double(Part) * 100.0 / double(Whole));
}

void TBltBitmap::MakeLike(const TBitmap& Template) {
    SetPixelFormat(pfDevice);
    SetSize(Template.Width(), Template.Height());
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FillRect(Rect(0, 0, Width(), Height()));
}

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    // The gauge paints every pixel of its area.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    if (TFormLoading* form = TFormLoading::Active()) {
        FLoading = true;
        form->Register(this, [this] { SetLoading(false); });
    }
}

TGauge::~TGauge() = default;

void TGauge::Changed() {
    repaint();
}

void TGauge::SetBackColor(TColor value) {
    if (value != FBackColor) {
        FBackColor = value;
        Changed();
    }
}

void TGauge::SetBorderStyle(TBorderStyle value) {
    if (value != FBorderStyle && IsEnumValue<TBorderStyle>(value)) {
        FBorderStyle = value;
        Changed();
    }
}

void TGauge::SetColor(TColor value) {
    if (value != FColor) {
        FColor = value;
        Changed();
    }
}

void TGauge::SetForeColor(TColor value) {
    if (value != FForeColor) {
        FForeColor = value;
        Changed();
    }
}

void TGauge::SetKind(TGaugeKind value) {
    if (value != FKind && IsEnumValue<TGaugeKind>(value)) {
        FKind = value;
        Changed();
    }
}

void TGauge::SetShowText(bool value) {
    if (value != FShowText) {
        FShowText = value;
        Changed();
    }
}

namespace {
// The bounds are 64-bit so that they cannot overflow at the ends of the 32-bit range.
EInvalidOperation OutOfRange(std::int64_t low, std::int64_t high) {
    return EInvalidOperation(QString::asprintf("Value must be between %lld and %lld",
                                               static_cast<long long>(low),
                                               static_cast<long long>(high)));
}
} // namespace

void TGauge::SetMinValue(int value) {
    if (value == FMinValue)
        return;
    if (value > FMaxValue && !FLoading)
        throw OutOfRange(-2147483647, std::int64_t(FMaxValue) - 1);
    FMinValue = value;
    if (FCurValue < value)
        FCurValue = value;
    Changed();
}

void TGauge::SetMaxValue(int value) {
    if (value == FMaxValue)
        return;
    if (value < FMinValue && !FLoading)
        throw OutOfRange(std::int64_t(FMinValue) + 1, 2147483647);
    FMaxValue = value;
    if (FCurValue > value)
        FCurValue = value;
    Changed();
}

void TGauge::SetProgress(int value) {
    const int before = CurrentPercent();
    if (value < FMinValue)
        value = FMinValue;
    else if (value > FMaxValue)
        value = FMaxValue;
    if (value == FCurValue)
        return;
    FCurValue = value;
    // A long run of small steps costs one repaint per whole percent, not one per step.
    if (CurrentPercent() != before)
        Changed();
}

int TGauge::CurrentPercent() const {
    return RatioToPercent(std::int64_t(FCurValue) - FMinValue, std::int64_t(FMaxValue) - FMinValue);
}

QColor TGauge::BackQColor() const {
    return ToQColor(FBackColor);
}
QColor TGauge::ColorQColor() const {
    return ToQColor(FColor);
}
QColor TGauge::ForeQColor() const {
    return ToQColor(FForeColor);
}

void TGauge::FillBlack(TBitmap& bitmap) const {
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(
        Rect(0, 0, std::max(width(), bitmap.Width()), std::max(height(), bitmap.Height())));
    canvas->SetCopyMode(cmSrcCopy);
}

namespace {

void Fill(TCanvas& canvas, int x1, int y1, int x2, int y2, TColor color) {
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color);
    canvas.FillRect(Rect(x1, y1, x2, y2));
}

// Pen and brush for an outlined shape.
void PenAndBrush(TCanvas& canvas, TColor pen, TColor brush) {
    canvas.Pen()->SetColor(pen);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(brush);
}

// dest ^= source over the whole of dest, as a block copy with source-exclusive-or.
void XorInto(TBitmap& dest, TBitmap& source) {
    TCanvas* canvas = dest.Canvas();
    canvas->SetCopyMode(cmSrcInvert);
    const TRect all = Rect(0, 0, dest.Width(), dest.Height());
    canvas->CopyRect(all, source.Canvas(), all);
    canvas->SetCopyMode(cmSrcCopy);
}

} // namespace

void TGauge::DrawPlain(TCanvas& canvas, const TPaintRect& r) const {
    Fill(canvas, r.Left, r.Top, r.Right, r.Bottom, FBackColor);
}

void TGauge::DrawBar(TCanvas& canvas, const TPaintRect& r) const {
    const int w = r.Right - r.Left + 1;
    const int h = r.Bottom - r.Top + 1;
    Fill(canvas, r.Left, r.Top, r.Right, r.Bottom, FBackColor);
    PenAndBrush(canvas, FForeColor, FForeColor);
    if (FKind == gkHorizontalBar) {
        const int fill = std::min(ScaleByPercent(CurrentPercent(), w), w);
        if (fill > 0)
            canvas.FillRect(Rect(r.Left, r.Top, fill, h));
    } else {
        int fill = ScaleByPercent(CurrentPercent(), h);
        if (fill >= h)
            fill = h - 1;
        canvas.FillRect(Rect(r.Left, h - fill, w, h));
    }
}

void TGauge::DrawPie(TCanvas& canvas, const TPaintRect& r) const {
    const int extra = FBorderStyle == bsSingle ? 1 : 0;
    const int w = r.Right - r.Left + extra;
    const int h = r.Bottom - r.Top + extra;
    Fill(canvas, r.Left, r.Top, r.Right, r.Bottom, FColor);
    const TRect box = Rect(r.Left, r.Top, w, h);
    if (box.Width() < 1 || box.Height() < 1)
        return;
    PenAndBrush(canvas, FForeColor, FBackColor);
    canvas.Ellipse(box);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int middleX = w / 2, middleY = h / 2;
    const double angle = (percent / 50.0 + 0.5) * std::numbers::pi;
    const TPoint start{RoundEven(middleX * (1 - std::cos(angle))),
                       RoundEven(middleY * (1 - std::sin(angle)))};
    const TPoint end{middleX, 0};
    // On a very small gauge a low percentage can round onto the end point, which would
    // otherwise draw the whole ellipse.
    if (start == end && percent < 50)
        return;
    canvas.Brush()->SetColor(FForeColor);
    canvas.Pie(box, start, end);
}

void TGauge::DrawNeedle(TCanvas& canvas, const TPaintRect& r) const {
    const int extra = FBorderStyle == bsSingle ? 1 : 0;
    const int w = r.Right - r.Left + extra;
    const int h = r.Bottom - r.Top + extra;
    Fill(canvas, r.Left, r.Top, r.Right, r.Bottom, FColor);
    PenAndBrush(canvas, FForeColor, FBackColor);
    // The upper half of an ellipse standing on the bottom edge.
    canvas.Pie(Rect(r.Left, r.Top, w, 2 * h - 1), TPoint{r.Left + w, r.Bottom - 1},
               TPoint{r.Left, r.Bottom - 1});
    canvas.MoveTo(r.Left, r.Bottom);
    canvas.LineTo(r.Left + w, r.Bottom);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int middleX = width() / 2;
    const double angle = percent / 100.0 * std::numbers::pi;
    canvas.MoveTo(middleX, r.Bottom - 1);
    canvas.LineTo(RoundEven(middleX * (1 - std::cos(angle))),
                  RoundEven((r.Bottom - 1) * (1 - std::sin(angle))));
}

void TGauge::DrawPercentText(TBitmap& image, const TPaintRect& r, double ratio) const {
    TBltBitmap text;
    text.MakeLike(image);
    FillBlack(text);
    const QString s = QString::asprintf("%d%%", CurrentPercent());
    // Pure white glyphs, so that the exclusive-or inverts exactly the pixels under them.
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    QPainter* p = text.Canvas()->Painter();
    if (!p)
        return;
    const QFontMetrics metrics(f, p->device());
    const int x = (r.Right - r.Left + 1 - metrics.horizontalAdvance(s)) / 2;
    const int y = (r.Bottom - r.Top + 1 - metrics.height()) / 2;
    QRect clip(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    QPoint baseline(x, y + metrics.ascent());
    if (ratio != 1) {
        // On a denser screen the text is set at device pixels in a font as many times larger,
        // at the place the control's own units give it.
        if (f.pixelSize() > 0)
            f.setPixelSize(std::max(1, int(std::lround(f.pixelSize() * ratio))));
        else
            f.setPointSizeF(f.pointSizeF() * ratio);
        const QFontMetrics device(f, p->device());
        baseline =
            QPoint(int(std::lround(x * ratio)), int(std::lround(y * ratio)) + device.ascent());
        clip = QRect(
            QPoint(int(std::lround(r.Left * ratio)), int(std::lround(r.Top * ratio))),
            QPoint(int(std::lround(r.Right * ratio)) - 1, int(std::lround(r.Bottom * ratio)) - 1));
    }
    p->save();
    p->setFont(f);
    p->setClipRect(clip);
    p->setPen(Qt::white);
    p->drawText(baseline, s);
    p->restore();
    XorInto(image, text);
}

QImage TGauge::PaintFrame() const {
    return PaintFrame(1);
}

QImage TGauge::PaintFrame(double ratio) const {
    if (width() <= 0 || height() <= 0)
        return QImage();
    TBitmap frame(width(), height(), pfDevice);
    FillBlack(frame);
    TPaintRect r{0, 0, width(), height()};
    if (FBorderStyle == bsSingle)
        r = {1, 1, width() - 1, height() - 1};
    {
        TBltBitmap kind;
        kind.MakeLike(frame);
        FillBlack(kind);
        TCanvas& canvas = *kind.Canvas();
        switch (FKind) {
        case gkText:
            DrawPlain(canvas, r);
            break;
        case gkHorizontalBar:
        case gkVerticalBar:
            DrawBar(canvas, r);
            break;
        case gkPie:
            DrawPie(canvas, r);
            break;
        case gkNeedle:
            DrawNeedle(canvas, r);
            break;
        }
        // On the black frame this leaves the kind picture, and the border stays black.
        XorInto(frame, kind);
    }
    if (ratio > 0 && ratio != 1) {
        // The picture is laid out in the control's units and each of its pixels covers the
        // device pixels under it; the text is then set at device pixels.
        QImage& pixels = frame.Image();
        pixels = pixels.scaled(int(std::ceil(width() * ratio - 1e-9)),
                               int(std::ceil(height() * ratio - 1e-9)), Qt::IgnoreAspectRatio,
                               Qt::FastTransformation);
    }
    if (FShowText)
        DrawPercentText(frame, r, ratio > 0 ? ratio : 1);
    return frame.Image();
}
