#include "PaperView/RollImage.h"

#include "Receipt/TerminalView.h"

#include <QFontDatabase>
#include <QPainter>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Cell = 12; // one column; a double-byte character takes two
constexpr int LineHeight = 30;
constexpr int NoteHeight = 18;
constexpr int Margin = 16;
constexpr int MaxFeedDrawn = 10; // a long feed is drawn shortened, with its count

QFont MingFont(int pixels) {
    QString family;
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"AR PL UMing TW", "AR PL UMing"}) {
        if (families.contains(name)) {
            family = name;
            break;
        }
    }
    if (family.isEmpty()) {
        static bool warned = false;
        if (!warned)
            std::fprintf(stderr, "vemix-printer: the AR PL UMing font is missing; "
                                 "install fonts-arphic-uming\n");
        warned = true;
    }
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

int HeightOf(const TPaperItem& item) {
    switch (item.Kind) {
    case TItemKind::Line:
    case TItemKind::PageEnd:
    case TItemKind::Cut:
        return LineHeight;
    case TItemKind::Feed:
        return std::max(NoteHeight,
                        std::min(std::get<TFeedMark>(item.Data).Lines, MaxFeedDrawn) * LineHeight);
    case TItemKind::Image:
    case TItemKind::Barcode:
    case TItemKind::QrCode:
    case TItemKind::Note:
        break;
    }
    return NoteHeight;
}

// Draws the items from the top, one band each.
class TRollPainter {
  public:
    TRollPainter(QImage& image, int columns)
        : FPainter(&image), FColumns(columns), FRollWidth(columns * Cell), FWidth(image.width()),
          FText(MingFont(Cell * 2)), FNote(MingFont(12)) {}

    void Background(int height) { FPainter.fillRect(Margin, 0, FRollWidth, height, Qt::white); }
    void Edges(int height) {
        FPainter.setPen(QColor(180, 180, 180));
        FPainter.drawLine(Margin - 1, 0, Margin - 1, height);
        FPainter.drawLine(Margin + FRollWidth, 0, Margin + FRollWidth, height);
    }
    void NoteLine(const QString& s, int top, int h, const QColor& color) {
        FPainter.setFont(FNote);
        FPainter.setPen(color);
        FPainter.drawText(QRect(Margin, top, FRollWidth, h), Qt::AlignCenter, s);
    }
    void Item(const TPaperItem& item, int y);

  private:
    void Line(const TPrintedLine& line, int y);
    void Glyph(const TGlyph& g, int col, int y);

    QPainter FPainter;
    int FColumns, FRollWidth, FWidth;
    QFont FText, FNote;
    const QColor FGray{120, 120, 120};
};

void TRollPainter::Glyph(const TGlyph& g, int col, int y) {
    const QRect cell(Margin + col * Cell, y, g.Columns * Cell, LineHeight);
    if (col + g.Columns > FColumns)
        FPainter.fillRect(cell, QColor(255, 200, 200));
    std::string utf8;
    AppendUtf8(utf8, g);
    if (g.Valid) {
        FPainter.setFont(FText);
        FPainter.setPen(Qt::black);
        FPainter.drawText(cell, Qt::AlignCenter, QString::fromStdString(utf8));
    } else {
        FPainter.setFont(FNote);
        FPainter.setPen(Qt::red);
        FPainter.drawRect(cell.adjusted(1, 4, -1, -4));
        FPainter.drawText(cell, Qt::AlignCenter, QString::fromStdString(utf8).mid(1, 2));
    }
}

void TRollPainter::Line(const TPrintedLine& line, int y) {
    int col = LeftColumns(line, FColumns);
    for (const TTextRun& run : line.Runs)
        for (const TGlyph& g : run.Glyphs) {
            Glyph(g, col, y);
            col += g.Columns;
        }
}

void TRollPainter::Item(const TPaperItem& item, int y) {
    const int h = HeightOf(item);
    const QString marker = QString::fromStdString("[" + item.Marker + "]");
    switch (item.Kind) {
    case TItemKind::Line:
        Line(std::get<TPrintedLine>(item.Data), y);
        break;
    case TItemKind::Feed:
        NoteLine(marker, y, std::min(h, LineHeight), FGray);
        break;
    case TItemKind::PageEnd:
        FPainter.setPen(QPen(Qt::black, 2));
        FPainter.drawLine(Margin, y + h / 2, Margin + FRollWidth, y + h / 2);
        NoteLine("page end", y, h / 2, FGray);
        break;
    case TItemKind::Cut:
        FPainter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        FPainter.drawLine(0, y + h / 2, FWidth, y + h / 2);
        NoteLine(marker, y, h / 2, FGray);
        break;
    case TItemKind::Image:
    case TItemKind::Barcode:
    case TItemKind::QrCode:
    case TItemKind::Note:
        NoteLine(marker, y, h, item.Marker.rfind("unknown", 0) == 0 ? Qt::red : FGray);
        break;
    }
}

} // namespace

QImage RenderRoll(const TPaperRoll& roll, int columns) {
    int widest = columns;
    int height = 2 * Margin + (roll.Dropped() ? NoteHeight : 0);
    for (const TPaperItem& item : roll.Items()) {
        height += HeightOf(item);
        if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
            widest = std::max(widest, line->Columns);
    }
    QImage image(2 * Margin + widest * Cell, height, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 235));
    TRollPainter painter(image, columns);
    painter.Background(height);
    int y = Margin;
    if (roll.Dropped()) {
        painter.NoteLine("(earlier lines left out)", y, NoteHeight, QColor(120, 120, 120));
        y += NoteHeight;
    }
    for (const TPaperItem& item : roll.Items()) {
        painter.Item(item, y);
        y += HeightOf(item);
    }
    painter.Edges(height);
    return image;
}

bool SaveRoll(const TPaperRoll& roll, const QString& path, int columns) {
    if (RenderRoll(roll, columns).save(path, "PNG"))
        return true;
    std::fprintf(stderr, "vemix-printer: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}
