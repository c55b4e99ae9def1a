// Masks put together from kept glyphs against the whole text drawn at Scale times its size, byte
// for byte: glyphs that touch, fallback fonts, slanted and bold faces, sizes on both sides of the
// 64 px at which the platform stops keeping glyphs itself, every quality, and the same captions
// again from a warm cache and from a cache too small to keep them.
#include "AAText/GlyphCache.h"
#include "Helpers.h"
#include "MaskReference.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

struct Case {
    QString Face;
    int Size;
    TFontStyles Style;
    TAAQuality Quality;
    QString Text;
};

std::string Describe(const Case& c) {
    return c.Face.toStdString() + " " + std::to_string(c.Size) + "px style " +
           std::to_string(c.Style) + " quality " + std::to_string(c.Quality) + " '" +
           c.Text.toStdString() + "'";
}

// Draws c with font's mask and compares with the whole-text drawing.
void ExpectSameAsWholeText(TAAFont& font, const Case& c) {
    TFont* f = font.Canvas()->Font();
    f->SetName(c.Face);
    f->SetHeight(-c.Size);
    f->SetStyle(c.Style);
    font.SetQuality(c.Quality);
    font.Mask()->DrawMask(c.Text);
    const auto want = ReferenceMask(font, c.Text);
    ASSERT_EQ(font.Mask()->Height(), static_cast<int>(want.size())) << Describe(c);
    const auto got = MaskRows(*font.Mask());
    for (std::size_t y = 0; y < want.size(); ++y)
        for (std::size_t x = 0; x < want[y].size(); ++x)
            ASSERT_EQ(got[y][x], want[y][x]) << Describe(c) << " at " << x << "," << y;
}

std::vector<Case> FixedCases() {
    // Touching pairs (AV, Te, rn, fi), a Chinese glyph from the fallback face between Latin
    // runs, punctuation after a Chinese glyph touching a Latin one (two text items), descenders,
    // a tab, a single character and a long caption.
    const QString texts[] = {QStringLiteral("AVAWTeffifl rnrt"),
                             QStringLiteral("發票印表機測試 Vemix Printer Test"),
                             QStringLiteral("CSddyTpeUZzY表]/Vö"),
                             QStringLiteral("ij;,.!gjpqy\tW"),
                             QStringLiteral("g"),
                             QStringLiteral("AALabel1 Kavrilon股份有限公司 0123456789 %&@ ßÄÖÜ")};
    std::vector<Case> cases;
    for (const QString& face : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")})
        for (int size : {8, 14, 22, 33, 96})
            for (TAAQuality q : {aqHigh, aqNormal, aqLow, aqNone})
                for (TFontStyles style : {TFontStyles(0), TFontStyles(fsBold | fsItalic)})
                    for (const QString& text : texts)
                        cases.push_back({face, size, style, q, text});
    return cases;
}

std::vector<Case> RandomCases(int count) {
    const QString chars = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123"
                                         "456789 .,;:!?'\"()[]/\\-_=+*&%$#@~fijlrtvwyÄÖÜäöüßéèç發票"
                                         "印表機測試中文字體");
    const QString faces[] = {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                             QStringLiteral("AR PL UMing TW"), QStringLiteral("DejaVu Sans Mono")};
    QRandomGenerator rng(7);
    std::vector<Case> cases;
    for (int i = 0; i < count; ++i) {
        Case c;
        c.Face = faces[rng.bounded(4)];
        c.Size = 8 + static_cast<int>(rng.bounded(89));
        c.Style = static_cast<TFontStyles>(rng.bounded(4)); // bold, italic
        c.Quality = static_cast<TAAQuality>(rng.bounded(4));
        const int length = 1 + static_cast<int>(rng.bounded(40));
        for (int k = 0; k < length; ++k)
            c.Text += chars[rng.bounded(static_cast<int>(chars.size()))];
        cases.push_back(c);
    }
    return cases;
}

} // namespace

TEST(GlyphPath, MasksAreTheWholeTextDrawingToTheByte) {
    TBitmap bmp(4, 4, pf24bit);
    TAAFont font(bmp.Canvas());
    const auto cases = FixedCases();
    for (const Case& c : cases)
        ExpectSameAsWholeText(font, c);
    // Again, every glyph now from the cache, in another order.
    for (auto it = cases.rbegin(); it != cases.rend(); ++it)
        ExpectSameAsWholeText(font, *it);
    EXPECT_GT(font.Mask()->GlyphCache()->Images(), 0u);
}

TEST(GlyphPath, RandomCaptionsAreTheWholeTextDrawingToTheByte) {
    TBitmap bmp(4, 4, pf24bit);
    TAAFont font(bmp.Canvas());
    for (const Case& c : RandomCases(150))
        ExpectSameAsWholeText(font, c);
}

TEST(GlyphPath, CacheStaysWithinItsLimitAndStillDrawsTheSame) {
    TBitmap bmp(4, 4, pf24bit);
    TAAFont font(bmp.Canvas());
    font.Mask()->DrawMask(QStringLiteral("x")); // makes the cache
    TGlyphCache* cache = font.Mask()->GlyphCache();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->Limit(), TGlyphCache::DefaultLimit);
    cache->SetLimit(64 * 1024);
    const auto cases = FixedCases();
    for (std::size_t i = 0; i < cases.size(); i += 7) {
        ExpectSameAsWholeText(font, cases[i]);
        // Between calls no more than the limit is kept.
        ASSERT_LE(cache->Bytes(), cache->Limit()) << Describe(cases[i]);
    }
    cache->Clear();
    EXPECT_EQ(cache->Bytes(), 0u);
    EXPECT_EQ(cache->Images(), 0u);
    ExpectSameAsWholeText(font, cases.front());
}
