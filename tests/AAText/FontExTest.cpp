#include "Helpers.h"

#include "AAText/AAFontEx.h"
#include "Rtl/Random.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <numbers>

namespace {

// A white 24-bit surface with black text at full-coverage quality, so covered pixels are exact.
struct Scene {
    TBitmap Bmp;
    TAAFontEx Font;
    TAAEffect& E;
    Scene(int w, int h) : Bmp(w, h, pf24bit), Font(Bmp.Canvas()), E(*Font.Effect()) {
        TCanvas* c = Bmp.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, w, h));
        c->Font()->SetHeight(-24);
        c->Font()->SetColor(clBlack);
        Font.SetQuality(aqHigh);
    }
    // Coverage of text rendered the way TextOut renders it, before any blur.
    std::vector<std::vector<int>> Coverage(const QString& text) {
        TAAMask m(&Font);
        m.SetQuality(Font.Quality());
        m.DrawMask(text);
        return MaskRows(m);
    }
};

int At(const std::vector<std::vector<int>>& rows, int x, int y) {
    if (y < 0 || y >= static_cast<int>(rows.size()) || x < 0 ||
        x >= static_cast<int>(rows[0].size()))
        return 0;
    return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
}

int MixChannel(int p, int t, int coverage, int alpha) {
    const int w = (coverage * (alpha * 256 / 100)) >> 8;
    if (w == 0)
        return p;
    if (w == 255)
        return t;
    return p + (((t - p) * w) >> 8);
}

} // namespace

TEST(AAFontEx, CaptionWithShadowAndGradientRampsAndCastsTheShadowDownRight) {
    Scene s(220, 50);
    s.E.Shadow().SetEnabled(true);
    s.E.Shadow().SetBlur(0);
    s.E.Gradual().SetEnabled(true);
    s.E.Gradual().SetStartColor(clRed);
    s.E.Gradual().SetEndColor(clBlue);
    const QString text = QStringLiteral("HIMHIMHIM");
    const auto cov = s.Coverage(text);
    const int w = static_cast<int>(cov[0].size()), h = static_cast<int>(cov.size());
    EXPECT_EQ(s.Font.TextExtent(text), (TSize{w + 2, h + 2}));
    const int X = 5, Y = 3;
    s.Font.TextOut(X, Y, text);

    int rampChecked = 0, shadowChecked = 0, firstFull = -1, lastFull = -1;
    for (int y = 0; y < h + 2; ++y) {
        for (int x = 0; x < w + 2; ++x) {
            const Bgr p = PixelAt(s.Bmp, X + x, Y + y);
            const int text = At(cov, x, y), shade = At(cov, x - 2, y - 2);
            if (text == 255) {
                // Ramp entry x: red falls from 255 toward 0, blue rises, one step short.
                EXPECT_EQ(p, (Bgr{255 * x / w, 0, 255 - 255 * x / w})) << x << "," << y;
                firstFull = firstFull < 0 ? x : firstFull;
                lastFull = x;
                ++rampChecked;
            } else if (text == 0) {
                const int c = MixChannel(255, 0x44, shade, 70);
                EXPECT_EQ(p, (Bgr{c, c, c})) << x << "," << y;
                shadowChecked += shade == 255;
            }
        }
    }
    EXPECT_GT(rampChecked, 100);
    EXPECT_GT(shadowChecked, 20);
    EXPECT_LT(firstFull, w / 4);
    EXPECT_GT(lastFull, 3 * w / 4);
    EXPECT_EQ(PixelAt(s.Bmp, X + 1, Y + 1).R - PixelAt(s.Bmp, X + 1, Y + 1).B, 0); // white
}

TEST(AAFontEx, TextBlurAndShadowBlurStayApart) {
    const QString text = QStringLiteral("l");
    for (bool blurText : {true, false}) {
        Scene s(60, 40);
        s.E.Shadow().SetEnabled(true);
        s.E.Shadow().SetOffsetX(20);
        s.E.Shadow().SetOffsetY(0);
        s.E.Shadow().SetAlpha(100);
        s.E.Shadow().SetColor(clBlack);
        s.E.Shadow().SetBlur(blurText ? 0 : 100);
        s.E.SetBlur(blurText ? 100 : 0);
        const auto sharp = s.Coverage(text);
        TAAMask soft(nullptr);
        SetMaskRows(soft, {});
        {
            TAAMask m(&s.Font);
            m.SetQuality(aqHigh);
            m.DrawMask(text);
            m.Blur(100);
            soft.Assign(&m);
        }
        const auto blurred = MaskRows(soft);
        ASSERT_LT(static_cast<int>(sharp[0].size()), 16);
        s.Font.TextOut(0, 0, text);
        const auto& textCov = blurText ? blurred : sharp;
        const auto& shadeCov = blurText ? sharp : blurred;
        for (int y = 0; y < static_cast<int>(sharp.size()); ++y) {
            for (int x = 0; x < 40; ++x) {
                const int textValue = At(textCov, x, y), shadeValue = At(shadeCov, x - 20, y);
                const int expected =
                    MixChannel(MixChannel(255, 0, shadeValue, 100), 0, textValue, 100);
                ASSERT_EQ(PixelAt(s.Bmp, x, y).G, expected)
                    << (blurText ? "text blur " : "shadow blur ") << x << "," << y;
            }
        }
    }
}

