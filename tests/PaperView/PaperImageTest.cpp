// The paper's picture: the text drawing against one image kept in tests/ (pixel for pixel),
// and images, bit images, stored graphics and cuts dot for dot where the commands put them.
#include "PaperView/PaperImage.h"
#include "Rtl/CodePage.h"

#include <QFile>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

template <std::size_t N> std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Every style a receipt uses, Big5 in Chinese mode, single-byte code tables, sizes.
std::string StylesReceipt() {
    const TCodePage big5("CP950");
    auto b5 = [&big5](const char* text) { return big5.Encode(QString::fromUtf8(text)); };
    std::string r = S("\x1b@\x1b"
                      "a\x01\x1d!\x11") +
                    b5("測試股份有限公司") + "\n";
    r += S("\x1d!\x00") + b5("台北市信義區松仁路100號12樓") + "\n";
    r += S("\x1c!\x04") + b5("中文倍寬") + S("\x1c!\x08") + b5("倍高") +
         S("\x1c!\x00\x1b"
           "a\x00") +
         "\n";
    r += S("\x1cS\x04\x04") + b5("字距四點") + S("\x1cS\x00\x00\x1c-\x01") + b5("底線") +
         S("\x1c-\x00") + "\n";
    r += "Font A 0123456789 ABCDEFGHIJ\n" + S("\x1bM\x01") +
         "Font B 0123456789 ABCDEFGHIJKLMNOPQR\n";
    r += S("\x1bM\x00\x1b"
           "E\x01") +
         "Emphasis" +
         S("\x1b"
           "E\x00 \x1b-\x01") +
         "Under 1" + S("\x1b-\x02") + " Under 2" + S("\x1b-\x00") + "\n";
    r += S("\x1d"
           "B\x01") +
         " Reverse " +
         S("\x1d"
           "B\x00 \x1b"
           "4\x01") +
         "Italic" +
         S("\x1b"
           "4\x00 \x1b \x03") +
         "Spaced" + S("\x1b \x00") + "\n";
    r += S("\x1d!\x10") + "Wide" + S("\x1d!\x01") + "Tall" + S("\x1d!\x11") + "2x2" +
         S("\x1d!\x33") + "4x4" + S("\x1d!\x00") + "\n";
    r += "Item\tQty\tPrice\n" +
         S("\x1b"
           "a\x02") +
         "Right\n" +
         S("\x1b"
           "a\x00");
    r += S("\x1b{\x01") + "Upside down\n" + S("\x1b{\x00\x1bV\x01") + "Turned" + S("\x1bV\x00") +
         "\n";
    r += S("\x1c.\x1bt\x10") + "caf\xe9 \x80 " + S("\x1bt\x11") + "\x8f\xe0\xa8\xa2\xa5\xe2 " +
         S("\x1bt\x00") + "\xc9\xcd\xbb\xb0\xb1\xb2\n" + S("\x1c&");
    r += S("\x1b"
           "3\x18") +
         "Line spacing 24\nLine spacing 24\n" +
         S("\x1b"
           "2");
    return r;
}

