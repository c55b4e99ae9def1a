// The ruler and the styles: what the printer's line holds and how its text can look.
#include "TestPages/Dither.h"
#include "TestPages/PageWriter.h"
#include "TestPages/Pages.h"

namespace {

// Two lines numbering columns 1 to count: the tens above, the units below. A printer with
// fewer columns wraps the units line; its last digit on the first line is the line length.
void ColumnRuler(TPageWriter& page, int count) {
    QString tens, units;
    for (int column = 1; column <= count; ++column) {
        tens += column % 10 == 0 ? QChar('0' + column / 10 % 10) : QChar(' ');
        units += QChar('0' + column % 10);
    }
    page.Line(tens.trimmed().isEmpty() ? QString() : tens);
    page.Line(units);
}

// A tick every 8 dots (1 mm at 203 dpi), longer every 40 and 80; the first and the last dot
// of the print width are full-height lines, so a cut-off right edge shows.
TDots DotRuler(int width) {
    constexpr int Height = 32;
    QImage image(width, Height, QImage::Format_Grayscale8);
    image.fill(255);
    for (int x = 0; x < width; ++x) {
        const int tick = x == 0 || x == width - 1 ? Height
                         : x % 80 == 0            ? 24
                         : x % 40 == 0            ? 16
                         : x % 8 == 0             ? 8
                                                  : 2;
        for (int y = Height - tick; y < Height; ++y)
            image.scanLine(y)[x] = 0;
    }
    return Dither(image);
}

} // namespace

std::vector<TCommand> RulerPage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("尺規 RULER"));
    page.Line(QStringLiteral("紙寬 %1 點").arg(options.WidthDots));
    page.Line(QStringLiteral("每行最末的數字就是行長"));
    for (const bool fontB : {false, true}) {
        page.Add(Cmd::Font{static_cast<std::uint8_t>(fontB)});
        for (const int count : {32, 42, 48}) {
            page.Line(QStringLiteral("Font %1, %2 columns:").arg(fontB ? 'B' : 'A').arg(count));
            ColumnRuler(page, count);
        }
    }
    page.Add(Cmd::Font{0});
    page.Line(QStringLiteral("點尺規：每格 8 點 = 1 mm"));
    page.Line(QStringLiteral("長線每 40 點、80 點"));
    for (TCommand& band : RasterBands(DotRuler(options.WidthDots)))
        page.Add(std::move(band));
    page.Line(QStringLiteral("最右一條直線是第 %1 點").arg(options.WidthDots));
    page.End();
    return page.Take();
}

std::vector<TCommand> StylesPage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("樣式 STYLES"));
    page.Line(QStringLiteral("一般 Normal"));
    page.Add(Cmd::Emphasis{1}).Line(QStringLiteral("粗體 Emphasis ESC E")).Add(Cmd::Emphasis{0});
    page.Add(Cmd::Underline{1}).Line(QStringLiteral("底線 1 點 ESC - 1"));
    page.Add(Cmd::Underline{2}).Line(QStringLiteral("底線 2 點 ESC - 2")).Add(Cmd::Underline{0});
    page.Add(Cmd::Reverse{1}).Line(QStringLiteral("反白 Reverse GS B")).Add(Cmd::Reverse{0});
    page.Add(Cmd::CharSize{0x10}).Line(QStringLiteral("倍寬 2x1"));
    page.Add(Cmd::CharSize{0x01}).Line(QStringLiteral("倍高 1x2"));
    page.Add(Cmd::CharSize{0x11}).Line(QStringLiteral("2x2 大小"));
    page.Add(Cmd::CharSize{0x22}).Line(QStringLiteral("3x3 大"));
    page.Add(Cmd::CharSize{0x33}).Line(QStringLiteral("4x4 大")).Add(Cmd::CharSize{0});
    page.Line(QStringLiteral("靠左 Left ESC a 0"));
    page.Add(Cmd::Align{paCenter}).Line(QStringLiteral("置中 Center ESC a 1"));
    page.Add(Cmd::Align{paRight}).Line(QStringLiteral("靠右 Right ESC a 2"));
    page.Add(Cmd::Align{paLeft});
    page.Add(Cmd::Font{0}).Line(QStringLiteral("字型 A  Font A 12x24 ESC M 0"));
    page.Add(Cmd::Font{1}).Line(QStringLiteral("字型 B  Font B 9x17 ESC M 1"));
    page.Add(Cmd::Font{0});
    page.End();
    return page.Take();
}
