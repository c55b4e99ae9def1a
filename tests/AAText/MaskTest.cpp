#include "Helpers.h"

#include "Rtl/Exceptions.h"
#include "Rtl/Random.h"
#include "Rtl/Strings.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numbers>

namespace {

int MaxCoverage(const TAAMask& mask) {
    int best = 0;
    for (const auto& row : MaskRows(mask))
        best = std::max(best, *std::max_element(row.begin(), row.end()));
    return best;
}

} // namespace

TEST(AAMask, FullBlocksReduceTo254AtNormalAnd255Elsewhere) {
    TBitmap bmp(10, 10, pf24bit);
    TAAFont font(bmp.Canvas());
    bmp.Canvas()->Font()->SetHeight(-40);
    const QString block = QStringLiteral("\u2588\u2588");
    const std::pair<TAAQuality, int> cases[] = {
        {aqHigh, 255}, {aqNormal, 254}, {aqLow, 255}, {aqNone, 255}};
    for (auto [quality, full] : cases) {
        font.SetQuality(quality);
        EXPECT_EQ(font.Mask()->Scale(), ScaleOf(quality));
        font.Mask()->DrawMask(block);
        ASSERT_GT(font.Mask()->Width(), 20);
        EXPECT_EQ(MaxCoverage(*font.Mask()), full) << int(quality);
    }
    // Without supersampling only the two pure levels exist.
    for (const auto& row : MaskRows(*font.Mask()))
        for (int v : row)
            EXPECT_TRUE(v == 0 || v == 255);
}

TEST(AAMask, EdgesGetIntermediateLevels) {
    TBitmap bmp(10, 10, pf24bit);
    TAAFont font(bmp.Canvas());
    bmp.Canvas()->Font()->SetHeight(-20);
    font.Mask()->DrawMask(QStringLiteral("Oslo"));
    int partial = 0;
    for (const auto& row : MaskRows(*font.Mask()))
        partial += static_cast<int>(
            std::count_if(row.begin(), row.end(), [](int v) { return v > 0 && v < 254; }));
    EXPECT_GT(partial, 20);
    EXPECT_EQ(font.Mask()->BytesPerLine(), (font.Mask()->Width() + 3) / 4 * 4);
}

TEST(AAMask, RowsAreAGrayBitmapCheckedOnAccess) {
    TAAMask mask(nullptr);
    mask.SetSize(5, 3);
    EXPECT_EQ(mask.BytesPerLine(), 8);
    mask.ScanLine(0)[0] = 7;
    mask.ScanLine(2)[4] = 9;
    EXPECT_EQ(mask.ScanLine(1) - mask.ScanLine(0), 8);
    const TBitmap& bits = mask.Bitmap();
    EXPECT_EQ(bits.PixelFormat(), pf8bit);
    EXPECT_EQ(bits.Width(), 5);
    EXPECT_EQ(bits.Height(), 3);
    EXPECT_EQ(bits.ScanLine(0)[0], 7);
    EXPECT_EQ(bits.ScanLine(2)[4], 9);
    EXPECT_EQ(bits.ScanLine(1)[2], 0);
    // A copy shares nothing that writing could reach.
    TAAMask copy(nullptr);
    copy.Assign(&mask);
    copy.ScanLine(0)[0] = 1;
    copy.VertMirror();
    EXPECT_EQ(mask.ScanLine(0)[0], 7);
    EXPECT_EQ(copy.ScanLine(0)[4], 9);
    EXPECT_EQ(copy.ScanLine(2)[0], 1);
    for (int bad : {-1, 3}) {
        try {
            mask.ScanLine(bad);
            ADD_FAILURE() << "row " << bad << " was accepted";
        } catch (const EInvalidLine& e) {
            EXPECT_EQ(e.Message(), "Invalid line!");
        }
    }
}

