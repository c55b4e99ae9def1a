#include "RollImage.h"

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

int HeightOf(const Paper::Entry& e) {
    switch (e.kind) {
    case Paper::Kind::Line:
        return LineHeight;
    case Paper::Kind::Feed:
        return std::max(NoteHeight, std::min(e.count, MaxFeedDrawn) * LineHeight);
    case Paper::Kind::PageEnd:
    case Paper::Kind::Cut:
        return LineHeight;
    case Paper::Kind::Note:
        return NoteHeight;
    }
    return NoteHeight;
}

} // namespace

QImage RenderRoll(const Paper& paper) {
    int columns = Paper::Columns;
    int height = 2 * Margin;
    if (paper.Dropped())
        height += NoteHeight;
    for (const Paper::Entry& e : paper.Entries()) {
        height += HeightOf(e);
        if (e.kind == Paper::Kind::Line)
            columns = std::max(columns, e.columns);
    }
    const int rollWidth = Paper::Columns * Cell;
    QImage image(2 * Margin + columns * Cell, height, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 235));
    QPainter p(&image);
    p.fillRect(Margin, 0, rollWidth, height, Qt::white);

    const QFont text = MingFont(Cell * 2);
    QFont note = MingFont(12);
    const QColor gray(120, 120, 120);
    int y = Margin;
    auto noteLine = [&](const QString& s, int top, int h, const QColor& color) {
        p.setFont(note);
        p.setPen(color);
        p.drawText(QRect(Margin, top, rollWidth, h), Qt::AlignCenter, s);
    };
    if (paper.Dropped()) {
        noteLine("(earlier lines left out)", y, NoteHeight, gray);
        y += NoteHeight;
    }
    for (const Paper::Entry& e : paper.Entries()) {
        const int h = HeightOf(e);
        switch (e.kind) {
        case Paper::Kind::Line: {
            p.setFont(text);
            int col = 0;
            for (const Glyph& g : e.glyphs) {
                const QRect cell(Margin + col * Cell, y, g.columns * Cell, LineHeight);
                if (col + g.columns > Paper::Columns)
                    p.fillRect(cell, QColor(255, 200, 200));
                if (g.valid) {
                    p.setFont(text);
                    p.setPen(Qt::black);
                    p.drawText(cell, Qt::AlignCenter, QString::fromStdString(g.utf8));
                } else {
                    p.setFont(note);
                    p.setPen(Qt::red);
                    p.drawRect(cell.adjusted(1, 4, -1, -4));
                    p.drawText(cell, Qt::AlignCenter, QString::fromStdString(g.utf8).mid(1, 2));
                }
                col += g.columns;
            }
            break;
        }
        case Paper::Kind::Feed:
            noteLine(QString::fromStdString(e.text), y, std::min(h, LineHeight), gray);
            break;
        case Paper::Kind::PageEnd:
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(Margin, y + h / 2, Margin + rollWidth, y + h / 2);
            noteLine("page end", y, h / 2, gray);
            break;
        case Paper::Kind::Cut:
            p.setPen(QPen(Qt::black, 1, Qt::DashLine));
            p.drawLine(0, y + h / 2, image.width(), y + h / 2);
            noteLine(QString::fromStdString(e.text), y, h / 2, gray);
            break;
        case Paper::Kind::Note:
            noteLine(QString::fromStdString(e.text), y, h,
                     e.text.rfind("[unknown", 0) == 0 ? Qt::red : gray);
            break;
        }
        y += h;
    }
    p.setPen(QColor(180, 180, 180));
    p.drawLine(Margin - 1, 0, Margin - 1, height);
    p.drawLine(Margin + rollWidth, 0, Margin + rollWidth, height);
    return image;
}

bool SaveRoll(const Paper& paper, const QString& path) {
    if (RenderRoll(paper).save(path, "PNG"))
        return true;
    std::fprintf(stderr, "vemix-printer: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}
