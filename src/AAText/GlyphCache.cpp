#include "AAText/GlyphCache.h"

#include "AAText/AAMask.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string_view>

// The inked part of one glyph, or of glyphs that touch, as Qt draws it on a work surface.
struct TGlyphCache::TImage {
    int Left = 0;  // first inked column, relative to the whole work pixel of the first glyph
    int Top = 0;   // first inked row on the work surface
    int Width = 0; // inked columns
    int Height = 0;
    TAAQuality Quality = aqNormal;
    std::vector<std::uint8_t> Pixels; // Width x Height coverage, row by row
    std::size_t Hash = 0;
    // Weighted block sums for each column phase of the block grid, made when first needed.
    std::vector<std::uint16_t> Sums[4];
    int SumColumns[4] = {0, 0, 0, 0};
    std::vector<TSingleKey> Singles;
    std::vector<std::vector<std::int32_t>> Runs;
    std::list<std::shared_ptr<TImage>>::iterator Place;

    std::size_t Bytes() const {
        std::size_t bytes = sizeof(TImage) + Pixels.size();
        for (const auto& sums : Sums)
            bytes += sums.size() * sizeof(std::uint16_t);
        return bytes;
    }
    bool SamePicture(const TImage& other) const {
        return Left == other.Left && Top == other.Top && Width == other.Width &&
               Height == other.Height && Quality == other.Quality && Pixels == other.Pixels;
    }
};

// One glyph of the caption being put together.
struct TGlyphCache::TGlyph {
    std::uint32_t Font = 0;
    std::uint32_t Glyph = 0;
    std::int64_t X64 = 0;       // position on the work surface, 1/64 pixel
    std::int64_t LayoutX64 = 0; // position in the text's layout
    std::int32_t Y64 = 0;
    int Item = 0; // script run of the text; glyphs of one run are filled together
    std::shared_ptr<TImage> Image;
    int X = 0; // inked top-left on the work surface
    int Y = 0;
};

namespace {

std::int64_t FloorPixel(std::int64_t v64) {
    return v64 >> 6; // arithmetic shift: the floor also below zero
}

std::size_t Mix(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

// The glyph outlines' extent can miss a synthetic slant or emboldening: a picture that reaches
// the edge of its image is drawn again with wider margins.
bool ReachesEdge(const QImage& image, bool left) {
    const int w = image.width(), h = image.height();
    auto ink = [&](int x, int y) { return (image.constScanLine(y)[4 * x]) != 0; };
    for (int y = 0; y < h; ++y)
        if ((left && ink(0, y)) || ink(w - 1, y))
            return true;
    for (int x = 0; x < w; ++x)
        if (ink(x, h - 1))
            return true;
    return false;
}

// Whether two placed pictures ink a common work pixel.
bool Touching(const TGlyphCache::TImage& a, int ax, int ay, const TGlyphCache::TImage& b, int bx,
              int by) {
    const int x0 = std::max(ax, bx), x1 = std::min(ax + a.Width, bx + b.Width);
    const int y0 = std::max(ay, by), y1 = std::min(ay + a.Height, by + b.Height);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* pa = a.Pixels.data() + std::size_t(y - ay) * a.Width + (x0 - ax);
        const std::uint8_t* pb = b.Pixels.data() + std::size_t(y - by) * b.Width + (x0 - bx);
        for (int x = 0; x < x1 - x0; ++x)
            if (pa[x] && pb[x])
                return true;
    }
    return false;
}

// The text's runs of one script, as the text output splits it into items: characters of no
// script of their own (punctuation, digits, spaces, marks) belong to the run before them, or at
// the start to the first run. Returns the start of every run after the first.
std::vector<int> ScriptBreaks(const QString& text) {
    std::vector<int> breaks;
    QChar::Script current = QChar::Script_Unknown;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text.at(i).unicode();
        qsizetype next = i + 1;
        if (QChar::isHighSurrogate(c) && next < text.size() &&
            QChar::isLowSurrogate(text.at(next).unicode())) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(next));
            ++next;
        }
        const QChar::Script script = QChar::script(c);
        if (script != QChar::Script_Common && script != QChar::Script_Inherited &&
            script != QChar::Script_Unknown && script != current) {
            if (current != QChar::Script_Unknown)
                breaks.push_back(static_cast<int>(i));
            current = script;
        }
        i = next;
    }
    return breaks;
}

