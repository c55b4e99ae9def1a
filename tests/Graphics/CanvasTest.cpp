// A canvas on pixels that someone else owns, graphics drawn through the canvas, and face
// substitutes.
#include "Graphics/Canvas.h"
#include "Graphics/Bitmap.h"
#include "Graphics/FontSubstitutes.h"
#include "Graphics/Picture.h"

#include <QFont>
#include <gtest/gtest.h>

TEST(CanvasOnImage, DrawsIntoTheOwnersPixelsAndTellsItOfEveryChange) {
    QImage image(6, 4, QImage::Format_BGR888);
    image.fill(Qt::white);
    int changes = 0;
    TCanvas canvas(&image, [&] { ++changes; });
    EXPECT_EQ(canvas.Width(), 6);
    EXPECT_EQ(canvas.Height(), 4);
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(changes, 1);
    // The painter the canvas began is ended before the owner reads its pixels.
    canvas.Ellipse(Rect(0, 0, 6, 4));
    QPoint origin(9, 9);
    ASSERT_EQ(canvas.Pixels(&origin), &image);
    EXPECT_EQ(origin, QPoint(0, 0));
    EXPECT_GE(changes, 2);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(canvas.Pixel(5, 3), clWhite);
    canvas.SetPixel(5, 3, clBlue);
    EXPECT_EQ(image.pixelColor(5, 3), QColor(Qt::blue));

    // A canvas on an empty image draws nothing and does not fail.
    QImage none;
    TCanvas empty(&none, [&] { ++changes; });
    const int before = changes;
    empty.FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(empty.Pixels(), nullptr);
    EXPECT_EQ(changes, before);
}

TEST(CanvasOnImage, BitmapsAndPicturesDrawThroughTheCanvasInterface) {
    QImage image(8, 8, QImage::Format_BGR888);
    image.fill(Qt::black);
    TCanvas canvas(&image, {});
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.Canvas()->Brush()->SetColor(clLime);
    bitmap.Canvas()->FillRect(Rect(0, 0, 2, 2));
    canvas.Draw(3, 4, &bitmap);
    EXPECT_EQ(image.pixelColor(3, 4), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(4, 5), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black));
    // A picture holding the bitmap stretches it over the rectangle.
    TPicture picture;
    picture.SetGraphic(&bitmap);
    canvas.StretchDraw(Rect(0, 0, 8, 2), picture.Graphic());
    EXPECT_EQ(image.pixelColor(7, 1), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(7, 2), QColor(Qt::black));
    // A bitmap drawn onto its own canvas reads its pixels before they change.
    bitmap.Canvas()->Draw(1, 0, &bitmap);
    EXPECT_EQ(bitmap.Canvas()->Pixel(1, 1), clLime);
}

TEST(FontSubstitutes, AddToTheFacesAlreadyMappedInOrder) {
    InstallFontSubstitutes({{"Vemix Test Face", {"DejaVu Sans", "AR PL UMing TW"}}});
    InstallFontSubstitutes({{"Vemix Test Face", {"DejaVu Serif"}}});
    // Qt keeps face names in lower case.
    EXPECT_EQ(QFont::substitutes("Vemix Test Face"),
              QStringList({"dejavu sans", "ar pl uming tw", "dejavu serif"}));
    EXPECT_TRUE(QFont::substitutes("Vemix Unmapped Face").isEmpty());
}
