#include "Graphics/Canvas.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

// ---- TBrush, TPen

void TBrush::SetColor(TColor color) {
    FColor = color;
}

QBrush TBrush::ToQBrush() const {
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (FStyle) {
    case bsSolid:
        style = Qt::SolidPattern;
        break;
    case bsClear:
        style = Qt::NoBrush;
        break;
    case bsHorizontal:
        style = Qt::HorPattern;
        break;
    case bsVertical:
        style = Qt::VerPattern;
        break;
    case bsFDiagonal:
        style = Qt::FDiagPattern;
        break;
    case bsBDiagonal:
        style = Qt::BDiagPattern;
        break;
    case bsCross:
        style = Qt::CrossPattern;
        break;
    case bsDiagCross:
        style = Qt::DiagCrossPattern;
        break;
    }
    return QBrush(ToQColor(FColor), style);
}

QPen TPen::ToQPen() const {
    Qt::PenStyle style = Qt::SolidLine;
    switch (FStyle) {
    case psSolid:
        style = Qt::SolidLine;
        break;
    case psDash:
        style = Qt::DashLine;
        break;
    case psDot:
        style = Qt::DotLine;
        break;
    case psDashDot:
        style = Qt::DashDotLine;
        break;
    case psDashDotDot:
        style = Qt::DashDotDotLine;
        break;
    case psClear:
        style = Qt::NoPen;
        break;
    }
    QPen pen(ToQColor(FColor), FWidth, style, Qt::SquareCap, Qt::MiterJoin);
    if (FWidth <= 1)
        pen.setWidth(0); // cosmetic: exactly one pixel
    return pen;
}

namespace {

QPainter::CompositionMode PenComposition(TPenMode mode) {
    switch (mode) {
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmCopy:
        break;
    }
    return QPainter::CompositionMode_SourceOver;
}

} // namespace

TSize TextExtentOf(const TFont& font, const QString& text) {
    const auto [width, height] = font.Extent(text);
    return TSize{width, height};
}

// ---- TCanvas

TCanvas::TCanvas(QPainter* painter) : FExternal(painter) {}

TCanvas::TCanvas(QImage* image, std::function<void()> changed)
    : FImage(image), FImageChanged(std::move(changed)) {}

TCanvas::~TCanvas() {
    Release();
}

QPainter* TCanvas::Painter() {
    if (FExternal)
        return FExternal->isActive() ? FExternal : nullptr;
    if (!FOwn) {
        if (!FImage || FImage->isNull())
            return nullptr;
        FOwn = std::make_unique<QPainter>(FImage);
    }
    return FOwn.get();
}

void TCanvas::Release() {
    if (FOwn) {
        FOwn->end();
        FOwn.reset();
    }
}

void TCanvas::Changed() {
    if (FImageChanged)
        FImageChanged();
    if (FOnChange)
        FOnChange();
}

namespace {

// A painter's device transform when it only scales evenly and moves: what a widget's painter
// has on any screen.
bool Upright(const QTransform& t) {
    return t.type() <= QTransform::TxScale && t.m11() > 0 && qFuzzyCompare(t.m11(), t.m22());
}

} // namespace

QImage* TCanvas::Pixels(QPoint* origin) {
    if (origin)
        *origin = QPoint();
    if (FImage) {
        if (FImage->isNull())
            return nullptr;
        Release();
        return FImage;
    }
    if (FExternal && FExternal->isActive() && FExternal->paintEngine()) {
        // A widget's painter is redirected into the backing store's image.
        QPaintDevice* device = FExternal->paintEngine()->paintDevice();
        const QTransform t = FExternal->deviceTransform();
        if (device && device->devType() == QInternal::Image && Upright(t)) {
            if (origin)
                *origin = QPoint(qRound(t.dx()), qRound(t.dy()));
            return static_cast<QImage*>(device);
        }
    }
    return nullptr;
}