int Find(std::vector<int>& parent, int i) {
    while (parent[static_cast<std::size_t>(i)] != i) {
        auto& p = parent[static_cast<std::size_t>(i)];
        p = parent[static_cast<std::size_t>(p)];
        i = p;
    }
    return i;
}

} // namespace

std::size_t TGlyphCache::TSingleHash::operator()(const TSingleKey& k) const {
    std::size_t h = k.Font;
    h = Mix(h, k.Glyph);
    h = Mix(h, static_cast<std::size_t>(k.Binade));
    h = Mix(h, static_cast<std::size_t>(k.X64));
    return Mix(h, static_cast<std::size_t>(k.Y64));
}

std::size_t TGlyphCache::TRunHash::operator()(const std::vector<std::int32_t>& k) const {
    std::size_t h = k.size();
    for (std::int32_t v : k)
        h = Mix(h, static_cast<std::size_t>(static_cast<std::uint32_t>(v)));
    return h;
}

TGlyphCache::TGlyphCache(std::size_t limit) : FLimit(limit) {}

TGlyphCache::~TGlyphCache() = default;

void TGlyphCache::SetLimit(std::size_t limit) {
    FLimit = limit;
    Trim();
}

void TGlyphCache::Clear() {
    FSingles.clear();
    FRuns.clear();
    FByContent.clear();
    FLru.clear();
    FFonts.clear();
    FBytes = 0;
}

std::uint32_t TGlyphCache::FontIndex(const QRawFont& font, TAAQuality quality) {
    for (std::size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i].Quality == quality && FFonts[i].Font == font)
            return static_cast<std::uint32_t>(i);
    FFonts.push_back({font, quality});
    return static_cast<std::uint32_t>(FFonts.size() - 1);
}

void TGlyphCache::Touch(const std::shared_ptr<TImage>& image) {
    if (image->Place != FLru.begin())
        FLru.splice(FLru.begin(), FLru, image->Place);
}

void TGlyphCache::Forget(TImage& image) {
    for (const TSingleKey& key : image.Singles)
        FSingles.erase(key);
    for (const auto& key : image.Runs)
        FRuns.erase(key);
    const auto [from, to] = FByContent.equal_range(image.Hash);
    for (auto it = from; it != to; ++it) {
        if (it->second.lock().get() == &image) {
            FByContent.erase(it);
            break;
        }
    }
    FBytes -= image.Bytes();
}

void TGlyphCache::Trim() {
    // The least recently used go first; pictures the caption in hand still holds stay alive
    // until it is done with them.
    while (FBytes > FLimit && !FLru.empty()) {
        std::shared_ptr<TImage> last = FLru.back();
        Forget(*last);
        FLru.pop_back();
    }
}

std::shared_ptr<TGlyphCache::TImage> TGlyphCache::Keep(std::shared_ptr<TImage> image) {
    std::size_t h = std::hash<std::string_view>()(std::string_view(
        reinterpret_cast<const char*>(image->Pixels.data()), image->Pixels.size()));
    h = Mix(h, static_cast<std::size_t>(image->Left));
    h = Mix(h, static_cast<std::size_t>(image->Top));
    h = Mix(h, static_cast<std::size_t>(image->Width));
    h = Mix(h, image->Quality);
    image->Hash = h;
    // Neighbouring positions within a work pixel often give the same picture: keep it once.
    const auto [from, to] = FByContent.equal_range(h);
    for (auto it = from; it != to; ++it)
        if (auto kept = it->second.lock(); kept && kept->SamePicture(*image))
            return kept;
    FLru.push_front(image);
    image->Place = FLru.begin();
    FBytes += image->Bytes();
    FByContent.emplace(h, image);
    return image;
}