TEST(AAFontEx, ShadowAlphaScalesWithTheEffectAlphaAndNegativeOffsetsMoveTheText) {
    Scene s(80, 40);
    s.E.Shadow().SetEnabled(true);
    s.E.Shadow().SetBlur(0);
    s.E.Shadow().SetColor(clBlack);
    s.E.Shadow().SetOffsetX(-3);
    s.E.Shadow().SetOffsetY(1);
    s.E.SetAlpha(50);
    EXPECT_EQ(s.Font.GetTextPoint(), (TPoint{3, 0}));
    EXPECT_EQ(s.Font.GetShadowPoint(), (TPoint{0, 1}));
    const QString text = QStringLiteral("T");
    const auto cov = s.Coverage(text);
    EXPECT_EQ(s.Font.TextExtent(text),
              (TSize{static_cast<int>(cov[0].size()) + 3, static_cast<int>(cov.size()) + 1}));
    s.Font.TextOut(10, 10, text);
    int checked = 0;
    for (int y = 0; y < static_cast<int>(cov.size()) + 1; ++y)
        for (int x = 0; x < static_cast<int>(cov[0].size()) + 3; ++x) {
            const int textValue = At(cov, x - 3, y), shadeValue = At(cov, x, y - 1);
            // 70 * 50 div 100 = 35.
            const int expected = MixChannel(MixChannel(255, 0, shadeValue, 35), 0, textValue, 50);
            ASSERT_EQ(PixelAt(s.Bmp, 10 + x, 10 + y).R, expected) << x << "," << y;
            checked += shadeValue == 255 && textValue == 0;
        }
    EXPECT_GT(checked, 5);
}

TEST(AAFontEx, AngleTurnsTheMeasureAndLeavesTheSurfaceFontAsItWas) {
    Scene s(100, 200);
    const QString text = QStringLiteral("Angle");
    const TSize flat = s.Font.TextExtent(text);
    const TLogFont before = s.Bmp.Canvas()->Font()->LogFont();
    s.E.SetAngle(90);
    TPoint offset;
    EXPECT_EQ(s.Font.TextExtent(text), RotateExtent(flat, std::numbers::pi / 2, offset));
    EXPECT_EQ(s.Bmp.Canvas()->Font()->LogFont(), before);
    s.Font.TextOut(10, 10, text);
    EXPECT_EQ(s.Bmp.Canvas()->Font()->LogFont(), before);
    // The text now runs bottom to top: more ink in a column than in a row.
    int inkRows = 0, inkColumns = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 100; ++x)
            if (PixelAt(s.Bmp, x, y).G < 128) {
                inkRows = std::max(inkRows, y);
                inkColumns = std::max(inkColumns, x);
            }
    EXPECT_GT(inkRows - 10, inkColumns - 10);
    // A failing blend still gives the font back.
    s.E.Gradual().SetEnabled(true);
    s.Font.Blend()->ForeBmp()->SetPixelFormat(pf8bit);
    s.Font.TextOut(10, 10, text); // the fill makes it 24-bit again
    EXPECT_EQ(s.Bmp.Canvas()->Font()->LogFont(), before);
}

TEST(AAFontEx, GradientRampsStopOneStepShortAndMirrorAtTheCentre) {
    Scene s(10, 10);
    s.E.Gradual().SetEnabled(true);
    s.Font.Mask()->SetSize(4, 2);
    s.Font.FillGradual();
    TBitmap& fore = *s.Font.Blend()->ForeBmp();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(fore, x, y).R, (std::vector<int>{255, 192, 128, 64}[x]));

    s.E.Gradual().SetStyle(gsCenterToLR);
    s.Font.Mask()->SetSize(5, 1);
    s.Font.FillGradual();
    std::vector<int> reds;
    for (int x = 0; x < 5; ++x)
        reds.push_back(PixelAt(fore, x, 0).R);
    EXPECT_EQ(reds, (std::vector<int>{0, 85, 170, 85, 0}));

    s.E.Gradual().SetStyle(gsBottomToTop);
    s.E.Gradual().SetStartColor(RGB(0, 0, 200));
    s.E.Gradual().SetEndColor(RGB(0, 100, 0));
    s.Font.Mask()->SetSize(2, 3);
    s.Font.FillGradual();
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(PixelAt(fore, 1, y), (Bgr{200 * y / 3, 100 - 100 * y / 3, 0}));
}

