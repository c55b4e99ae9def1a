#include "TestPages/Dither.h"

#include <QPainter>
#include <algorithm>

QImage FitToWidth(const QImage& picture, int widthDots, int maxRows) {
    QImage paper(picture.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    {
        QPainter painter(&paper);
        painter.drawImage(0, 0, picture);
    }
    const int height = std::max(1, static_cast<int>(static_cast<long long>(picture.height()) *
                                                    widthDots / std::max(1, picture.width())));
    QImage gray(widthDots, std::min(height, maxRows), QImage::Format_Grayscale8);
    gray.fill(255);
    const QImage scaled =
        height <= maxRows
            ? paper.scaled(widthDots, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            : paper.scaledToHeight(maxRows, Qt::SmoothTransformation);
    QPainter painter(&gray);
    painter.drawImage((widthDots - scaled.width()) / 2, 0, scaled);
    return gray;
}

TDots Dither(const QImage& gray) {
    const QImage in = gray.convertToFormat(QImage::Format_Grayscale8);
    TDots dots;
    dots.Width = (in.width() + 7) / 8 * 8;
    dots.Height = in.height();
    const int rowBytes = dots.Width / 8;
    dots.Bits.assign(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(dots.Height),
                     '\0');
    // Errors in sixteenths, for this row and the next, one cell of margin on each side.
    std::vector<int> here(static_cast<std::size_t>(in.width()) + 2, 0), next(here.size(), 0);
    for (int y = 0; y < in.height(); ++y) {
        const uchar* row = in.constScanLine(y);
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < in.width(); ++x) {
            const int value = row[x] + here[static_cast<std::size_t>(x) + 1] / 16;
            const bool black = value < 128;
            const int error = value - (black ? 0 : 255);
            here[static_cast<std::size_t>(x) + 2] += error * 7;
            next[static_cast<std::size_t>(x)] += error * 3;
            next[static_cast<std::size_t>(x) + 1] += error * 5;
            next[static_cast<std::size_t>(x) + 2] += error;
            if (black)
                dots.Bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
                    static_cast<char>(0x80 >> (x % 8));
        }
        std::swap(here, next);
    }
    return dots;
}

std::vector<TCommand> RasterBands(const TDots& dots) {
    std::vector<TCommand> bands;
    const std::size_t rowBytes = static_cast<std::size_t>(dots.Width / 8);
    for (int top = 0; top < dots.Height; top += BandRows) {
        const int rows = std::min(BandRows, dots.Height - top);
        bands.push_back(Cmd::RasterImage{
            0, static_cast<std::uint16_t>(rowBytes), static_cast<std::uint16_t>(rows),
            dots.Bits.substr(static_cast<std::size_t>(top) * rowBytes,
                             static_cast<std::size_t>(rows) * rowBytes)});
    }
    return bands;
}