int TGlyphCache::Binade(double x1, double x2) {
    // A little beyond the outline box, for control points and rounding.
    x1 -= 2;
    x2 += 2;
    if (x1 < 1)
        return -1;
    const int k = std::ilogb(x1);
    return x2 < std::ldexp(1.0, k + 1) ? k : -1;
}

std::shared_ptr<TGlyphCache::TImage> TGlyphCache::Draw(const std::vector<const TGlyph*>& glyphs) {
    // Bounds of the outlines on the work surface.
    double left = 0, right = 0, bottom = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const TGlyph* g = glyphs[i];
        const QRectF box = FFonts[g->Font].Font.boundingRect(g->Glyph);
        const double x = g->X64 / 64.0, y = g->Y64 / 64.0;
        left = i == 0 ? x + box.left() : std::min(left, x + box.left());
        right = i == 0 ? x + box.right() : std::max(right, x + box.right());
        bottom = i == 0 ? y + box.bottom() : std::max(bottom, y + box.bottom());
    }
    const std::int64_t origin = FloorPixel(glyphs.front()->X64);
    int pad = 4;
    for (int attempt = 0;; ++attempt) {
        // Image column 0 is work column first; rows are the work surface's own. Moving the
        // glyphs left by a whole number keeps their coordinates exact; moving them right would
        // not, so glyphs reaching left of the surface stay where they are and are cut at 0, as
        // on the surface.
        const std::int64_t first =
            std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(left)) - pad);
        const int margin = static_cast<int>(origin - first);
        const int width =
            static_cast<int>(static_cast<std::int64_t>(std::ceil(right)) - first) + pad;
        const int height = static_cast<int>(std::ceil(std::max(bottom, 0.0))) + pad;
        QImage work(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
        work.fill(Qt::black);
        {
            QPainter p(&work);
            p.setPen(Qt::white);
            // The glyphs keep their own coordinates; the painter moves them onto the image.
            p.translate(-static_cast<double>(first), 0);
            // Consecutive glyphs of one font go out as one run, in the caption's drawing order.
            std::size_t i = 0;
            while (i < glyphs.size()) {
                std::size_t j = i;
                QList<quint32> indexes;
                QList<QPointF> positions;
                while (j < glyphs.size() && glyphs[j]->Font == glyphs[i]->Font &&
                       glyphs[j]->Item == glyphs[i]->Item) {
                    indexes.push_back(glyphs[j]->Glyph);
                    positions.push_back(QPointF(glyphs[j]->X64 / 64.0, glyphs[j]->Y64 / 64.0));
                    ++j;
                }
                QGlyphRun run;
                run.setRawFont(FFonts[glyphs[i]->Font].Font);
                run.setGlyphIndexes(indexes);
                run.setPositions(positions);
                p.drawGlyphRun(QPointF(0, 0), run);
                i = j;
            }
        }
        if (ReachesEdge(work, first > 0) && attempt < 4) {
            pad = pad * 2 + 16;
            continue;
        }
        // Keep the inked rectangle; the gray level is the blue byte of white on black.
        int x0 = work.width(), x1 = 0, y0 = work.height(), y1 = 0;
        for (int y = 0; y < work.height(); ++y) {
            const std::uint8_t* row = work.constScanLine(y);
            for (int x = 0; x < work.width(); ++x) {
                if (row[4 * x]) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x + 1);
                    y0 = std::min(y0, y);
                    y1 = y + 1;
                }
            }
        }
        auto image = std::make_shared<TImage>();
        if (x1 > x0) {
            image->Left = x0 - margin;
            image->Top = y0;
            image->Width = x1 - x0;
            image->Height = y1 - y0;
            image->Pixels.resize(std::size_t(image->Width) * image->Height);
            for (int y = y0; y < y1; ++y) {
                const std::uint8_t* row = work.constScanLine(y) + 4 * x0;
                std::uint8_t* dst = image->Pixels.data() + std::size_t(y - y0) * image->Width;
                for (int x = 0; x < image->Width; ++x)
                    dst[x] = row[4 * x];
            }
        }
        return image;
    }
}