TEST(AAFontEx, NoiseIsReproducibleWithASeed) {
    Scene s(10, 10);
    s.Bmp.Canvas()->Font()->SetColor(RGB(100, 150, 2));
    s.E.SetNoise(40);
    s.Font.Mask()->SetSize(9, 4);
    auto fill = [&] {
        s.Font.FillNoiseColor();
        std::vector<Bgr> pixels;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x)
                pixels.push_back(PixelAt(*s.Font.Blend()->ForeBmp(), x, y));
        return pixels;
    };
    SetRandSeed(7);
    const auto a = fill();
    SetRandSeed(7);
    const auto b = fill();
    EXPECT_EQ(a, b);
    bool varied = false;
    for (const Bgr& p : a) {
        EXPECT_GE(p.R, 80);
        EXPECT_LT(p.R, 120);
        EXPECT_GE(p.G, 130);
        EXPECT_LT(p.G, 170);
        EXPECT_LT(p.B, 22); // 2 - 20 is cut at 0
        varied |= p.R != a[0].R;
    }
    EXPECT_TRUE(varied);
    // The first pixel's three draws go red, green, blue.
    SetRandSeed(7);
    const int r = Random(40), g = Random(40), bl = Random(40);
    EXPECT_EQ(a[0], (Bgr{std::max(2 + bl - 20, 0), 150 + g - 20, 100 + r - 20}));
}

TEST(AAFontEx, TexturesTileCentreAndStretch) {
    Scene s(10, 10);
    s.Bmp.Canvas()->Font()->SetColor(RGB(1, 2, 3));
    TAATexture& tex = s.E.Texture();
    tex.SetEnabled(true);
    TBitmap* g = tex.Picture().Bitmap();
    g->SetPixelFormat(pf24bit);
    g->SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            g->Canvas()->SetPixel(x, y, RGB(10 * x, 10 * y, 77));
    s.Font.Mask()->SetSize(7, 5);
    s.Font.FillTexture();
    TBitmap& fore = *s.Font.Blend()->ForeBmp();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(PixelAt(fore, x, y), (Bgr{77, 10 * (y % 2), 10 * (x % 3)}));

    tex.SetMode(tmNormal);
    s.Font.FillTexture();
    EXPECT_EQ(PixelAt(fore, 2, 1), (Bgr{77, 10, 20}));
    EXPECT_EQ(PixelAt(fore, 3, 0), (Bgr{3, 2, 1})); // uncovered: the font colour
    EXPECT_EQ(PixelAt(fore, 0, 2), (Bgr{3, 2, 1}));

    // A graphic larger than the text starts at negative coordinates.
    g->SetSize(20, 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 20; ++x)
            g->Canvas()->SetPixel(x, y, RGB(x, y, 99));
    tex.SetMode(tmCenter);
    s.Font.FillTexture();
    // (7 - 20) / 2 = -6 and (5 - 11) / 2 = -3, truncated toward zero.
    EXPECT_EQ(PixelAt(fore, 0, 0), (Bgr{99, 3, 6}));
    EXPECT_EQ(PixelAt(fore, 6, 4), (Bgr{99, 7, 12}));

    // An icon is flattened at its own size, then stretched.
    auto icon = std::make_unique<TIcon>();
    QImage img(2, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(0, 0, 255, 255));
    img.setPixel(1, 0, qRgba(0, 0, 0, 0));
    icon->SetImage(img);
    tex.Picture().SetGraphic(std::move(icon));
    tex.SetMode(tmStretched);
    s.Font.Mask()->SetSize(4, 2);
    s.Font.FillTexture();
    const TColor back = ColorToRGB(fore.Canvas()->Font()->Color());
    EXPECT_EQ(PixelAt(fore, 1, 1), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(fore, 3, 0), (Bgr{GetBValue(back), GetGValue(back), GetRValue(back)}));
}

