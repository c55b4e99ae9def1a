#include "Helpers.h"

#include "Graphics/Bitmap.h"
#include "Graphics/Picture.h"
#include "Rtl/Exceptions.h"
#include "Rtl/Random.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>

TEST(DrawingLayer, BitmapRowsAreAlignedAndResizingKeepsPixels) {
    TBitmap gray(5, 3, pf8bit);
    EXPECT_EQ(gray.Image().format(), QImage::Format_Grayscale8);
    EXPECT_EQ(gray.BytesPerLine(), 8);
    TBitmap bmp(5, 2, pf24bit);
    EXPECT_EQ(bmp.Image().format(), QImage::Format_BGR888);
    EXPECT_EQ(bmp.BytesPerLine(), 16);
    bmp.Canvas()->SetPixel(4, 1, RGB(1, 2, 3));
    EXPECT_EQ(PixelAt(bmp, 4, 1), (Bgr{3, 2, 1}));
    EXPECT_EQ(bmp.ScanLine(1) - bmp.ScanLine(0), 16);
    bmp.SetSize(7, 3);
    EXPECT_EQ(PixelAt(bmp, 4, 1), (Bgr{3, 2, 1}));
    EXPECT_EQ(PixelAt(bmp, 6, 2), (Bgr{255, 255, 255}));
    EXPECT_THROW(bmp.ScanLine(3), EInvalidOperation);
    EXPECT_THROW(bmp.ScanLine(-1), EInvalidOperation);
    bmp.SetWidth(0);
    EXPECT_TRUE(bmp.Empty());
}

TEST(DrawingLayer, AliasedTextIsPureAndEscapementTurnsIt) {
    TBitmap bmp(80, 80, pf8bit);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, 80, 80));
    TLogFont log = c->Font()->LogFont();
    log.Height = -20;
    log.Quality = fqNonAntialiased;
    c->Font()->SetLogFont(log);
    c->Font()->SetColor(clWhite);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(2, 2, QStringLiteral("Ab"));
    std::set<int> levels;
    int right = 0, bottom = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const int v = bmp.ScanLine(y)[x];
            levels.insert(v);
            if (v) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_EQ(levels, (std::set<int>{0, 255}));
    EXPECT_GT(right, bottom); // runs to the right

    // 90 degrees counter-clockwise about the reference point: the text runs upward.
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, 0, 80, 80));
    log.Escapement = 900;
    c->Font()->SetLogFont(log);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(2, 78, QStringLiteral("Ab"));
    int top = 80, maxX = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
            if (bmp.ScanLine(y)[x]) {
                top = std::min(top, y);
                maxX = std::max(maxX, x);
            }
    EXPECT_LT(top, 78 - 15);
    EXPECT_LT(maxX, 2 + 30);
}

TEST(DrawingLayer, BlockCopiesHonourRasterOpsAndCutAtTheEdges) {
    TBitmap src(4, 4, pf24bit), dst(4, 4, pf24bit);
    src.Canvas()->Brush()->SetColor(RGB(0x0F, 0xF0, 0x55));
    src.Canvas()->FillRect(Rect(0, 0, 4, 4));
    dst.Canvas()->Brush()->SetColor(RGB(0xFF, 0xFF, 0x00));
    dst.Canvas()->FillRect(Rect(0, 0, 4, 4));
    dst.Canvas()->SetCopyMode(cmSrcInvert);
    dst.Canvas()->CopyRect(Rect(0, 0, 2, 2), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(PixelAt(dst, 1, 1), (Bgr{0x55, 0x0F, 0xF0}));
    EXPECT_EQ(PixelAt(dst, 2, 2), (Bgr{0x00, 0xFF, 0xFF}));

    // A plain copy from partly outside the source keeps the destination there.
    dst.Canvas()->SetCopyMode(cmSrcCopy);
    src.Canvas()->SetPixel(0, 0, RGB(9, 8, 7));
    dst.Canvas()->CopyRect(Rect(1, 1, 4, 4), src.Canvas(), Rect(-1, -1, 2, 2));
    EXPECT_EQ(PixelAt(dst, 2, 2), (Bgr{7, 8, 9}));
    EXPECT_EQ(PixelAt(dst, 1, 1), (Bgr{0x55, 0x0F, 0xF0}));
    // Stretching doubles pixels.
    TBitmap big(8, 8, pf24bit);
    big.Canvas()->StretchDraw(Rect(0, 0, 8, 8), &src);
    EXPECT_EQ(PixelAt(big, 1, 1), (Bgr{7, 8, 9}));
    EXPECT_EQ(PixelAt(big, 2, 2), (Bgr{0x55, 0xF0, 0x0F}));
}

TEST(DrawingLayer, PicturesReportChangesAndCopy) {
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&](TPicture*) { ++changes; });
    EXPECT_TRUE(picture.Empty());
    TBitmap* bmp = picture.Bitmap();
    EXPECT_EQ(changes, 1);
    bmp->SetSize(3, 3);
    EXPECT_EQ(changes, 2);
    bmp->Canvas()->FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(picture.Empty());

    TPicture copy;
    copy.Assign(&picture);
    ASSERT_NE(copy.Graphic(), picture.Graphic());
    EXPECT_EQ(copy.Width(), 3);
    copy.Bitmap()->SetSize(5, 5);
    EXPECT_EQ(picture.Width(), 3);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());

    TAAMask mask(nullptr);
    try {
        mask.Assign(&picture);
        ADD_FAILURE() << "a picture was assigned to a mask";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TPicture to a TAAMask");
    }
}