bool TGlyphCache::HoldsElsewhere(const TImage& image, std::int64_t originX64, double left,
                                 double right, int binade) {
    if (binade < 0 || image.Width == 0)
        return binade >= 0;
    // The outline box can miss a synthetic slant or emboldening: the ink must keep to the range
    // too.
    const double inkLeft = static_cast<double>(FloorPixel(originX64) + image.Left);
    return Binade(std::min(left, inkLeft), std::max(right, inkLeft + image.Width)) == binade;
}

std::shared_ptr<TGlyphCache::TImage> TGlyphCache::SingleImage(const TGlyph& glyph,
                                                              TAAQuality quality) {
    const QRectF box = FFonts[glyph.Font].Font.boundingRect(glyph.Glyph);
    const double x = glyph.X64 / 64.0;
    const int binade = Binade(x + box.left(), x + box.right());
    TSingleKey key{glyph.Font, glyph.Glyph, binade, glyph.Y64,
                   binade < 0 ? glyph.X64 : (glyph.X64 & 63)};
    if (auto it = FSingles.find(key); it != FSingles.end())
        return it->second;
    auto drawn = Draw({&glyph});
    drawn->Quality = quality;
    if (!HoldsElsewhere(*drawn, glyph.X64, x + box.left(), x + box.right(), binade))
        key = TSingleKey{glyph.Font, glyph.Glyph, -1, glyph.Y64, glyph.X64};
    auto image = Keep(std::move(drawn));
    FSingles.emplace(key, image);
    image->Singles.push_back(key);
    return image;
}

namespace {

// The key of glyphs drawn together: the binade of their range (with -1, the whole origin), and
// each glyph's font, index, position from the origin's whole pixel, baseline and item.
std::vector<std::int32_t> RunKey(const std::vector<const TGlyphCache::TGlyph*>& run, int binade,
                                 std::int64_t origin);

} // namespace

std::shared_ptr<TGlyphCache::TImage> TGlyphCache::RunImage(const std::vector<const TGlyph*>& run,
                                                           TAAQuality quality) {
    const std::int64_t origin = FloorPixel(run.front()->X64) * 64;
    double left = 0, right = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const QRectF box = FFonts[run[i]->Font].Font.boundingRect(run[i]->Glyph);
        const double x = run[i]->X64 / 64.0;
        left = i == 0 ? x + box.left() : std::min(left, x + box.left());
        right = i == 0 ? x + box.right() : std::max(right, x + box.right());
    }
    const int binade = Binade(left, right);
    std::vector<std::int32_t> key = RunKey(run, binade, origin);
    if (auto it = FRuns.find(key); it != FRuns.end())
        return it->second;
    auto drawn = Draw(run);
    drawn->Quality = quality;
    if (!HoldsElsewhere(*drawn, run.front()->X64, left, right, binade))
        key = RunKey(run, -1, origin);
    auto image = Keep(std::move(drawn));
    FRuns.emplace(key, image);
    image->Runs.push_back(std::move(key));
    return image;
}

namespace {

std::vector<std::int32_t> RunKey(const std::vector<const TGlyphCache::TGlyph*>& run, int binade,
                                 std::int64_t origin) {
    std::vector<std::int32_t> key;
    key.reserve(run.size() * 5 + 3);
    key.push_back(binade);
    if (binade < 0) {
        key.push_back(static_cast<std::int32_t>(origin >> 32));
        key.push_back(static_cast<std::int32_t>(origin & 0xffffffff));
    }
    for (const TGlyphCache::TGlyph* g : run) {
        key.push_back(static_cast<std::int32_t>(g->Font));
        key.push_back(static_cast<std::int32_t>(g->Glyph));
        key.push_back(static_cast<std::int32_t>(g->X64 - origin));
        key.push_back(g->Y64);
        key.push_back(g->Item - run.front()->Item);
    }
    return key;
}

} // namespace

