#pragma once
// Bitmaps with raw row access: 8-bit gray (one byte per pixel, the level) and 24-bit (three
// bytes per pixel: blue, green, red). Rows are 32-bit aligned; step with ScanLine(y).
#include "Graphics/Canvas.h"
#include "Graphics/Graphic.h"

#include <QImage>
#include <cstdint>
#include <memory>

enum TPixelFormat : std::uint8_t { pfDevice, pf8bit, pf24bit, pf32bit };

class TBitmap : public TGraphic {
  public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    ~TBitmap() override;

    TPixelFormat PixelFormat() const { return FFormat; }
    // Converts the pixels to the format.
    void SetPixelFormat(TPixelFormat format);
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    bool Empty() const override { return FImage.isNull(); }
    // Resizing keeps the pixels that remain; new pixels are white.
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    void SetSize(int width, int height);

    // Row y (0 = top); raises EInvalidOperation outside 0..Height-1.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    int BytesPerLine() const { return static_cast<int>(FImage.bytesPerLine()); }

    TCanvas* Canvas();
    // The pixels (any painter of the canvas ended first).
    QImage& Image();
    const QImage& Image() const { return FImage; }
    // Takes an image's pixels; gray and 24-bit stay, images with alpha become 32-bit,
    // everything else 24-bit.
    void SetImage(const QImage& image);

    void Draw(TCanvas* canvas, const TRect& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    bool LoadFromFile(const QString& path) override;
    bool SaveToFile(const QString& path) const override;
    void Assign(const TPersistent* source) override;

  private:
    void ReleaseCanvas() const;

    QImage FImage;
    TPixelFormat FFormat = pfDevice;
    std::unique_ptr<TCanvas> FCanvas;
};

QImage::Format QImageFormatOf(TPixelFormat format);