TEST(DrawingLayer, IconsDrawAtTheirOwnSize) {
    TIcon icon;
    QImage img(2, 2, QImage::Format_ARGB32);
    img.fill(qRgba(255, 0, 0, 255));
    img.setPixel(1, 1, qRgba(0, 0, 0, 0));
    icon.SetImage(img);
    TBitmap bmp(6, 6, pf24bit);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, 6, 6));
    bmp.Canvas()->StretchDraw(Rect(1, 1, 6, 6), &icon);
    EXPECT_EQ(PixelAt(bmp, 1, 1), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(bmp, 2, 2), (Bgr{255, 255, 255})); // transparent
    EXPECT_EQ(PixelAt(bmp, 3, 3), (Bgr{255, 255, 255})); // not stretched
    TBitmap wide(6, 2, pf24bit);
    DrawStretched(wide.Canvas(), Rect(0, 0, 6, 2), &icon, clBlue);
    EXPECT_EQ(PixelAt(wide, 2, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(wide, 5, 1), (Bgr{255, 0, 0})); // the background under the hole
}

TEST(DrawingLayer, SystemColoursResolveAndRandomIsSeedable) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clWindow), FromQColor(QApplication::palette().color(QPalette::Base)));
    EXPECT_GE(ColorToRGB(clBtnFace), 0);
    EXPECT_EQ(ColorToRGB(clBackground), 0xA56E3A); // classic scheme where no role fits
    EXPECT_EQ(ToQColor(RGB(1, 2, 3)), QColor(1, 2, 3));

    SetRandSeed(5);
    std::vector<int> a;
    for (int i = 0; i < 20; ++i)
        a.push_back(Random(7));
    EXPECT_EQ(Random(0), 0);
    SetRandSeed(5);
    std::vector<int> b;
    {
        TRandomRun run;
        for (int i = 0; i < 20; ++i)
            b.push_back(run(7));
    }
    EXPECT_EQ(a, b);
    // States jumped ahead four at a time give the same sequence.
    SetRandSeed(5);
    {
        TRandomRun run;
        std::uint32_t states[11];
        run.States(states, 11);
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(TRandomRun::Range(states[i], 7), a[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(Random(7), a[11]);
    EXPECT_EQ(*std::max_element(a.begin(), a.end()) < 7, true);
    EXPECT_GT(std::set<int>(a.begin(), a.end()).size(), 3u);
}

namespace {

// Blends a red mask onto its own face during its paint, over what its parent painted.
class PaintProbe : public QWidget {
  public:
    using QWidget::QWidget;
    bool Readable = false;
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TCanvas canvas(&painter);
        Readable = canvas.Pixels() != nullptr;
        TAAFont font(&canvas);
        canvas.Brush()->SetStyle(bsClear);
        SetMaskRows(*font.Mask(), {{255, 0}});
        font.Blend()->BlendColor(0, 0, clRed, 100, font.Mask());
    }
};

} // namespace

TEST(DrawingLayer, WidgetSurfacesShowTheParentsPixelsUnderAClearBrush) {
    QWidget top;
    top.resize(40, 30);
    QPalette pal = top.palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 0));
    top.setPalette(pal);
    top.setAutoFillBackground(true);
    PaintProbe probe(&top);
    probe.setGeometry(10, 5, 2, 1);
    top.show();
    const QImage shot = top.grab().toImage();
    EXPECT_TRUE(probe.Readable);
    EXPECT_EQ(shot.pixelColor(10, 5), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(11, 5), QColor(0, 128, 0));
}