TEST(AAMask, NoRendererMeasuresNothingAndKeepsItsContents) {
    TAAMask mask(nullptr);
    SetMaskRows(mask, {{1, 2}, {3, 4}});
    TPoint offset{5, 6};
    EXPECT_EQ(mask.MeasureText(QStringLiteral("abc"), offset), (TSize{0, 0}));
    EXPECT_EQ(offset, (TPoint{5, 6}));
    mask.DrawMask(QStringLiteral("abc"));
    EXPECT_EQ(MaskRows(mask), (std::vector<std::vector<int>>{{1, 2}, {3, 4}}));
}

TEST(AAMask, RotatedExtentSwapsSidesAtNinetyDegrees) {
    TPoint offset;
    EXPECT_EQ(RotateExtent(TSize{100, 20}, std::numbers::pi / 2, offset), (TSize{20, 100}));
    // The text's top-left corner ends at the bottom-left of the box.
    EXPECT_EQ(offset, (TPoint{0, 100}));
    EXPECT_EQ(RotateExtent(TSize{100, 20}, 0, offset), (TSize{100, 20}));
    EXPECT_EQ(offset, (TPoint{0, 0}));

    TBitmap bmp(10, 10, pf24bit);
    TAAFont font(bmp.Canvas());
    const TSize flat = font.TextExtent(QStringLiteral("Rotate me"));
    TLogFont log = bmp.Canvas()->Font()->LogFont();
    log.Escapement = 900;
    bmp.Canvas()->Font()->SetLogFont(log);
    const TSize turned = font.TextExtent(QStringLiteral("Rotate me"));
    EXPECT_EQ(turned, RotateExtent(flat, std::numbers::pi / 2, offset));
    // An odd side rounds its half-corners outward by one.
    EXPECT_EQ(turned.cx, flat.cy + flat.cy % 2);
    EXPECT_EQ(turned.cy, flat.cx + flat.cx % 2);
}

TEST(AAMask, ItalicAllowanceIsThirtyPercentOfTheAverageByteWidth) {
    TBitmap bmp(10, 10, pf24bit);
    TAAFont font(bmp.Canvas());
    bmp.Canvas()->Font()->SetStyle(fsItalic);
    for (const QString& text : {QStringLiteral("abcdefghij"), QStringLiteral("列印測試")}) {
        TFont enlarged;
        TLogFont log = bmp.Canvas()->Font()->LogFont();
        log.Height *= 3;
        log.Quality = fqNonAntialiased;
        enlarged.SetLogFont(log);
        const int plain = (TextExtentOf(enlarged, text).cx + 2) / 3;
        const double bytes = static_cast<double>(ToAnsi(text).size());
        EXPECT_EQ(font.TextWidth(text), plain + RoundEven(plain / bytes * 0.3))
            << text.toStdString();
    }
    EXPECT_EQ(RoundEven(100 / 10.0 * 0.3), 3);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(font.TextWidth(QString()), 0);
}

