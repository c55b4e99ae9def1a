#include "PageBytes.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <gtest/gtest.h>

std::vector<TCommand> Decoded(const std::string& bytes) {
    std::vector<TCommand> out;
    TDecoder decoder(csEPSON,
                     [&](const TCommand& c, std::uint64_t, std::string_view) { out.push_back(c); });
    decoder.Feed(bytes);
    decoder.Finish();
    return out;
}

std::vector<TCommand> DecodedPage(TTestPage page, const TPageOptions& options) {
    const TEncoding encoded = EncodePage(csEPSON, page, options);
    EXPECT_TRUE(encoded.Supported) << encoded.Reason;
    return Decoded(encoded.Bytes);
}

QImage RasterPicture(const std::vector<TCommand>& commands, int margin) {
    const std::vector<Cmd::RasterImage> images = All<Cmd::RasterImage>(commands);
    int width = 0, height = 0;
    for (const Cmd::RasterImage& image : images) {
        width = std::max(width, image.WidthBytes * 8);
        height += image.Height;
    }
    QImage picture(width + 2 * margin, height + 2 * margin, QImage::Format_Grayscale8);
    picture.fill(255);
    int top = margin;
    for (const Cmd::RasterImage& image : images) {
        for (int y = 0; y < image.Height; ++y)
            for (int x = 0; x < image.WidthBytes * 8; ++x) {
                const auto byte = static_cast<unsigned char>(
                    image.Data[static_cast<std::size_t>(y * image.WidthBytes + x / 8)]);
                if (byte & (0x80 >> (x % 8)))
                    picture.scanLine(top + y)[margin + x] = 0;
            }
        top += image.Height;
    }
    return picture;
}

std::vector<TScanned> ScanQrCodes(const QImage& picture) {
    const ZXing::ImageView view(picture.constBits(), picture.width(), picture.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(picture.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    std::vector<TScanned> found;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        const ZXing::Position& p = result.position();
        const int left = std::min(p.topLeft().x, p.bottomLeft().x);
        const int top = std::min(p.topLeft().y, p.topRight().y);
        const int right = std::max(p.topRight().x, p.bottomRight().x);
        const int bottom = std::max(p.bottomLeft().y, p.bottomRight().y);
        found.push_back({std::string(result.bytes().begin(), result.bytes().end()),
                         QRect(QPoint(left, top), QPoint(right, bottom))});
    }
    std::sort(found.begin(), found.end(),
              [](const TScanned& a, const TScanned& b) { return a.Box.left() < b.Box.left(); });
    return found;
}

namespace {

bool BlankRow(const QImage& gray, int y) {
    const uchar* row = gray.constScanLine(y);
    return std::all_of(row, row + gray.width(), [](uchar v) { return v > 127; });
}

void ScanBand(const QImage& gray, int top, int bottom, std::vector<TRead>& found) {
    constexpr int quiet = 40;
    QImage band(gray.width() + 2 * quiet, bottom - top + 2 * quiet, QImage::Format_Grayscale8);
    band.fill(255);
    for (int y = top; y < bottom; ++y)
        std::copy_n(gray.constScanLine(y), gray.width(), band.scanLine(quiet + y - top) + quiet);
    const ZXing::ImageView view(band.constBits(), band.width(), band.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(band.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setReturnCodabarStartEnd(true);
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints))
        if (result.isValid())
            found.push_back({ZXing::ToString(result.format()), result.text(),
                             std::string(result.bytes().begin(), result.bytes().end())});
}

} // namespace

std::vector<TRead> ScanPage(const QImage& page) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<TRead> found;
    for (int y = 0; y < gray.height();) {
        if (BlankRow(gray, y)) {
            ++y;
            continue;
        }
        const int top = y;
        while (y < gray.height() && !BlankRow(gray, y))
            ++y;
        ScanBand(gray, top, y, found);
    }
    return found;
}

std::vector<std::string> TextLines(const std::vector<TCommand>& commands) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (const TCommand& c : commands) {
        if (const auto* text = std::get_if<Cmd::Text>(&c)) {
            line += text->Bytes;
            open = true;
        } else if (std::holds_alternative<Cmd::LineFeed>(c) && open) {
            lines.push_back(line);
            line.clear();
            open = false;
        }
    }
    return lines;
}
