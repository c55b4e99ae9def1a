#include "Gauges/Gauge.h"
#include "Rtl/Exceptions.h"

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <climits>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

using namespace Gauges;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Cyan = qRgb(0, 255, 255);

QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000;
}

// The window's gauge: 343 by 22, red, everything else default.
void LikeGauge1(TGauge& g) {
    g.resize(343, 22);
    g.SetForeColor(QColor(Qt::red));
}

QImage Frame(TGauge& g, int progress, bool text) {
    g.SetShowText(text);
    g.SetProgress(progress);
    return g.PaintFrame();
}

// With VEMIX_GAUGE_SNAPSHOTS set to a folder, the pictures are saved there for a look.
void Snapshot(const QImage& image, const QString& name) {
    if (const char* dir = std::getenv("VEMIX_GAUGE_SNAPSHOTS"))
        image.save(QDir(dir).filePath(name + ".png"));
}

// Columns (or rows) of the paint rectangle in a colour, along one row (or column).
bool RowIs(const QImage& image, int y, int x1, int x2, QRgb color) {
    for (int x = x1; x < x2; ++x)
        if (Pixel(image, x, y) != color)
            return false;
    return true;
}

bool BorderIsBlack(const QImage& image) {
    const int w = image.width(), h = image.height();
    for (int x = 0; x < w; ++x)
        if (Pixel(image, x, 0) != Black || Pixel(image, x, h - 1) != Black)
            return false;
    for (int y = 0; y < h; ++y)
        if (Pixel(image, 0, y) != Black || Pixel(image, w - 1, y) != Black)
            return false;
    return true;
}

int CountColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += Pixel(image, x, y) == color;
    return n;
}

} // namespace

TEST(GaugeArithmetic, ScaleAndRatioTruncateTowardZero) {
    EXPECT_EQ(ScaleByPercent(50, 342), 171);
    EXPECT_EQ(ScaleByPercent(100, 342), 342);
    EXPECT_EQ(ScaleByPercent(33, 10), 3);
    EXPECT_EQ(ScaleByPercent(-50, 3), -1);
    EXPECT_EQ(ScaleByPercent(0, 500), 0);
    EXPECT_EQ(ScaleByPercent(100, INT_MAX), INT_MAX);
    EXPECT_EQ(RatioToPercent(1, 3), 33);
    EXPECT_EQ(RatioToPercent(2, 3), 66);
    EXPECT_EQ(RatioToPercent(-1, 3), -33);
    EXPECT_EQ(RatioToPercent(999, 1000), 99);
    EXPECT_EQ(RatioToPercent(1000, 1000), 100);
    EXPECT_EQ(RatioToPercent(5, 0), 0);
    EXPECT_EQ(RatioToPercent(0, 0), 0);
}

TEST(GaugeColors, SystemColoursResolveBeforeUse) {
    EXPECT_EQ(ToQColor(clRed).rgb(), Red);
    EXPECT_EQ(ToQColor(TColor(0x00336699)).rgb(), qRgb(0x99, 0x66, 0x33));
    EXPECT_EQ(ToQColor(clBtnFace).rgb(), QGuiApplication::palette().color(QPalette::Button).rgb());
    EXPECT_EQ(ToQColor(clWindowFrame).rgb(), Black);
    EXPECT_EQ(FromQColor(QColor(255, 0, 0)), clRed);
    EXPECT_EQ(FromQColor(QColor(0x99, 0x66, 0x33, 10)), TColor(0x00336699));

    TBltBitmap bitmap;
    bitmap.MakeLike(TBitmap(7, 5, pfDevice));
    EXPECT_EQ(bitmap.Image().size(), QSize(7, 5));
    EXPECT_EQ(CountColor(bitmap.Image(), Black), 35);
}