double TCanvas::PixelRatio() {
    if (FImage || !FExternal || !FExternal->isActive())
        return FPixelRatio;
    const QTransform t = FExternal->deviceTransform();
    return Upright(t) ? t.m11() : 1.0;
}

void TCanvas::PutPixels(int x, int y, const QImage& image, bool blend) {
    if (image.isNull())
        return;
    if (FImage && !blend && !FImage->isNull()) {
        // A bitmap takes the rows as they are.
        Release();
        QImage& dst = *FImage;
        const QImage src =
            image.format() == dst.format() ? image : image.convertToFormat(dst.format());
        const QRect r = QRect(x, y, src.width(), src.height()).intersected(dst.rect());
        if (r.isEmpty())
            return;
        const int bpp = dst.depth() / 8;
        std::uint8_t* to = dst.bits();
        const auto toStride = static_cast<std::ptrdiff_t>(dst.bytesPerLine());
        const auto fromStride = static_cast<std::ptrdiff_t>(src.bytesPerLine());
        for (int row = r.top(); row <= r.bottom(); ++row)
            std::memcpy(to + row * toStride + r.left() * bpp,
                        src.constBits() + (row - y) * fromStride + (r.left() - x) * bpp,
                        static_cast<std::size_t>(r.width() * bpp));
        Changed();
        return;
    }
    QPainter* p = Painter();
    if (!p)
        return;
    // Undo the painter's scaling for this one image, so that each of its pixels lands on one
    // device pixel: the world transform that makes the device transform a plain move.
    const QTransform device = p->deviceTransform();
    QPointF at(x, y);
    p->save();
    if (device.type() > QTransform::TxTranslate && device.isInvertible()) {
        const QTransform target =
            QTransform::fromTranslate(qRound(device.dx()) + x, qRound(device.dy()) + y);
        p->setWorldTransform(target * device.inverted() * p->worldTransform());
        at = QPointF(0, 0);
    }
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setCompositionMode(blend ? QPainter::CompositionMode_SourceOver
                                : QPainter::CompositionMode_Source);
    p->drawImage(at, image);
    p->restore();
    Changed();
}

int TCanvas::Width() {
    if (FImage)
        return FImage->width();
    return FExternal && FExternal->device() ? FExternal->device()->width() : 0;
}

int TCanvas::Height() {
    if (FImage)
        return FImage->height();
    return FExternal && FExternal->device() ? FExternal->device()->height() : 0;
}

void TCanvas::MoveTo(int x, int y) {
    FPenPos = TPoint{x, y};
}

void TCanvas::LineTo(int x, int y) {
    if (QPainter* p = Painter()) {
        p->save();
        p->setCompositionMode(PenComposition(FPen.Mode()));
        p->setPen(FPen.ToQPen());
        // The end point itself is not drawn, as with the window system's lines.
        const QPoint from(FPenPos.X, FPenPos.Y), to(x, y);
        if (from != to) {
            const QPoint d = to - from;
            const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
            const QPointF last = QPointF(from) + QPointF(d) * (double(steps - 1) / steps);
            p->drawLine(QPointF(from), last);
        }
        p->restore();
        Changed();
    }
    FPenPos = TPoint{x, y};
}