namespace {

// Adds a picture whose inked top-left lies at work pixel (x, y) to the block sums.
void AddSums(TGlyphCache::TImage& image, int x, int y, int scale, int width, int height,
             std::uint16_t* sums, std::size_t& bytes) {
    if (image.Width == 0)
        return;
    const int phase = ((x % scale) + scale) % scale;
    const int bx0 = (x - phase) / scale;
    const int rowPhase = y % scale; // y is never negative: the work surface starts at row 0
    const int by0 = y / scale;
    const int rows = (rowPhase + image.Height + scale - 1) / scale;
    auto& own = image.Sums[phase];
    if (own.empty()) {
        const int cols = (phase + image.Width + scale - 1) / scale;
        image.SumColumns[phase] = cols;
        own.assign(std::size_t(cols) * rows, 0);
        const bool normal = image.Quality == aqNormal;
        for (int r = 0; r < image.Height; ++r) {
            const int i = (rowPhase + r) % scale;
            std::uint16_t* out = own.data() + std::size_t((rowPhase + r) / scale) * cols;
            const std::uint8_t* p = image.Pixels.data() + std::size_t(r) * image.Width;
            for (int c = 0; c < image.Width; ++c) {
                const int j = (phase + c) % scale;
                int v = p[c];
                // The normal reduction counts its top-right and bottom-left samples half.
                if (normal && ((i == 0 && j == 2) || (i == 2 && j == 0)))
                    v >>= 1;
                out[(phase + c) / scale] = static_cast<std::uint16_t>(out[(phase + c) / scale] + v);
            }
        }
        bytes += own.size() * sizeof(std::uint16_t);
    }
    const int cols = image.SumColumns[phase];
    const int c0 = std::max(0, -bx0), c1 = std::min(cols, width - bx0);
    if (c0 >= c1)
        return;
    for (int r = 0; r < rows; ++r) {
        const int my = by0 + r;
        if (my < 0 || my >= height)
            continue;
        const std::uint16_t* src = own.data() + std::size_t(r) * cols;
        std::uint16_t* dst = sums + std::size_t(my) * width + bx0;
        for (int c = c0; c < c1; ++c)
            dst[c] = static_cast<std::uint16_t>(dst[c] + src[c]);
    }
}

} // namespace

const TGlyphCache::TLayout& TGlyphCache::LayoutOf(const QFont& font, const QString& text) {
    if (FLayout.Layout && FLayout.Text == text && FLayout.Font == font)
        return FLayout;
    FLayout = TLayout{};
    FLayout.Font = font;
    FLayout.Text = text;
    const QFontMetrics metrics(font);
    FLayout.Ascent = metrics.ascent();
    FLayout.Height = metrics.ascent() + metrics.descent();
    auto layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout->setTextOption(option);
    // Keeps the shaped glyphs after the line is laid out, for glyphRuns.
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid())
        line.setLineWidth(1e7);
    layout->endLayout();
    if (!line.isValid())
        return FLayout;
    FLayout.LineAscent = line.ascent();
    FLayout.Advance = qRound(line.horizontalAdvance());
    FLayout.Layout = std::move(layout);
    return FLayout;
}

TSize TGlyphCache::Extent(const QFont& font, const QString& text) {
    const TLayout& laid = LayoutOf(font, text);
    return TSize{laid.Advance, laid.Height};
}

void TGlyphCache::MarkItems(const QTextLayout& layout, const QString& text,
                            std::vector<TGlyph>& glyphs) {
    const std::vector<int> breaks = ScriptBreaks(text);
    if (breaks.empty())
        return;
    std::unordered_map<TSingleKey, int, TSingleHash> item;
    for (std::size_t k = 0; k <= breaks.size(); ++k) {
        const int from = k == 0 ? 0 : breaks[k - 1];
        const int to = k == breaks.size() ? static_cast<int>(text.size()) : breaks[k];
        for (const QGlyphRun& run : layout.glyphRuns(from, to - from)) {
            std::uint32_t f = 0;
            while (f < FFonts.size() && !(FFonts[f].Font == run.rawFont()))
                ++f;
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size(); ++i)
                item[TSingleKey{f, indexes[i], 0, 0, std::llround(positions[i].x() * 64.0)}] =
                    static_cast<int>(k);
        }
    }
    for (TGlyph& g : glyphs) {
        const auto it = item.find(TSingleKey{g.Font, g.Glyph, 0, 0, g.LayoutX64});
        if (it != item.end())
            g.Item = it->second;
    }
}