TEST(GaugeValues, DefaultsClampingAndBounds) {
    TGauge g;
    EXPECT_EQ(g.size(), QSize(100, 100));
    EXPECT_EQ(g.Kind(), gkHorizontalBar);
    EXPECT_EQ(g.BorderStyle(), bsSingle);
    EXPECT_EQ(g.ForeColor(), clBlack);
    EXPECT_EQ(g.BackColor(), clWhite);
    EXPECT_TRUE(g.ShowText());
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.MaxValue(), 100);

    g.SetProgress(150);
    EXPECT_EQ(g.Progress(), 100);
    g.SetProgress(-5);
    EXPECT_EQ(g.Progress(), 0);
    g.SetProgress(80);
    g.SetMaxValue(50);
    EXPECT_EQ(g.Progress(), 50);
    g.SetProgress(20);
    g.SetMinValue(30);
    EXPECT_EQ(g.Progress(), 30);
    EXPECT_EQ(g.CurrentPercent(), 0);
    g.SetProgress(40);
    EXPECT_EQ(g.CurrentPercent(), 50);

    // An empty range shows 0 percent whatever the progress.
    g.SetMaxValue(30);
    EXPECT_EQ(g.MaxValue(), 30);
    EXPECT_EQ(g.Progress(), 30);
    EXPECT_EQ(g.CurrentPercent(), 0);

    // A range wider than 32 bits still gives the true percentage.
    TGauge wide;
    wide.SetMinValue(INT_MIN);
    wide.SetMaxValue(INT_MAX);
    wide.SetProgress(0);
    EXPECT_EQ(wide.CurrentPercent(), 50);
    wide.SetProgress(INT_MAX);
    EXPECT_EQ(wide.CurrentPercent(), 100);
}

TEST(GaugeValues, RefusalsCarryTheBoundsAndKeepTheValues) {
    TGauge g;
    g.SetProgress(40);
    auto message = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const EInvalidOperation& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(message([&] { g.SetMinValue(200); }),
              QStringLiteral("Value must be between -2147483647 and 99"));
    EXPECT_EQ(message([&] { g.SetMaxValue(-1); }),
              QStringLiteral("Value must be between 1 and 2147483647"));
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 40);
    g.SetMinValue(10);
    EXPECT_EQ(message([&] { g.SetMaxValue(5); }),
              QStringLiteral("Value must be between 11 and 2147483647"));
    g.SetMaxValue(10); // equal to the minimum is allowed
    EXPECT_EQ(g.MaxValue(), 10);
    EXPECT_EQ(g.Progress(), 10);

    // The bounds of the message do not overflow at the ends of the range.
    TGauge low;
    low.SetMinValue(INT_MIN);
    low.SetMaxValue(INT_MIN);
    EXPECT_EQ(message([&] { low.SetMinValue(0); }),
              QStringLiteral("Value must be between -2147483647 and -2147483649"));
}

TEST(GaugeValues, LoadingAcceptsBoundsWithoutCheck) {
    TGauge plain;
    EXPECT_FALSE(plain.Loading());
    {
        TGauge::FormLoading loading;
        TGauge g;
        EXPECT_TRUE(g.Loading());
        // A form description sets its properties by name, in file order.
        EXPECT_TRUE(g.setProperty("MinValue", 200));
        EXPECT_TRUE(g.setProperty("MaxValue", 300));
        EXPECT_TRUE(g.setProperty("Progress", 250));
        EXPECT_EQ(g.Progress(), 250);
        EXPECT_EQ(g.property("CurrentPercent").toInt(), 50);
        EXPECT_TRUE(g.setProperty("Kind", 3));
        EXPECT_EQ(g.Kind(), gkPie);
        EXPECT_TRUE(g.setProperty("Kind", QStringLiteral("gkNeedle")));
        EXPECT_EQ(g.Kind(), gkNeedle);
        EXPECT_FALSE(g.setProperty("Kind", QStringLiteral("gkDial")));
        g.setProperty("Kind", 5);
        g.setProperty("BorderStyle", 2);
        EXPECT_EQ(g.Kind(), gkNeedle);
        EXPECT_EQ(g.BorderStyle(), bsSingle);
        EXPECT_TRUE(g.setProperty("BorderStyle", QStringLiteral("bsNone")));
        EXPECT_EQ(g.BorderStyle(), bsNone);
        EXPECT_TRUE(g.setProperty("Kind", 3));
        EXPECT_TRUE(g.setProperty("ForeColor", QColor(Qt::red)));
        EXPECT_EQ(g.ForeColor(), clRed);
        EXPECT_EQ(g.property("ForeColor").value<QColor>(), QColor(Qt::red));

        auto* later = new TGauge(&g);
        EXPECT_TRUE(later->Loading());
        later->SetMaxValue(-10); // below the minimum, accepted while loading
        EXPECT_EQ(later->MaxValue(), -10);
        EXPECT_EQ(later->Progress(), -10);
        EXPECT_FALSE(plain.Loading());
    }
    TGauge after;
    EXPECT_FALSE(after.Loading());
    after.SetLoading(true);
    after.SetMinValue(500);
    EXPECT_EQ(after.MinValue(), 500);
    EXPECT_EQ(after.Progress(), 500);
    after.SetLoading(false);
    EXPECT_THROW(after.SetMinValue(600), EInvalidOperation);
}