QImage Mono(const QImage& image) {
    return image.convertToFormat(QImage::Format_Mono, {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                                 Qt::ThresholdDither);
}

// Pixels that differ between two pictures of the same size.
int Differences(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differ += (qGray(a.pixel(x, y)) < 128) != (qGray(b.pixel(x, y)) < 128);
    return differ;
}

int DarkIn(const QImage& image, QRect r) {
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

} // namespace

TEST(PaperImage, TextDrawsAsTheGoldenImage) {
    const QImage drawn = DrawReceipt(StylesReceipt());
    ASSERT_EQ(drawn.width(), 384);
    const QString golden = QStringLiteral(VEMIX_GOLDEN_DIR "/styles.png");
    if (std::getenv("VEMIX_REFRESH_GOLDEN")) {
        ASSERT_TRUE(Mono(drawn).save(golden, "PNG"));
        GTEST_SKIP() << "wrote " << golden.toStdString();
    }
    const QImage expected(golden);
    ASSERT_FALSE(expected.isNull()) << "no golden image; run scripts/refresh-golden";
    ASSERT_EQ(drawn.size(), expected.size());
    EXPECT_EQ(Differences(drawn, expected), 0) << "scripts/refresh-golden writes it anew";
}

TEST(PaperImage, ImagesPrintDotForDotWhereTheCommandsPutThem) {
    // GS v 0 in all four scale modes: a row 0x81 then 0x42, 8 dots wide, centred.
    std::string bytes = S("\x1b@\x1b"
                          "a\x01");
    for (const char mode : {'\x00', '\x01', '\x02', '\x03'})
        bytes += S("\x1dv0") + mode + S("\x01\x00\x02\x00\x81\x42");
    // ESC * 33: one column of 24 dots with the top and bottom dot set, three columns wide,
    // then ESC * 0: 8 dots a column, each three dots tall and two wide.
    bytes += S("\x1b"
               "a\x00\x1b*\x21\x03\x00") +
             S("\x80\x00\x01\x80\x00\x01\x80\x00\x01") + "\n";
    bytes += S("\x1b*\x00\x01\x00\x81") + "\n";
    // GS ( L: stored, then printed at double size.
    bytes += S("\x1d(L\x0b\x00\x30\x70\x30\x02\x02\x31\x08\x00\x01\x00\xf0");
    bytes += S("\x1d(L\x02\x00\x30\x32");
    bytes += S("\x1dV\x00");
    const QImage image = DrawReceipt(bytes);
    auto dot = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    // Normal: 8 x 2 at x 188.
    EXPECT_TRUE(dot(188, 0) && dot(195, 0) && !dot(189, 0) && dot(189, 1) && dot(194, 1));
    // Double width: 16 x 2 at x 184; double height: 8 x 4; quadruple: 16 x 4.
    EXPECT_TRUE(dot(184, 2) && dot(185, 2) && !dot(186, 2) && dot(198, 2) && dot(199, 2));
    EXPECT_TRUE(dot(188, 4) && dot(188, 5) && !dot(188, 6) && dot(189, 6) && dot(189, 7));
    EXPECT_TRUE(dot(184, 8) && dot(185, 9) && !dot(186, 8) && dot(186, 10) && dot(187, 11));
    EXPECT_EQ(DarkIn(image, QRect(0, 0, 384, 12)), 4 + 4 * 2 + 4 * 2 + 4 * 4);
    // The bit image band of 24 dots stands on a line of 30 from y 12.
    EXPECT_EQ(DarkIn(image, QRect(0, 12, 384, 30)), 6);
    EXPECT_TRUE(dot(0, 12) && dot(2, 12) && dot(0, 35) && !dot(3, 12) && !dot(0, 13));
    // ESC * 0: the top and bottom dot, each 2 x 3.
    EXPECT_EQ(DarkIn(image, QRect(0, 42, 384, 30)), 12);
    EXPECT_TRUE(dot(0, 42) && dot(1, 44) && !dot(2, 42) && dot(0, 63) && dot(1, 65));
    // GS ( L: four dots of 2 x 2 from y 72, then the cut's dashes across the page.
    EXPECT_EQ(DarkIn(image, QRect(0, 72, 384, 2)), 16);
    EXPECT_TRUE(dot(0, 72) && dot(7, 73) && !dot(8, 72));
    EXPECT_EQ(image.height(), 75);
    EXPECT_EQ(DarkIn(image, QRect(0, 74, 384, 1)), 39 * 6 - 2);
}

TEST(PaperImage, EightyMillimetrePaperAndItsRightEdge) {
    TReceiptSetup setup;
    setup.WidthDots = TPaper::Width80;
    const QImage image = DrawReceipt(S("\x1b"
                                       "a\x02\x1d"
                                       "B\x01") +
                                         "R\n",
                                     setup);
    ASSERT_EQ(image.width(), 576);
    // The reversed cell of R is the last 12 dots of the line, all 24 rows of it.
    EXPECT_GT(DarkIn(image, QRect(564, 0, 12, 24)), 200);
    EXPECT_EQ(DarkIn(image, QRect(0, 0, 564, 30)), 0);
}
