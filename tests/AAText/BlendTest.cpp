#include "Helpers.h"

#include "Rtl/Exceptions.h"

#include <gtest/gtest.h>

TEST(AABlend, FullCoverageAtFullAlphaIsTheColourAndZeroKeepsTheBackground) {
    Surface s(6, 3, RGB(10, 20, 30));
    SetMaskRows(*s.Font.Mask(), {{255, 0, 1, 128}});
    s.Font.Blend()->BlendColor(1, 1, RGB(250, 100, 0), 100, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 1, 1), (Bgr{0, 100, 250}));
    EXPECT_EQ(PixelAt(s.Bmp, 2, 1), (Bgr{30, 20, 10}));
    // Coverage 1 at alpha 100: w = 1; floor keeps rising channels and lowers falling ones by 1.
    EXPECT_EQ(PixelAt(s.Bmp, 3, 1), (Bgr{29, 20, 10}));
    // w = 128: 10 + floor(240 * 128 / 256) = 130; 30 + floor(-30 * 128 / 256) = 15.
    EXPECT_EQ(PixelAt(s.Bmp, 4, 1), (Bgr{15, 60, 130}));
    EXPECT_EQ(PixelAt(s.Bmp, 0, 1), (Bgr{30, 20, 10}));
    EXPECT_EQ(PixelAt(s.Bmp, 5, 1), (Bgr{30, 20, 10}));
}

TEST(AABlend, LowerAlphaMixesAndFloors) {
    Surface s(4, 1, RGB(0, 200, 200));
    SetMaskRows(*s.Font.Mask(), {{255, 128, 100}});
    // Alpha 50: f = 128, w = 127 for full coverage: red 0 -> 126.
    s.Font.Blend()->BlendColor(0, 0, RGB(255, 100, 200), 50, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 0, 0).R, 126);
    EXPECT_EQ(PixelAt(s.Bmp, 0, 0).G, 150); // 200 + floor(-49.6)
    // Coverage times f below 256 leaves the pixel alone (alpha 99: f = 253).
    Surface low(1, 1, RGB(0, 200, 200));
    SetMaskRows(*low.Font.Mask(), {{1}});
    low.Font.Blend()->BlendColor(0, 0, clBlack, 99, low.Font.Mask());
    EXPECT_EQ(PixelAt(low.Bmp, 0, 0), (Bgr{200, 200, 0}));
    // Toward a darker target at alpha 100: w = 128 gives 150, w = 100 gives 160.
    Surface d(2, 1, RGB(200, 200, 200));
    SetMaskRows(*d.Font.Mask(), {{128, 100}});
    d.Font.Blend()->BlendColor(0, 0, RGB(100, 100, 100), 100, d.Font.Mask());
    EXPECT_EQ(PixelAt(d.Bmp, 0, 0), (Bgr{150, 150, 150}));
    EXPECT_EQ(PixelAt(d.Bmp, 1, 0), (Bgr{160, 160, 160}));
}

TEST(AABlend, SolidBrushFillsTheRectangleClearBrushKeepsThePixels) {
    Surface s(4, 2, RGB(1, 2, 3));
    s.Bmp.Canvas()->SetPixel(1, 0, RGB(9, 9, 9));
    SetMaskRows(*s.Font.Mask(), {{0, 0}});
    s.Font.Blend()->BlendColor(0, 0, clRed, 100, s.Font.Mask());
    // The surface brush (white by default after the fill colour was set) was solid.
    s.Bmp.Canvas()->Brush()->SetColor(RGB(40, 50, 60));
    s.Font.Blend()->BlendColor(0, 0, clRed, 100, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 0, 0), (Bgr{60, 50, 40}));
    EXPECT_EQ(PixelAt(s.Bmp, 1, 0), (Bgr{60, 50, 40}));
    EXPECT_EQ(PixelAt(s.Bmp, 2, 0), (Bgr{3, 2, 1}));

    s.Bmp.Canvas()->SetPixel(3, 1, RGB(9, 8, 7));
    s.Bmp.Canvas()->Brush()->SetStyle(bsClear);
    SetMaskRows(*s.Font.Mask(), {{0, 255}});
    s.Font.Blend()->BlendColor(2, 1, clBlue, 100, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 2, 1), (Bgr{3, 2, 1}));
    EXPECT_EQ(PixelAt(s.Bmp, 3, 1), (Bgr{255, 0, 0}));
    // Alpha 0 changes nothing but the background step.
    s.Font.Blend()->BlendColor(2, 0, clBlue, 0, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 3, 0), (Bgr{3, 2, 1}));
}

TEST(AABlend, ForegroundBitmapGivesEachPixelItsColourAndMustMatchTheMask) {
    Surface s(3, 1, RGB(0, 0, 0));
    SetMaskRows(*s.Font.Mask(), {{255, 128, 0}});
    TBitmap* fore = s.Font.Blend()->ForeBmp();
    fore->SetSize(3, 1);
    std::uint8_t* row = fore->ScanLine(0);
    const std::uint8_t colours[9] = {1, 2, 3, 200, 100, 50, 7, 7, 7};
    std::copy(colours, colours + 9, row);
    s.Font.Blend()->BlendForeBmp(0, 0, 100, s.Font.Mask());
    EXPECT_EQ(PixelAt(s.Bmp, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(PixelAt(s.Bmp, 1, 0), (Bgr{100, 50, 25}));
    EXPECT_EQ(PixelAt(s.Bmp, 2, 0), (Bgr{0, 0, 0}));

    s.Bmp.Canvas()->Brush()->SetColor(clWhite);
    fore->SetSize(2, 1);
    try {
        s.Font.Blend()->BlendForeBmp(0, 0, 100, s.Font.Mask());
        ADD_FAILURE() << "a narrower foreground was accepted";
    } catch (const EInvalidForeBmp& e) {
        EXPECT_EQ(e.Message(), "Invalid foreground bitmap!");
    }
    EXPECT_EQ(PixelAt(s.Bmp, 2, 0), (Bgr{0, 0, 0})); // nothing drawn
    fore->SetSize(3, 1);
    fore->SetPixelFormat(pf32bit);
    EXPECT_THROW(s.Font.Blend()->BlendForeBmp(0, 0, 100, s.Font.Mask()), EInvalidForeBmp);
}

TEST(AABlend, NoSurfaceDrawsNothingAndSystemColoursResolve) {
    TAAFont lone(nullptr);
    SetMaskRows(*lone.Mask(), {{255}});
    lone.Blend()->BlendColor(0, 0, clRed, 100, lone.Mask());
    lone.Blend()->ForeBmp()->SetSize(5, 5);
    EXPECT_NO_THROW(lone.Blend()->BlendForeBmp(0, 0, 100, lone.Mask()));

    Surface s(1, 1, clWhite);
    SetMaskRows(*s.Font.Mask(), {{255}});
    s.Font.Blend()->BlendColor(0, 0, clWindowText, 100, s.Font.Mask());
    const TColor c = ColorToRGB(clWindowText);
    EXPECT_EQ(PixelAt(s.Bmp, 0, 0), (Bgr{GetBValue(c), GetGValue(c), GetRValue(c)}));
}