TEST(GaugePicture, HorizontalBarWithInvertedText) {
    TGauge g;
    LikeGauge1(g);
    const int fillEnd[] = {1, 171, 342}; // first column that is not filled
    int index = 0;
    for (int progress : {0, 50, 100}) {
        SCOPED_TRACE(progress);
        const QImage bar = Frame(g, progress, false);
        const QImage shown = Frame(g, progress, true);
        Snapshot(shown, QStringLiteral("horizontal-%1").arg(progress));
        EXPECT_TRUE(BorderIsBlack(shown));
        const int end = fillEnd[index++];
        for (int y = 1; y < 21; ++y) {
            ASSERT_TRUE(RowIs(bar, y, 1, end, Red)) << y;
            ASSERT_TRUE(RowIs(bar, y, end, 342, White)) << y;
        }
        // The text inverts exactly what lies beneath it: cyan over red, black over white.
        int overFill = 0, overBack = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 343; ++x) {
                const QRgb under = Pixel(bar, x, y), over = Pixel(shown, x, y);
                if (under == over)
                    continue;
                if (under == Red) {
                    EXPECT_EQ(over, Cyan);
                    ++overFill;
                } else {
                    EXPECT_EQ(under, White);
                    EXPECT_EQ(over, Black);
                    ++overBack;
                }
            }
        EXPECT_EQ(overFill > 0, progress > 0);
        EXPECT_EQ(overBack > 0, progress < 100);
    }
}

