#include "Gauges/Gauge.h"

#include "Rtl/Exceptions.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace Gauges {

QRgb ColorToRGB(TColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value >> 24) != 0x80)
        return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    // System colours follow the application palette where it has a matching role.
    const QPalette palette = QGuiApplication::palette();
    auto role = [&palette](QPalette::ColorRole r) { return palette.color(r).rgb(); };
    switch (value & 0xFF) {
    case 4: // menu
        return role(QPalette::Window);
    case 5: // window
        return role(QPalette::Base);
    case 6: // window frame
        return qRgb(0, 0, 0);
    case 7: // menu text
        return role(QPalette::WindowText);
    case 8: // window text
        return role(QPalette::Text);
    case 13: // highlight
        return role(QPalette::Highlight);
    case 14: // highlight text
        return role(QPalette::HighlightedText);
    case 15: // button face
        return role(QPalette::Button);
    case 16: // button shadow
        return role(QPalette::Dark);
    case 17: // gray text
        return palette.color(QPalette::Disabled, QPalette::Text).rgb();
    case 18: // button text
        return role(QPalette::ButtonText);
    case 20: // button highlight
        return role(QPalette::Light);
    case 21: // 3-D dark shadow
        return role(QPalette::Shadow);
    case 22: // 3-D light
        return role(QPalette::Midlight);
    case 23: // tool tip text
        return role(QPalette::ToolTipText);
    case 24: // tool tip background
        return role(QPalette::ToolTipBase);
    default:
        return role(QPalette::Window);
    }
}

TColor ColorFromQColor(const QColor& color) {
    const QRgb rgb = color.rgb();
    return TColor(std::uint32_t(qRed(rgb)) | std::uint32_t(qGreen(rgb)) << 8 |
                  std::uint32_t(qBlue(rgb)) << 16);
}

} // namespace Gauges

using namespace Gauges;

namespace {

constexpr QRgb Black = 0xFF000000;

// Truncation toward zero; results beyond the 32-bit range saturate instead of overflowing.
int TruncToInt(double value) {
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::trunc(value), double(INT_MIN), double(INT_MAX)));
}

// Nearest integer, a half to the even neighbour (the default rounding mode).
int RoundEven(double value) {
    return int(std::nearbyint(value));
}

// Fill (x1, y1)-(x2, y2), right and bottom edges excluded, clipped to the image.
void FillRect(QImage& image, int x1, int y1, int x2, int y2, QRgb color) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image.width());
    y2 = std::min(y2, image.height());
    if (x1 >= x2)
        return;
    for (int y = y1; y < y2; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + x1, row + x2, color);
    }
}

void SetPixel(QImage& image, int x, int y, QRgb color) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = color;
}

