#include "PageBytes.h"

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
