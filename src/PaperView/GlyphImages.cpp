#include "PaperView/GlyphImages.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

QString Family(std::initializer_list<const char*> names, const char* package) {
    const QStringList families = QFontDatabase::families();
    for (const char* name : names)
        if (families.contains(QString::fromLatin1(name)))
            return QString::fromLatin1(name);
    std::fprintf(stderr, "vemix: the %s font is missing; install %s\n", *names.begin(), package);
    return QString::fromLatin1(*names.begin());
}

// The largest pixel size whose characters fit the cell.
QFont Face(const QString& family, int cellWidth, int cellHeight, bool bold, bool wide) {
    QFont font(family);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setBold(bold);
    for (int px = cellHeight; px > 4; --px) {
        font.setPixelSize(px);
        const QFontMetrics m(font);
        const int advance = m.horizontalAdvance(wide ? QChar(0x4E2D) : QChar('M'));
        if (advance <= cellWidth && m.ascent() + m.descent() <= cellHeight + 1)
            break;
    }
    return font;
}

std::uint64_t Key(const TGlyph& g, TPrintFont font, bool bold) {
    return std::uint64_t{g.Code} | std::uint64_t{g.Valid} << 32 | std::uint64_t{IsKanji(g)} << 33 |
           std::uint64_t{font} << 34 | std::uint64_t{bold} << 35;
}

void Box(TGlyphDots& dots) {
    for (int y = 2; y < dots.Height - 2; ++y)
        for (int x = 1; x < dots.Width - 1; ++x)
            if (y == 2 || y == dots.Height - 3 || x == 1 || x == dots.Width - 2)
                dots.Dots[static_cast<std::size_t>(y) * dots.Width + x] = 1;
}

} // namespace

TGlyphImages::TGlyphImages() {
    const QString mono = Family({"DejaVu Sans Mono"}, "fonts-dejavu-core");
    for (const TPrintFont font : {pfA, pfB})
        for (const bool bold : {false, true}) {
            const TFontCell cell = FontCell(font);
            FMono[font][bold] = Face(mono, cell.Width, cell.Height, bold, false);
        }
    FMing = Face(Family({"AR PL UMing TW", "AR PL UMing"}, "fonts-arphic-uming"), KanjiCell,
                 KanjiCell, false, true);
}

const QFont& TGlyphImages::FaceFor(char32_t code, bool kanji, TPrintFont font, bool bold) const {
    if (kanji)
        return FMing;
    const QFont& mono = FMono[font][bold];
    if (QFontMetrics(mono).inFontUcs4(code) || !QFontMetrics(FMing).inFontUcs4(code))
        return mono;
    return FMing;
}

TGlyphDots TGlyphImages::Draw(const TGlyph& g, TPrintFont font, bool bold) const {
    const bool kanji = IsKanji(g);
    const TFontCell cell = kanji ? TFontCell{KanjiCell, KanjiCell} : FontCell(font);
    TGlyphDots dots{cell.Width, cell.Height,
                    std::vector<std::uint8_t>(static_cast<std::size_t>(cell.Width) * cell.Height)};
    const QFont& face = FaceFor(g.Code, kanji, font, bold);
    if (!g.Valid || !QFontMetrics(face).inFontUcs4(g.Code)) {
        if (g.Code != ' ')
            Box(dots);
        return dots;
    }
    QImage image(cell.Width, cell.Height, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.setFont(face);
        painter.setPen(Qt::black);
        const QFontMetrics m(face);
        const QString text = QString::fromUcs4(&g.Code, 1);
        const int x = (cell.Width - m.horizontalAdvance(text)) / 2;
        const int baseline =
            cell.Height - std::max(0, (cell.Height - m.ascent() - m.descent()) / 2) - m.descent();
        painter.drawText(x, baseline, text);
    }
    for (int y = 0; y < cell.Height; ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < cell.Width; ++x)
            dots.Dots[static_cast<std::size_t>(y) * cell.Width + x] = row[x] < 128;
    }
    // The Ming face has no bold: a printer emphasises by printing each dot twice.
    if (bold && kanji)
        for (int y = 0; y < cell.Height; ++y)
            for (int x = cell.Width - 1; x > 0; --x)
                dots.Dots[static_cast<std::size_t>(y) * cell.Width + x] |=
                    dots.Dots[static_cast<std::size_t>(y) * cell.Width + x - 1];
    return dots;
}

const TGlyphDots& TGlyphImages::Dots(const TGlyph& glyph, TPrintFont font, bool bold) {
    const std::uint64_t key = Key(glyph, font, bold);
    const auto it = FCache.find(key);
    if (it != FCache.end())
        return it->second;
    return FCache.emplace(key, Draw(glyph, font, bold)).first->second;
}

TGlyphImages& GlyphImages() {
    static TGlyphImages images;
    return images;
}
