#include "Graphics/Bitmap.h"

#include "Rtl/Exceptions.h"

#include <algorithm>
#include <cstring>

QImage::Format QImageFormatOf(TPixelFormat format) {
    switch (format) {
    case pf8bit:
        return QImage::Format_Grayscale8;
    case pf24bit:
        return QImage::Format_BGR888;
    case pf32bit:
        return QImage::Format_ARGB32;
    case pfDevice:
        break;
    }
    return QImage::Format_RGB32;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : FFormat(format) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    FCanvas.reset();
}

void TBitmap::ReleaseCanvas() const {
    if (FCanvas)
        FCanvas->Release();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FFormat)
        return;
    ReleaseCanvas();
    FFormat = format;
    if (!FImage.isNull())
        FImage = FImage.convertToFormat(QImageFormatOf(format));
    Changed();
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height())
        return;
    ReleaseCanvas();
    if (width == 0 || height == 0) {
        FImage = QImage();
    } else {
        QImage image(width, height, QImageFormatOf(FFormat));
        image.fill(Qt::white);
        if (!FImage.isNull()) {
            const int bpp = image.depth() / 8;
            const int rows = std::min(height, FImage.height());
            const auto bytes = static_cast<std::size_t>(std::min(width, FImage.width()) * bpp);
            for (int y = 0; y < rows; ++y)
                std::memcpy(image.scanLine(y), FImage.constScanLine(y), bytes);
        }
        FImage = std::move(image);
    }
    Changed();
}

std::uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= FImage.height())
        throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    ReleaseCanvas();
    return FImage.scanLine(y);
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= FImage.height())
        throw EInvalidOperation(QStringLiteral("Scan line index out of range"));
    return FImage.constScanLine(y);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas)
        FCanvas = std::make_unique<TCanvas>(&FImage, [this] { Changed(); });
    return FCanvas.get();
}

QImage& TBitmap::Image() {
    ReleaseCanvas();
    return FImage;
}

void TBitmap::SetImage(const QImage& image) {
    ReleaseCanvas();
    if (image.isNull()) {
        FImage = QImage();
    } else if (image.format() == QImage::Format_Grayscale8) {
        FFormat = pf8bit;
        FImage = image;
    } else if (image.hasAlphaChannel()) {
        FFormat = pf32bit;
        FImage = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        FFormat = pf24bit;
        FImage = image.convertToFormat(QImage::Format_BGR888);
    }
    Changed();
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) const {
    if (!canvas || FImage.isNull())
        return;
    const bool blend =
        FFormat == pf32bit && FImage.hasAlphaChannel() && canvas->CopyMode() == cmSrcCopy;
    if (canvas == FCanvas.get())
        canvas->DrawImage(rect.ToQRect(), FImage.copy(), canvas->CopyMode(), blend);
    else
        canvas->DrawImage(rect.ToQRect(), FImage, canvas->CopyMode(), blend);
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    auto copy = std::make_unique<TBitmap>();
    copy->FFormat = FFormat;
    copy->FImage = FImage;
    return copy;
}

bool TBitmap::LoadFromFile(const QString& path) {
    QImage image(path);
    if (image.isNull())
        return false;
    SetImage(image);
    return true;
}

bool TBitmap::SaveToFile(const QString& path) const {
    return !FImage.isNull() && FImage.save(path);
}

void TBitmap::Assign(const TPersistent* source) {
    if (source == this)
        return;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        ReleaseCanvas();
        FFormat = bitmap->FFormat;
        FImage = bitmap->FImage;
        Changed();
        return;
    }
    if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        SetImage(icon->Image());
        return;
    }
    TGraphic::Assign(source);
}