TEST(GaugePicture, TextIsCentredAndReadsThePercent) {
    TGauge g;
    g.resize(120, 30);
    g.SetKind(gkText);
    const QImage blank = Frame(g, 42, false);
    EXPECT_EQ(CountColor(blank, White), 118 * 28);
    const QImage text = Frame(g, 42, true);
    Snapshot(text, QStringLiteral("text-42"));
    int left = 120, right = -1, top = 30, bottom = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            if (Pixel(text, x, y) != Pixel(blank, x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left);
    // Roughly centred in the paint rectangle (glyph bearings make it inexact).
    EXPECT_LE(std::abs((left + right) - 119), 6);
    EXPECT_LE(std::abs((top + bottom) - 29), 8);
    // Each percent has its own text: 42 and 43 differ, the same value draws the same pixels.
    EXPECT_NE(Frame(g, 43, true), text);
    EXPECT_EQ(Frame(g, 42, true), text);
}

TEST(GaugePicture, VerticalBarFillsFromTheBottom) {
    TGauge g;
    g.resize(40, 100);
    g.SetKind(gkVerticalBar);
    g.SetForeColor(clRed);
    // Paint rectangle rows 1..98; the fill starts at row 99 - fill.
    const int firstFilled[] = {99, 50, 1};
    int index = 0;
    for (int progress : {0, 50, 100}) {
        SCOPED_TRACE(progress);
        const QImage bar = Frame(g, progress, false);
        Snapshot(Frame(g, progress, true), QStringLiteral("vertical-%1").arg(progress));
        EXPECT_TRUE(BorderIsBlack(bar));
        const int first = firstFilled[index++];
        for (int y = 1; y < 99; ++y)
            ASSERT_TRUE(RowIs(bar, y, 1, 39, y >= first ? Red : White)) << y;
    }
}

TEST(GaugePicture, PieGrowsClockwiseFromTheTop) {
    TGauge g;
    g.SetKind(gkPie);
    g.SetForeColor(clRed);
    const QRgb face = ToQColor(clBtnFace).rgb();
    // Ellipse in the box 1..98; points in each quarter of it.
    const QPoint upperRight(70, 30), lowerRight(70, 70), lowerLeft(30, 70), upperLeft(30, 30);
    struct Case {
        int progress;
        bool ur, lr, ll, ul;
    };
    for (const Case c : {Case{0, false, false, false, false}, Case{25, true, false, false, false},
                         Case{50, true, true, false, false}, Case{75, true, true, true, false},
                         Case{100, true, true, true, true}}) {
        SCOPED_TRACE(c.progress);
        const QImage pie = Frame(g, c.progress, false);
        Snapshot(Frame(g, c.progress, true), QStringLiteral("pie-%1").arg(c.progress));
        EXPECT_TRUE(BorderIsBlack(pie));
        EXPECT_EQ(Pixel(pie, 2, 2), face);
        EXPECT_EQ(Pixel(pie, 97, 97), face);
        EXPECT_EQ(Pixel(pie, upperRight.x(), upperRight.y()), c.ur ? Red : White);
        EXPECT_EQ(Pixel(pie, lowerRight.x(), lowerRight.y()), c.lr ? Red : White);
        EXPECT_EQ(Pixel(pie, lowerLeft.x(), lowerLeft.y()), c.ll ? Red : White);
        EXPECT_EQ(Pixel(pie, upperLeft.x(), upperLeft.y()), c.ul ? Red : White);
        // The outline stays inside the paint rectangle and touches all four sides.
        EXPECT_EQ(Pixel(pie, 1, 50), Red);
        EXPECT_EQ(Pixel(pie, 98, 50), Red);
        EXPECT_EQ(Pixel(pie, 50, 1), Red);
        EXPECT_EQ(Pixel(pie, 50, 98), Red);
    }
}

TEST(GaugePicture, NeedlePointsAlongTheDial) {
    TGauge g;
    g.resize(100, 50);
    g.SetKind(gkNeedle);
    g.SetForeColor(clRed);
    const QImage zero = Frame(g, 0, false);
    const QImage half = Frame(g, 50, false);
    const QImage threeQuarters = Frame(g, 75, false);
    for (int p : {0, 50, 75, 100})
        Snapshot(Frame(g, p, true), QStringLiteral("needle-%1").arg(p));
    // No needle at 0: the dial's inside is the back colour along the middle column.
    for (int y = 10; y < 47; ++y)
        EXPECT_EQ(Pixel(zero, 50, y), White) << y;
    EXPECT_EQ(Pixel(zero, 2, 2), ToQColor(clBtnFace).rgb());
    // Straight up at 50, from row 48 to row 1.
    for (int y = 1; y < 49; ++y)
        EXPECT_EQ(Pixel(half, 50, y), Red) << y;
    EXPECT_EQ(Pixel(half, 49, 30), White);
    EXPECT_EQ(Pixel(half, 51, 30), White);
    // At 75 towards (85, 14): the middle of that line is red, and not at 0.
    EXPECT_EQ(Pixel(threeQuarters, 67, 31), Red);
    EXPECT_EQ(Pixel(threeQuarters, 50, 30), White);
    // The base line runs along the bottom edge of the picture.
    EXPECT_TRUE(RowIs(zero, 49, 1, 100, Red));
    EXPECT_EQ(Pixel(zero, 0, 49), Black);
}

TEST(GaugeScreen, OneCopyPerPaintAndRepaintsPerWholePercent) {
    TGauge g;
    LikeGauge1(g);
    g.show();
    QCoreApplication::processEvents();
    // What reaches the screen is the off-screen frame.
    const int beforeGrab = g.PaintCount();
    EXPECT_EQ(g.grab().toImage().convertToFormat(QImage::Format_RGB32), g.PaintFrame());
    EXPECT_EQ(g.PaintCount(), beforeGrab + 1);

    // The invoice job: Progress 0, MaxValue to the copies, then Progress 1, 2, ...
    g.SetProgress(0);
    g.SetMaxValue(1000);
    const int before = g.PaintCount();
    for (int i = 0; i <= 1000; ++i)
        g.SetProgress(i);
    EXPECT_EQ(g.PaintCount() - before, 100);
    EXPECT_EQ(g.CurrentPercent(), 100);

    // Setters repaint at once when the value changes, never when it stays.
    const int steady = g.PaintCount();
    g.SetForeColor(clRed);
    g.SetKind(gkHorizontalBar);
    g.SetMaxValue(1000);
    g.SetShowText(true);
    EXPECT_EQ(g.PaintCount(), steady);
    g.SetBackColor(clLime);
    g.SetBorderStyle(bsNone);
    g.SetMinValue(1);
    EXPECT_EQ(g.PaintCount(), steady + 3);
}

TEST(GaugePicture, TinyGaugesPaintEveryKindSafely) {
    TGauge g;
    g.SetForeColor(clRed);
    for (int kind = gkText; kind <= gkNeedle; ++kind)
        for (int border = bsNone; border <= bsSingle; ++border)
            for (int size = 0; size <= 3; ++size)
                for (int progress : {0, 1, 50, 100}) {
                    g.SetKind(TGaugeKind(kind));
                    g.SetBorderStyle(TBorderStyle(border));
                    g.resize(size, size);
                    g.SetProgress(progress);
                    const QImage frame = g.PaintFrame();
                    EXPECT_EQ(frame.size(), QSize(size, size));
                }
    // On a small pie 1 percent rounds onto the top point; that must not fill the whole pie.
    g.SetKind(gkPie);
    g.SetBorderStyle(bsSingle);
    g.SetShowText(false);
    g.resize(12, 12);
    g.SetProgress(1);
    EXPECT_EQ(Pixel(g.PaintFrame(), 6, 6), White);
    g.SetProgress(100);
    EXPECT_EQ(Pixel(g.PaintFrame(), 6, 6), Red);
}