// A one-pixel line from (x0, y0) up to, but not including, (x1, y1), as the platform's LineTo.
void LineTo(QImage& image, int x0, int y0, int x1, int y1, QRgb color) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        SetPixel(image, x0, y0, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// dest ^= source on the colour bytes; the alpha byte of 32-bit RGB stays opaque.
void XorInto(QImage& dest, const QImage& source) {
    const int w = std::min(dest.width(), source.width());
    const int h = std::min(dest.height(), source.height());
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<QRgb*>(dest.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            d[x] ^= s[x] & 0x00FFFFFF;
    }
}

// The platform's Ellipse and Pie in the box (x1, y1)-(x2, y2), right and bottom edges excluded:
// outline in the pen colour, inside in the brush colour, no antialiasing. The sector runs
// counter-clockwise from the ray through the start point to the ray through the end point;
// coinciding rays give the whole ellipse.
void DrawEllipseShape(QImage& image, int x1, int y1, int x2, int y2, QRgb pen, QRgb brush,
                      const QPoint* start = nullptr, const QPoint* end = nullptr) {
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(pen), 1));
    p.setBrush(QColor(brush));
    // An aliased one-pixel outline of QRect(x, y, w, h) covers x .. x + w.
    const QRect box(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
    if (start == nullptr || end == nullptr) {
        p.drawEllipse(box);
        return;
    }
    const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    const double a = (x2 - x1) / 2.0, b = (y2 - y1) / 2.0;
    // Qt's angles are those of the circle before it is stretched to the ellipse.
    auto angle16 = [&](const QPoint& pt) {
        const double deg =
            std::atan2(-(pt.y() - cy) / b, (pt.x() - cx) / a) * 180.0 / std::numbers::pi;
        return int(std::lround(deg * 16.0));
    };
    const int from = angle16(*start);
    int span = (angle16(*end) - from) % (360 * 16);
    if (span < 0)
        span += 360 * 16;
    if (span == 0)
        p.drawEllipse(box);
    else
        p.drawPie(box, from, span);
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

void TBltBitmap::MakeLike(const QImage& Template) {
    QImage::operator=(QImage(Template.size(), QImage::Format_RGB32));
    fill(ColorToRGB(clWindowFrame));
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
    if (value != FBorderStyle && value <= bsSingle) {
        FBorderStyle = value;
        Changed();
    }
}

void TGauge::SetBorderStyleOrdinal(int value) {
    if (value >= bsNone && value <= bsSingle)
        SetBorderStyle(TBorderStyle(value));
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
    if (value != FKind && value <= gkNeedle) {
        FKind = value;
        Changed();
    }
}

void TGauge::SetKindOrdinal(int value) {
    if (value >= gkText && value <= gkNeedle)
        SetKind(TGaugeKind(value));
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
    return QColor(ColorToRGB(FBackColor));
}
QColor TGauge::ColorQColor() const {
    return QColor(ColorToRGB(FColor));
}
QColor TGauge::ForeQColor() const {
    return QColor(ColorToRGB(FForeColor));
}

void TGauge::FillBlack(QImage& bitmap) const {
    FillRect(bitmap, 0, 0, width(), height(), Black);
}

void TGauge::DrawPlain(QImage& image, const TPaintRect& r) const {
    FillRect(image, r.Left, r.Top, r.Right, r.Bottom, ColorToRGB(FBackColor));
}

void TGauge::DrawBar(QImage& image, const TPaintRect& r) const {
    const int w = r.Right - r.Left + 1;
    const int h = r.Bottom - r.Top + 1;
    const QRgb fore = ColorToRGB(FForeColor);
    FillRect(image, r.Left, r.Top, r.Right, r.Bottom, ColorToRGB(FBackColor));
    if (FKind == gkHorizontalBar) {
        const int fill = std::min(ScaleByPercent(CurrentPercent(), w), w);
        if (fill > 0)
            FillRect(image, r.Left, r.Top, fill, h, fore);
    } else {
        int fill = ScaleByPercent(CurrentPercent(), h);
        if (fill >= h)
            fill = h - 1;
        FillRect(image, r.Left, h - fill, w, h, fore);
    }
}

void TGauge::DrawPie(QImage& image, const TPaintRect& r) const {
    const int extra = FBorderStyle == bsSingle ? 1 : 0;
    const int w = r.Right - r.Left + extra;
    const int h = r.Bottom - r.Top + extra;
    const QRgb fore = ColorToRGB(FForeColor);
    const QRgb back = ColorToRGB(FBackColor);
    FillRect(image, r.Left, r.Top, r.Right, r.Bottom, ColorToRGB(FColor));
    DrawEllipseShape(image, r.Left, r.Top, w, h, fore, back);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int middleX = w / 2, middleY = h / 2;
    const double angle = (percent / 50.0 + 0.5) * std::numbers::pi;
    const QPoint start(RoundEven(middleX * (1 - std::cos(angle))),
                       RoundEven(middleY * (1 - std::sin(angle))));
    const QPoint end(middleX, 0);
    // On a very small gauge a low percentage can round onto the end point, which would
    // otherwise draw the whole ellipse.
    if (start == end && percent < 50)
        return;
    DrawEllipseShape(image, r.Left, r.Top, w, h, fore, fore, &start, &end);
}

void TGauge::DrawNeedle(QImage& image, const TPaintRect& r) const {
    const int extra = FBorderStyle == bsSingle ? 1 : 0;
    const int w = r.Right - r.Left + extra;
    const int h = r.Bottom - r.Top + extra;
    const QRgb fore = ColorToRGB(FForeColor);
    FillRect(image, r.Left, r.Top, r.Right, r.Bottom, ColorToRGB(FColor));
    // The upper half of an ellipse standing on the bottom edge.
    const QPoint start(r.Left + w, r.Bottom - 1), end(r.Left, r.Bottom - 1);
    DrawEllipseShape(image, r.Left, r.Top, w, 2 * h - 1, fore, ColorToRGB(FBackColor), &start,
                     &end);
    LineTo(image, r.Left, r.Bottom, r.Left + w, r.Bottom, fore);
    const int percent = CurrentPercent();
    if (percent <= 0)
        return;
    const int middleX = width() / 2;
    const double angle = percent / 100.0 * std::numbers::pi;
    LineTo(image, middleX, r.Bottom - 1, RoundEven(middleX * (1 - std::cos(angle))),
           RoundEven((r.Bottom - 1) * (1 - std::sin(angle))), fore);
}

void TGauge::DrawPercentText(QImage& image, const TPaintRect& r, double ratio) const {
    TBltBitmap text;
    text.MakeLike(image);
    FillRect(text, 0, 0, image.width(), image.height(), Black);
    const QString s = QString::asprintf("%d%%", CurrentPercent());
    // Pure white glyphs, so that the exclusive-or inverts exactly the pixels under them.
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(f, &text);
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
        const QFontMetrics device(f, &text);
        baseline =
            QPoint(int(std::lround(x * ratio)), int(std::lround(y * ratio)) + device.ascent());
        clip = QRect(
            QPoint(int(std::lround(r.Left * ratio)), int(std::lround(r.Top * ratio))),
            QPoint(int(std::lround(r.Right * ratio)) - 1, int(std::lround(r.Bottom * ratio)) - 1));
    }
    {
        QPainter p(&text);
        p.setFont(f);
        p.setClipRect(clip);
        p.setPen(Qt::white);
        p.drawText(baseline, s);
    }
    XorInto(image, text);
}