void TGlyphCache::AddText(const QFont& font, const QString& text, int x, int y, TAAQuality quality,
                          int width, int height, std::uint16_t* sums) {
    if (text.isEmpty() || width <= 0 || height <= 0)
        return;
    // Every font keeps its engine alive; a caller that goes through many sizes starts afresh.
    if (FFonts.size() >= 32)
        Clear();
    const int scale = ScaleOf(quality);

    // The glyphs and positions of the text output, which puts the baseline at the cell's top
    // plus the font's whole-pixel ascent.
    const TLayout& laid = LayoutOf(font, text);
    if (!laid.Layout)
        return;
    const QTextLayout& layout = *laid.Layout;
    const double baseline = y + laid.Ascent - laid.LineAscent;

    std::vector<TGlyph> glyphs;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const std::uint32_t f = FontIndex(run.rawFont(), quality);
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            TGlyph g;
            g.Font = f;
            g.Glyph = indexes[i];
            g.LayoutX64 = std::llround(positions[i].x() * 64.0);
            g.X64 = std::llround((x + positions[i].x()) * 64.0);
            g.Y64 = static_cast<std::int32_t>(std::llround((baseline + positions[i].y()) * 64.0));
            glyphs.push_back(std::move(g));
        }
    }
    for (TGlyph& g : glyphs) {
        g.Image = SingleImage(g, quality);
        Touch(g.Image);
        g.X = static_cast<int>(FloorPixel(g.X64)) + g.Image->Left;
        g.Y = g.Image->Top;
    }

    // Glyphs that ink a common work pixel are drawn together.
    const int n = static_cast<int>(glyphs.size());
    std::vector<int> parent(static_cast<std::size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    std::vector<int> order(parent);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return glyphs[std::size_t(a)].X < glyphs[std::size_t(b)].X; });
    std::vector<int> active;
    bool anyTouch = false;
    for (int i : order) {
        const TGlyph& g = glyphs[std::size_t(i)];
        if (g.Image->Width == 0)
            continue;
        std::erase_if(active, [&](int a) {
            const TGlyph& o = glyphs[std::size_t(a)];
            return o.X + o.Image->Width <= g.X;
        });
        for (int a : active) {
            const TGlyph& o = glyphs[std::size_t(a)];
            if (Find(parent, a) != Find(parent, i) &&
                Touching(*o.Image, o.X, o.Y, *g.Image, g.X, g.Y)) {
                parent[std::size_t(Find(parent, a))] = Find(parent, i);
                anyTouch = true;
            }
        }
        active.push_back(i);
    }

    // Touching glyphs of one item are filled as one outline, those of different items one after
    // the other, as the text output draws them.
    if (anyTouch)
        MarkItems(layout, text, glyphs);

    std::size_t added = 0;
    if (!anyTouch) {
        for (TGlyph& g : glyphs)
            AddSums(*g.Image, g.X, g.Y, scale, width, height, sums, added);
    } else {
        std::vector<std::vector<const TGlyph*>> groups(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            groups[std::size_t(Find(parent, i))].push_back(&glyphs[std::size_t(i)]);
        for (const auto& group : groups) {
            if (group.empty())
                continue;
            if (group.size() == 1) {
                const TGlyph& g = *group.front();
                AddSums(*g.Image, g.X, g.Y, scale, width, height, sums, added);
                continue;
            }
            auto image = RunImage(group, quality);
            Touch(image);
            const int gx = static_cast<int>(FloorPixel(group.front()->X64)) + image->Left;
            AddSums(*image, gx, image->Top, scale, width, height, sums, added);
        }
    }
    FBytes += added;
    Trim();
}
