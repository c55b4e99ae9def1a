#pragma once
// Reading the drawn symbols back with an independent reader (ZXing-C++): a band of the picture
// with white paper around it, as a scanner sees a printed receipt.
#define ZX_USE_UTF8
#include "PaperView/PaperImage.h"

#include <QImage>
#include <ZXing/ReadBarcode.h>
#include <string>

struct TScan {
    bool Read = false;
    std::string Text;
    std::string Bytes;
    ZXing::BarcodeFormat Format = ZXing::BarcodeFormat::None;
};

inline TScan Scan(const QImage& paper, int top, int height,
                  ZXing::BarcodeFormats formats = ZXing::BarcodeFormat::Any) {
    constexpr int quiet = 40;
    QImage band(paper.width() + 2 * quiet, height + 2 * quiet, QImage::Format_Grayscale8);
    band.fill(255);
    const QImage gray = paper.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < height && top + y < gray.height(); ++y)
        std::copy_n(gray.constScanLine(top + y), gray.width(), band.scanLine(quiet + y) + quiet);
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryHarder(true);
    hints.setReturnCodabarStartEnd(true);
    const ZXing::ImageView view(band.constBits(), band.width(), band.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(band.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    TScan scan;
    scan.Read = result.isValid();
    scan.Text = result.text();
    scan.Bytes = std::string(result.bytes().begin(), result.bytes().end());
    scan.Format = result.format();
    return scan;
}