QImage TGauge::PaintFrame() const {
    return PaintFrame(1);
}

QImage TGauge::PaintFrame(double ratio) const {
    if (width() <= 0 || height() <= 0)
        return QImage();
    QImage frame(width(), height(), QImage::Format_RGB32);
    FillBlack(frame);
    TPaintRect r{0, 0, width(), height()};
    if (FBorderStyle == bsSingle)
        r = {1, 1, width() - 1, height() - 1};
    {
        TBltBitmap kind;
        kind.MakeLike(frame);
        FillBlack(kind);
        switch (FKind) {
        case gkText:
            DrawPlain(kind, r);
            break;
        case gkHorizontalBar:
        case gkVerticalBar:
            DrawBar(kind, r);
            break;
        case gkPie:
            DrawPie(kind, r);
            break;
        case gkNeedle:
            DrawNeedle(kind, r);
            break;
        }
        // On the black frame this leaves the kind picture, and the border stays black.
        XorInto(frame, kind);
    }
    if (ratio > 0 && ratio != 1) {
        // The picture is laid out in the control's units and each of its pixels covers the
        // device pixels under it; the text is then set at device pixels.
        frame = frame.scaled(int(std::ceil(width() * ratio - 1e-9)),
                             int(std::ceil(height() * ratio - 1e-9)), Qt::IgnoreAspectRatio,
                             Qt::FastTransformation);
    }
    if (FShowText)
        DrawPercentText(frame, r, ratio > 0 ? ratio : 1);
    return frame;
}