TEST(AAFontEx, PlainTextFillsTheBrushAndSkipsWithoutSurfaceOrText) {
    Scene s(120, 40);
    s.Bmp.Canvas()->Brush()->SetColor(RGB(0, 0, 200));
    s.Bmp.Canvas()->Font()->SetColor(RGB(255, 255, 0));
    const QString text = QStringLiteral("Hi");
    const auto cov = s.Coverage(text);
    s.Font.TextOut(2, 2, text);
    for (int y = 0; y < static_cast<int>(cov.size()); ++y)
        for (int x = 0; x < static_cast<int>(cov[0].size()); ++x) {
            const int v = At(cov, x, y);
            ASSERT_EQ(PixelAt(s.Bmp, 2 + x, 2 + y),
                      (Bgr{MixChannel(200, 0, v, 100), MixChannel(0, 255, v, 100),
                           MixChannel(0, 255, v, 100)}));
        }
    EXPECT_EQ(PixelAt(s.Bmp, 1, 1), (Bgr{255, 255, 255})); // outside the box: untouched

    s.Bmp.Canvas()->Brush()->SetColor(clBlack);
    s.Font.TextOut(60, 2, QString());
    EXPECT_EQ(PixelAt(s.Bmp, 60, 2), (Bgr{255, 255, 255}));

    TAAFontEx lone(nullptr);
    lone.Effect()->Shadow().SetEnabled(true);
    EXPECT_EQ(lone.TextExtent(text), (TSize{2, 2}));
    EXPECT_NO_THROW(lone.TextOut(0, 0, text));
}

TEST(AAFontEx, RendersACaptionWithEffectsToAPicture) {
    // Kept as a file for looking at: VEMIX_AATEXT_PNG names where.
    TBitmap bmp(258, 40, pf24bit);
    TAAFontEx font(bmp.Canvas());
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(RGB(240, 240, 230));
    c->FillRect(Rect(0, 0, 258, 40));
    c->Font()->SetHeight(-26);
    c->Font()->SetStyle(fsBold);
    c->Font()->SetColor(clNavy);
    TAAEffect& e = *font.Effect();
    e.Shadow().SetEnabled(true);
    e.Gradual().SetEnabled(true);
    e.Gradual().SetStartColor(RGB(220, 30, 30));
    e.Gradual().SetEndColor(RGB(30, 30, 220));
    e.SetNoise(30);
    SetRandSeed(42);
    const QString caption = QStringLiteral("發票測試 Vemix");
    font.TextOut(4, 4, caption);
    const TSize box = font.TextExtent(caption);
    EXPECT_GT(box.cx, 100);
    const QByteArray path = qgetenv("VEMIX_AATEXT_PNG");
    TempDir dir;
    const QString file = path.isEmpty() ? QString::fromStdString(dir.Path()) + "/caption.png"
                                        : QString::fromUtf8(path);
    ASSERT_TRUE(bmp.SaveToFile(file));
    TBitmap back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.Width(), 258);
    // Ink reached the image: some pixel is far from the background.
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 258; ++x)
            inked += PixelAt(bmp, x, y).B < 150;
    EXPECT_GT(inked, 200);
}

TEST(AAFontEx, DenserSurfaceDrawsWhatATwiceAsLargeFontDrawsAtDoubledPlaces) {
    // A surface of 2 device pixels per unit: the text, its shadow and every position grow by 2,
    // exactly as the same caption in a font of twice the height at doubled coordinates.
    auto draw = [](double ratio, int height, int x, int y, int offset) {
        auto bmp = std::make_unique<TBitmap>(200, 80, pf24bit);
        TCanvas* c = bmp->Canvas();
        c->Brush()->SetColor(RGB(240, 240, 230));
        c->FillRect(Rect(0, 0, 200, 80));
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetHeight(height);
        c->Font()->SetColor(clNavy);
        c->SetPixelRatio(ratio);
        TAAFontEx font(c);
        font.Effect()->Shadow().SetEnabled(true);
        font.Effect()->Shadow().SetOffsetX(static_cast<std::int8_t>(offset));
        font.Effect()->Shadow().SetOffsetY(static_cast<std::int8_t>(-offset));
        font.Effect()->SetBlur(20);
        font.TextOut(x, y, QStringLiteral("Ag發"));
        // Measuring stays in the surface's units.
        EXPECT_EQ(font.TextExtent(QStringLiteral("Ag發")).cy,
                  font.Mask()->TextSize(QStringLiteral("Ag發")).cy + std::abs(offset));
        return bmp;
    };
    const auto denser = draw(2, -14, 5, 4, 2);
    const auto larger = draw(1, -28, 10, 8, 4);
    EXPECT_EQ(denser->Image(), larger->Image());
    // At 1.5 the font is the largest whole work size within 1.5 times: never larger than the
    // box measured at 1.
    const auto between = draw(1.5, -14, 0, 0, 0);
    int right = 0, bottom = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x)
            if (PixelAt(*between, x, y).R < 200) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    TBitmap plain(4, 4, pf24bit);
    plain.Canvas()->Font()->SetHeight(-14);
    TAAFontEx measure(plain.Canvas());
    const TSize box = measure.TextExtent(QStringLiteral("Ag發"));
    EXPECT_GT(right, box.cx * 1.5 * 0.8);
    EXPECT_LT(right, box.cx * 1.5);
    EXPECT_LT(bottom, box.cy * 1.5);
}
