// The image page: the built-in test picture, or the user's, as dots the printer prints.
#include "TestPages/Dither.h"
#include "TestPages/PageWriter.h"
#include "TestPages/Pages.h"

namespace {

// The tallest user picture, in dots (half a metre of paper); a taller one is made narrower.
constexpr int MaxImageRows = 4000;

void Ramp(QImage& image, int top, int height, int steps) {
    const int width = image.width();
    for (int y = top; y < top + height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int level = steps ? x * steps / width * 255 / (steps - 1) : x * 255 / (width - 1);
            row[x] = static_cast<uchar>(255 - level);
        }
    }
}

// Lines 1, 2 and 3 dots wide in three columns, above horizontal lines, a chequer of single
// dots and diagonals: a printer that smears or drops dots shows it here.
void Lines(QImage& image, int top, int height) {
    const int width = image.width(), third = width / 3;
    for (int y = top; y < top + height; ++y) {
        uchar* row = image.scanLine(y);
        const bool upper = y < top + height / 2;
        for (int x = 0; x < width; ++x) {
            const int part = std::min(2, x / third);
            bool black;
            if (upper)
                black = x % (4 + 2 * part) <= part;
            else if (part == 0)
                black = (y - top) % 4 == 0;
            else if (part == 1)
                black = (x + y) % 2 == 0;
            else
                black = (x + y) % 8 == 0;
            row[x] = black ? 0 : 255;
        }
    }
}

QImage BuiltInPicture(int width) {
    QImage image(width, 208, QImage::Format_Grayscale8);
    image.fill(255);
    Ramp(image, 0, 64, 0);
    Ramp(image, 72, 32, 8);
    Lines(image, 112, 96);
    return image;
}

} // namespace

std::vector<TCommand> ImagePage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("影像 IMAGE"));
    QImage gray;
    if (options.Image.isNull()) {
        page.Line(QStringLiteral("灰階漸層、八階灰階與線條"));
        gray = BuiltInPicture(options.WidthDots);
    } else {
        gray = FitToWidth(options.Image, options.WidthDots, MaxImageRows);
        page.Line(QStringLiteral("圖檔 %1x%2 -> %3x%4 點")
                      .arg(options.Image.width())
                      .arg(options.Image.height())
                      .arg(gray.width())
                      .arg(gray.height()));
    }
    page.Line(QStringLiteral("Floyd-Steinberg，GS v 0"));
    for (TCommand& band : RasterBands(Dither(gray)))
        page.Add(std::move(band));
    page.End();
    return page.Take();
}