TEST(AAMask, OutlineKeepsBordersAndClearsInteriors) {
    TAAMask flat(nullptr);
    SetMaskRows(flat, {{9, 200, 3}, {0, 255, 7}});
    flat.Outline();
    EXPECT_EQ(MaskRows(flat), (std::vector<std::vector<int>>{{9, 200, 3}, {0, 255, 7}}));

    TAAMask mask(nullptr);
    SetMaskRows(mask, {{0, 0, 0, 0, 0, 0},
                       {0, 255, 255, 255, 255, 0},
                       {0, 255, 255, 255, 255, 0},
                       {0, 255, 255, 255, 255, 0},
                       {0, 255, 255, 255, 255, 0},
                       {0, 0, 0, 0, 0, 0}});
    mask.Outline();
    const auto rows = MaskRows(mask);
    EXPECT_EQ(rows[2][2], 0);
    EXPECT_EQ(rows[3][3], 0);
    // Corner: vertical 255, horizontal 255, diagonal 255, anti-diagonal 0 -> 765 shr 2.
    EXPECT_EQ(rows[1][1], 191);
    // Top edge: vertical 255, horizontal 0, both diagonals 255 -> 191; border rows unchanged.
    EXPECT_EQ(rows[1][2], 191);
    EXPECT_EQ(rows[0], (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rows[4][0], 0);
}

TEST(AAMask, BlurUsesClampedOffsetsAndFloorsTheMix) {
    TAAMask mask(nullptr);
    mask.SetSize(6, 6);
    mask.ScanLine(0)[0] = 255;
    TAAMask half(nullptr);
    half.Assign(&mask);

    mask.Blur(100);
    const auto rows = MaskRows(mask);
    EXPECT_EQ(rows[0][0], 92); // counted 3 x 3 times: 2295 / 25 = 91.8
    EXPECT_EQ(rows[0][1], 61); // 6 times: 1530 / 25 = 61.2
    EXPECT_EQ(rows[1][1], 41); // 4 times: 40.8
    EXPECT_EQ(rows[2][2], 10); // once: 10.2
    EXPECT_EQ(rows[3][3], 0);
    EXPECT_EQ(rows[0][3], 0);

    // Strength 50: t = Round(127.5) = 128; moving down floors toward n.
    half.Blur(50);
    const auto mixed = MaskRows(half);
    EXPECT_EQ(mixed[0][0], 173); // 255 + floor(-163 * 128 / 256)
    EXPECT_EQ(mixed[0][1], 30);  // 0 + floor(61 * 128 / 256)

    TAAMask line(nullptr);
    SetMaskRows(line, {{0, 0, 250, 0, 0, 0}});
    line.Blur(100);
    EXPECT_EQ(MaskRows(line), (std::vector<std::vector<int>>{{50, 50, 50, 50, 50, 0}}));
}

TEST(AAMask, SprayIsReproducibleAndZeroKeepsTheMask) {
    TAAMask mask(nullptr);
    mask.SetSize(12, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 12; ++x)
            mask.ScanLine(y)[x] = static_cast<std::uint8_t>(y * 12 + x);
    const auto original = MaskRows(mask);
    SetRandSeed(99);
    mask.Spray(0);
    EXPECT_EQ(MaskRows(mask), original);

    TAAMask a(nullptr), b(nullptr);
    a.Assign(&mask);
    b.Assign(&mask);
    SetRandSeed(1234);
    a.Spray(3);
    SetRandSeed(1234);
    b.Spray(3);
    EXPECT_EQ(MaskRows(a), MaskRows(b));
    EXPECT_NE(MaskRows(a), original);
    // Every value still comes from the mask (values are 0..83).
    for (const auto& row : MaskRows(a))
        for (int v : row)
            EXPECT_LT(v, 84);
}

TEST(AAMask, MirrorsTwiceRestoreAndKeepTheMiddle) {
    TAAMask mask(nullptr);
    SetMaskRows(mask, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}});
    const auto original = MaskRows(mask);
    mask.HorzMirror();
    EXPECT_EQ(MaskRows(mask)[0], (std::vector<int>{5, 4, 3, 2, 1}));
    mask.HorzMirror();
    EXPECT_EQ(MaskRows(mask), original);
    mask.VertMirror();
    EXPECT_EQ(MaskRows(mask)[0], (std::vector<int>{11, 12, 13, 14, 15}));
    EXPECT_EQ(MaskRows(mask)[1], (std::vector<int>{6, 7, 8, 9, 10}));
    mask.VertMirror();
    EXPECT_EQ(MaskRows(mask), original);
}

TEST(AAMask, AssignCopiesIndependentlyAndRefusesOtherClasses) {
    TAAMask source(nullptr);
    source.SetQuality(aqHigh);
    SetMaskRows(source, {{1, 2, 3}, {4, 5, 6}});
    TAAMask copy(nullptr);
    copy.Assign(&source);
    EXPECT_EQ(copy.Quality(), aqHigh);
    EXPECT_EQ(copy.Scale(), 4);
    source.ScanLine(0)[0] = 99;
    EXPECT_EQ(MaskRows(copy), (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}}));
    TAABlend blend(nullptr);
    EXPECT_THROW(copy.Assign(&blend), EConvertError);
    EXPECT_THROW(copy.Assign(nullptr), EConvertError);
}
