#pragma once
// A drawing surface: font, brush and pen, fills, lines, text output and extent, drawing and
// stretching graphics, and block copies with raster operations. A surface either belongs to a
// bitmap (its pixels are the bitmap's) or wraps a painter someone else runs (a widget during
// its paint).
#include "Graphics/Colors.h"
#include "Graphics/Font.h"

#include <QPainter>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>

class TCanvas;

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize&) const = default;
};

// Left and Top inside, Right and Bottom just outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
    return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}

// What a canvas can draw: something that draws itself into a rectangle of the canvas.
class TCanvasGraphic {
  public:
    virtual ~TCanvasGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Draws into rect of the canvas (stretched where the graphic can stretch).
    virtual void Draw(TCanvas* canvas, const TRect& rect) const = 0;
};

enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TPenMode : std::uint8_t { pmCopy, pmXor, pmNot, pmNotCopy };

// Raster operations of block copies.
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcInvert = 0x00660046; // source XOR destination
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcPaint = 0x00EE0086; // source OR destination
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

class TBrush {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style) { FStyle = style; }
    void Assign(const TBrush& source) {
        FColor = source.FColor;
        FStyle = source.FStyle;
    }
    QBrush ToQBrush() const;

  private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class TPen {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }
    int Width() const { return FWidth; }
    void SetWidth(int width) { FWidth = width < 1 ? 1 : width; }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style) { FStyle = style; }
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode mode) { FMode = mode; }
    void Assign(const TPen& source) {
        FColor = source.FColor;
        FWidth = source.FWidth;
        FStyle = source.FStyle;
        FMode = source.FMode;
    }
    QPen ToQPen() const;

  private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

// Extent of a text in a font, unrotated: the advance width and the cell height.
TSize TextExtentOf(const TFont& font, const QString& text);

class TCanvas {
  public:
    // A surface over a painter that someone else began (and ends).
    explicit TCanvas(QPainter* painter);
    // A canvas on pixels its owner keeps (a bitmap); changed runs after every drawing.
    TCanvas(QImage* image, std::function<void()> changed);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont* Font() { return &FFont; }
    const TFont* Font() const { return &FFont; }
    void SetFont(const TFont& font) { FFont.Assign(font); }
    TBrush* Brush() { return &FBrush; }
    const TBrush* Brush() const { return &FBrush; }
    TPen* Pen() { return &FPen; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
    TPoint PenPos() const { return FPenPos; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(const TRect& rect);
    void Ellipse(const TRect& rect);
    // The sector of the ellipse in rect, counter-clockwise from the ray through start to the
    // ray through end (coinciding rays give the whole ellipse): outlined with the pen, filled
    // with the brush. An empty rect draws nothing.
    void Pie(const TRect& rect, TPoint start, TPoint end);
    // Fills with the brush (nothing for a clear brush).
    void FillRect(const TRect& rect);
    // One-pixel frame in the brush colour.
    void FrameRect(const TRect& rect);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // Text with its cell's top-left at (x, y), rotated about that point by the font's
    // escapement. A solid brush fills the text cell first; a clear brush leaves it.
    void TextOut(int x, int y, const QString& text);
    TSize TextExtent(const QString& text) const { return TextExtentOf(FFont, text); }
    int TextWidth(const QString& text) const { return TextExtent(text).cx; }
    int TextHeight(const QString& text) const { return TextExtent(text).cy; }

    // Draws a graphic at its own size with its top-left at (x, y).
    void Draw(int x, int y, const TCanvasGraphic* graphic);
    // Draws a graphic stretched into rect (an icon does not stretch).
    void StretchDraw(const TRect& rect, const TCanvasGraphic* graphic);
    // Copies source's rectangle into dest (stretching when the sizes differ) with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);

    // Size of the pixels behind the surface (0 by 0 when unknown).
    int Width();
    int Height();
    // The pixels behind the surface and where surface (0, 0) lies in them, or null when the
    // painter's device cannot be read. On a painter that scales (a screen of more device pixels
    // per unit) these are the device's pixels: read them in device pixels from the origin.
    QImage* Pixels(QPoint* origin = nullptr);
    // Device pixels per unit of the surface's coordinates: a painter's scale (the screen's
    // device pixel ratio while a widget paints), or what the owner of a bitmap set for the
    // screen its pixels are meant for (1 by default; bitmaps themselves never scale).
    double PixelRatio();
    void SetPixelRatio(double ratio) { FPixelRatio = ratio > 0 ? ratio : 1; }
    // Puts image onto the surface pixel for device pixel, its top-left x, y device pixels from
    // the surface's origin: a plain copy, or with blend drawn over what is there by its alpha.
    // Cut by the surface and by a painter's clip.
    void PutPixels(int x, int y, const QImage& image, bool blend = false);
    // The painter drawing on the surface, begun when needed.
    QPainter* Painter();
    // Ends a painter the surface began itself, so its pixels can be touched directly.
    void Release();

    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

    // Draws image into target with mode; blend draws over the destination through the
    // image's alpha instead of a raster op.
    void DrawImage(const QRect& target, const QImage& image, TCopyMode mode, bool blend = false);

  private:
    void Changed();

    QImage* FImage = nullptr;
    std::function<void()> FImageChanged;
    QPainter* FExternal = nullptr;
    std::unique_ptr<QPainter> FOwn;
    TFont FFont;
    TBrush FBrush;
    TPen FPen;
    TCopyMode FCopyMode = cmSrcCopy;
    TPoint FPenPos;
    double FPixelRatio = 1;
    std::function<void()> FOnChange;
};
