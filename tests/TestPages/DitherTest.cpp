// Pictures to dots: each gray level becomes its share of black dots, pictures fit the print
// width on white paper, and bands carry every row in order; the image page prints the user's
// picture at the paper's width.
#include "TestPages/Dither.h"
#include "PageBytes.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

double BlackShare(const TDots& dots) {
    int black = 0;
    for (int y = 0; y < dots.Height; ++y)
        for (int x = 0; x < dots.Width; ++x)
            black += dots.Black(x, y);
    return static_cast<double>(black) / (dots.Width * dots.Height);
}

int Level(const QImage& gray, int x, int y) {
    return gray.constScanLine(y)[x];
}

} // namespace

TEST(Dither, EachGrayLevelBecomesItsShareOfBlackDots) {
    for (const int level : {0, 32, 64, 128, 192, 230, 255}) {
        QImage gray(96, 96, QImage::Format_Grayscale8);
        gray.fill(level);
        const TDots dots = Dither(gray);
        ASSERT_EQ(dots.Width, 96);
        EXPECT_NEAR(BlackShare(dots), 1.0 - level / 255.0, 0.02) << level;
    }
    // A picture already black and white stays exactly as it is.
    QImage lines(64, 8, QImage::Format_Grayscale8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x)
            lines.scanLine(y)[x] = (x + y) % 3 == 0 ? 0 : 255;
    const TDots dots = Dither(lines);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(dots.Black(x, y), (x + y) % 3 == 0) << x << "," << y;
}

TEST(Dither, PicturesFitThePrintWidthOnWhitePaper) {
    // Transparent but for a black square in the middle.
    QImage picture(200, 100, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(75, 25, 50, 50, Qt::black);
    const QImage fitted = FitToWidth(picture, 384, 4000);
    ASSERT_EQ(fitted.size(), QSize(384, 192));
    EXPECT_EQ(Level(fitted, 5, 5), 255);
    EXPECT_EQ(Level(fitted, 192, 96), 0);
    // Too tall: as tall as allowed, narrower and centred.
    QImage tall(100, 1000, QImage::Format_RGB32);
    tall.fill(Qt::black);
    const QImage narrowed = FitToWidth(tall, 384, 500);
    ASSERT_EQ(narrowed.size(), QSize(384, 500));
    EXPECT_EQ(Level(narrowed, 192, 250), 0);
    EXPECT_EQ(Level(narrowed, 192 - 30, 250), 255);
    EXPECT_EQ(Level(narrowed, 192 + 30, 250), 255);
}

TEST(Dither, TheImagePagePrintsTheUsersPictureAtThePaperWidthInBands) {
    QImage picture(500, 1000, QImage::Format_RGB32);
    picture.fill(QColor(128, 128, 128));
    for (const int width : {384, 576}) {
        TPageOptions options;
        options.WidthDots = width;
        options.Image = picture;
        const std::vector<TCommand> page = DecodedPage(tpImage, options);
        // Every band but the last as tall as a band may be, none lost.
        const std::vector<Cmd::RasterImage> bands = All<Cmd::RasterImage>(page);
        ASSERT_EQ(bands.size(), static_cast<std::size_t>((2 * width + BandRows - 1) / BandRows));
        EXPECT_EQ(bands[0].Height, BandRows);
        const QImage printed = RasterPicture(page, 0);
        EXPECT_EQ(printed.size(), QSize(width, 2 * width));
        // Gray comes out as about half the dots.
        int black = 0;
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x)
                black += printed.scanLine(y)[x] == 0;
        EXPECT_NEAR(static_cast<double>(black) / (printed.width() * printed.height()), 0.5, 0.05);
    }
    // Without one, the built-in picture: its ramp darkens from left to right.
    const QImage builtIn = RasterPicture(DecodedPage(tpImage, TPageOptions{}), 0);
    auto share = [&builtIn](int from, int to) {
        int black = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = from; x < to; ++x)
                black += builtIn.scanLine(y)[x] == 0;
        return static_cast<double>(black) / (64 * (to - from));
    };
    EXPECT_LT(share(0, 48), 0.15);
    EXPECT_NEAR(share(168, 216), 0.5, 0.1);
    EXPECT_GT(share(336, 384), 0.85);
}