void TCanvas::Rectangle(const TRect& rect) {
    QPainter* p = Painter();
    if (!p || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    p->save();
    p->setCompositionMode(PenComposition(FPen.Mode()));
    if (FBrush.Style() != bsClear)
        p->fillRect(rect.ToQRect(), FBrush.ToQBrush());
    if (FPen.Style() != psClear) {
        p->setPen(FPen.ToQPen());
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
    }
    p->restore();
    Changed();
}

void TCanvas::Ellipse(const TRect& rect) {
    QPainter* p = Painter();
    if (!p)
        return;
    p->save();
    p->setCompositionMode(PenComposition(FPen.Mode()));
    p->setPen(FPen.ToQPen());
    p->setBrush(FBrush.ToQBrush());
    p->drawEllipse(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
    p->restore();
    Changed();
}

void TCanvas::Pie(const TRect& rect, TPoint start, TPoint end) {
    QPainter* p = Painter();
    if (!p || rect.Width() < 1 || rect.Height() < 1)
        return;
    const QRect box(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
    const double cx = (rect.Left + rect.Right) / 2.0, cy = (rect.Top + rect.Bottom) / 2.0;
    const double a = rect.Width() / 2.0, b = rect.Height() / 2.0;
    // Qt's angles are those of the circle before it is stretched to the ellipse.
    auto angle16 = [&](const TPoint& pt) {
        const double deg = std::atan2(-(pt.Y - cy) / b, (pt.X - cx) / a) * 180.0 / std::numbers::pi;
        return int(std::lround(deg * 16.0));
    };
    const int from = angle16(start);
    int span = (angle16(end) - from) % (360 * 16);
    if (span < 0)
        span += 360 * 16;
    p->save();
    p->setCompositionMode(PenComposition(FPen.Mode()));
    p->setPen(FPen.ToQPen());
    p->setBrush(FBrush.ToQBrush());
    if (span == 0)
        p->drawEllipse(box);
    else
        p->drawPie(box, from, span);
    p->restore();
    Changed();
}

void TCanvas::FillRect(const TRect& rect) {
    if (FBrush.Style() == bsClear || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    if (FBrush.Style() == bsSolid && FImage && !FOwn && !FImage->isNull()) {
        // Plain fills of a bitmap go straight to its rows.
        const QRect r = rect.ToQRect().intersected(FImage->rect());
        if (r.isEmpty())
            return;
        const TColor c = ColorToRGB(FBrush.Color());
        QImage& img = *FImage;
        const int bpp = img.depth() / 8;
        std::uint8_t px[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 0xFF};
        if (img.format() == QImage::Format_Grayscale8)
            px[0] = static_cast<std::uint8_t>(qGray(GetRValue(c), GetGValue(c), GetBValue(c)));
        if (img.format() == QImage::Format_Grayscale8 || img.format() == QImage::Format_BGR888 ||
            img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32) {
            // One row is built pixel by pixel, the others are copies of it.
            const auto bytes = static_cast<std::size_t>(r.width() * bpp);
            std::uint8_t* bits = img.bits();
            const auto stride = static_cast<std::ptrdiff_t>(img.bytesPerLine());
            std::uint8_t* first = bits + r.top() * stride + r.left() * bpp;
            if (bpp == 1) {
                std::memset(first, px[0], bytes);
            } else if (bpp == 4) {
                std::uint32_t word;
                std::memcpy(&word, px, 4);
                std::fill_n(reinterpret_cast<std::uint32_t*>(first), r.width(), word);
            } else {
                for (std::uint8_t* p = first; p < first + bytes; p += 3) {
                    p[0] = px[0];
                    p[1] = px[1];
                    p[2] = px[2];
                }
            }
            for (int y = r.top() + 1; y <= r.bottom(); ++y)
                std::memcpy(bits + y * stride + r.left() * bpp, first, bytes);
            Changed();
            return;
        }
    }
    if (QPainter* p = Painter()) {
        p->save();
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->fillRect(rect.ToQRect(), FBrush.ToQBrush());
        p->restore();
        Changed();
    }
}

void TCanvas::FrameRect(const TRect& rect) {
    QPainter* p = Painter();
    if (!p || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    p->save();
    p->setPen(QPen(ToQColor(FBrush.Color()), 0));
    p->setBrush(Qt::NoBrush);
    p->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
    p->restore();
    Changed();
}

TColor TCanvas::Pixel(int x, int y) {
    QPoint origin;
    QImage* img = Pixels(&origin);
    if (!img || !img->valid(x + origin.x(), y + origin.y()))
        return clNone;
    return FromQColor(img->pixelColor(x + origin.x(), y + origin.y()));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    QPoint origin;
    if (FImage) {
        QImage* img = Pixels(&origin);
        if (img && img->valid(x, y)) {
            Release();
            img->setPixelColor(x, y, ToQColor(color));
            Changed();
        }
        return;
    }
    if (QPainter* p = Painter()) {
        p->save();
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
        p->restore();
        Changed();
    }
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    QPainter* p = Painter();
    if (!p)
        return;
    const QFont font = FFont.ToQFont();
    const QFontMetrics m(font);
    const int width = FFont.Extent(text).first;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->translate(x, y);
    if (FFont.LogFont().Escapement != 0)
        p->rotate(-FFont.LogFont().Escapement / 10.0);
    if (FBrush.Style() == bsSolid)
        p->fillRect(QRect(0, 0, width, m.ascent() + m.descent()), ToQColor(FBrush.Color()));
    p->setFont(font);
    p->setPen(ToQColor(FFont.Color()));
    p->drawText(0, m.ascent(), text);
    p->restore();
    FPenPos = TPoint{x + width, y};
    Changed();
}

void TCanvas::Draw(int x, int y, const TCanvasGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, const TCanvasGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(this, rect);
}

void TCanvas::DrawImage(const QRect& target, const QImage& image, TCopyMode mode, bool blend) {
    QPainter* p = Painter();
    if (!p || target.isEmpty())
        return;
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    bool useImage = true;
    QColor fill;
    if (blend) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        switch (mode) {
        case cmSrcInvert:
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case cmSrcAnd:
            p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            break;
        case cmSrcPaint:
            p->setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            break;
        case cmNotSrcCopy:
            p->setCompositionMode(QPainter::RasterOp_NotSource);
            break;
        case cmDstInvert:
            p->setCompositionMode(QPainter::RasterOp_NotDestination);
            useImage = false;
            fill = Qt::black;
            break;
        case cmBlackness:
        case cmWhiteness:
            p->setCompositionMode(QPainter::CompositionMode_Source);
            useImage = false;
            fill = mode == cmBlackness ? Qt::black : Qt::white;
            break;
        default:
            p->setCompositionMode(QPainter::CompositionMode_Source);
            break;
        }
    }
    if (useImage) {
        // Raster operations need an opaque source.
        if (!blend && image.hasAlphaChannel())
            p->drawImage(target, image.convertToFormat(QImage::Format_RGB32));
        else
            p->drawImage(target, image);
    } else {
        p->fillRect(target, fill);
    }
    p->restore();
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    QPoint origin;
    QImage* src = source->Pixels(&origin);
    if (!src)
        return;
    const QRect sr = sourceRect.ToQRect().translated(origin);
    if (FImage && !FImage->isNull() && src != FImage && FCopyMode == cmSrcCopy &&
        dest.Width() == sr.width() && dest.Height() == sr.height() &&
        src->format() == FImage->format()) {
        // Same format, same size: copy rows, cut to both images.
        Release();
        QImage& dst = *FImage;
        const int bpp = dst.depth() / 8;
        int sx = sr.x(), dx = dest.Left, w = sr.width();
        if (sx < 0) {
            dx -= sx;
            w += sx;
            sx = 0;
        }
        if (dx < 0) {
            sx -= dx;
            w += dx;
            dx = 0;
        }
        w = std::min({w, src->width() - sx, dst.width() - dx});
        if (w > 0) {
            std::uint8_t* to = dst.bits();
            const std::uint8_t* from = src->constBits();
            const auto toStride = static_cast<std::ptrdiff_t>(dst.bytesPerLine());
            const auto fromStride = static_cast<std::ptrdiff_t>(src->bytesPerLine());
            for (int r = 0; r < sr.height(); ++r) {
                const int sy = sr.y() + r, dy = dest.Top + r;
                if (sy < 0 || sy >= src->height() || dy < 0 || dy >= dst.height())
                    continue;
                std::memcpy(to + dy * toStride + dx * bpp, from + sy * fromStride + sx * bpp,
                            static_cast<std::size_t>(w * bpp));
            }
        }
        Changed();
        return;
    }
    const QImage part = src->copy(sr);
    DrawImage(dest.ToQRect(), part, FCopyMode);
}
