// The finished window drawn for screens of 1, 1.25, 1.5 and 2 device pixels per unit: the
// anti-aliased label and the gauge draw their text at device pixels, the label fills only its
// own box, and a transparent label shows its parent everywhere outside its ink.
// With VEMIX_PICTURES=<folder> the pictures are also saved there as PNG files.
#include "FormFixture.h"

#include <QDir>
#include <QImage>
#include <QPainter>

namespace {

QImage Shot(QWidget& w, double ratio) {
    QImage shot((QSizeF(w.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    shot.setDevicePixelRatio(ratio);
    shot.fill(Qt::magenta);
    w.render(&shot);
    return shot.convertToFormat(QImage::Format_RGB32);
}

void Save(const QImage& shot, const QString& name) {
    const QString folder = qEnvironmentVariable("VEMIX_PICTURES");
    if (!folder.isEmpty())
        shot.save(QDir(folder).filePath(name));
}

// The device pixels a widget covers in a picture of its window (the painter rounds the
// widget's corner to a device pixel).
QRect DeviceBox(const QWidget* w, double ratio) {
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    const int x = qRound(at.x() * ratio), y = qRound(at.y() * ratio);
    return QRect(x, y, int(std::ceil(w->width() * ratio - 1e-9)),
                 int(std::ceil(w->height() * ratio - 1e-9)));
}

// Rows of the box that hold a pixel for which ink(x, y) holds.
QRect InkBounds(const QImage& img, const QRect& box, const std::function<bool(QRgb)>& ink) {
    QRect bounds;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (ink(img.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A picture scaled up by whole pixels has every 2 x 2 block of one colour; text set at device
// pixels does not.
int MixedBlocks(const QImage& img, const QRect& box) {
    int mixed = 0;
    for (int y = box.top(); y + 1 <= box.bottom(); y += 2)
        for (int x = box.left(); x + 1 <= box.right(); x += 2) {
            const QRgb p = img.pixel(x, y);
            if (img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p ||
                img.pixel(x + 1, y + 1) != p)
                ++mixed;
        }
    return mixed;
}

bool Between(int v, int a, int b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
}

class WindowPicturesTest : public FormTest {
  protected:
    WindowPicturesTest() {
        form().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form()));
    }
};

} // namespace

TEST_F(WindowPicturesTest, LabelAndGaugeSetTheirTextAtDevicePixels) {
    TAALabel* label = form().AALabel1;
    TGauge* gauge = form().Gauge1;
    const QRgb face = form().palette().color(QPalette::Window).rgb();
    int labelInkHeight1 = 0, gaugeInkHeight1 = 0;
    for (double ratio : {1.0, 1.25, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage shot = Shot(form(), ratio);
        Save(shot, QStringLiteral("window@%1x.png").arg(ratio));

        // The opaque label: its face colour and its text's shades of black, nothing else, in
        // its own box; the form's pixels right outside it are the form's.
        const QRect box = DeviceBox(label, ratio);
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = shot.pixel(x, y);
                ASSERT_TRUE(Between(qRed(p), 0, qRed(face)) &&
                            Between(qGreen(p), 0, qGreen(face)) &&
                            Between(qBlue(p), 0, qBlue(face)))
                    << x << "," << y;
            }
        for (int x = box.left(); x <= box.right(); ++x) {
            EXPECT_EQ(shot.pixel(x, box.top() - 1), face) << x;
            EXPECT_EQ(shot.pixel(x, box.bottom() + 1), face) << x;
        }
        const QRect labelInk =
            InkBounds(shot, box, [](QRgb p) { return qRed(p) < 96 && qGreen(p) < 96; });
        ASSERT_FALSE(labelInk.isEmpty());

        // The gauge at 0 %: a white bar in a black ring, the text black (inverted white).
        const QRect gbox = DeviceBox(gauge, ratio);
        for (int y = gbox.top(); y <= gbox.bottom(); ++y)
            for (int x = gbox.left(); x <= gbox.right(); ++x) {
                const QRgb p = shot.pixel(x, y);
                ASSERT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255)) << x << "," << y;
            }
        const QRect inner = gbox.adjusted(int(std::ceil(ratio)), int(std::ceil(ratio)),
                                          -int(std::ceil(ratio)), -int(std::ceil(ratio)));
        const QRect gaugeInk = InkBounds(shot, inner, [](QRgb p) { return p == qRgb(0, 0, 0); });
        ASSERT_FALSE(gaugeInk.isEmpty());
        // The text stays in the middle of the bar.
        EXPECT_NEAR(gaugeInk.center().x(), inner.center().x(), 2 * ratio + 1);

        if (ratio == 1) {
            labelInkHeight1 = labelInk.height();
            gaugeInkHeight1 = gaugeInk.height();
            continue;
        }
        // Text as tall as the ratio makes it, and not a picture of the 1x text scaled up.
        EXPECT_NEAR(labelInk.height(), labelInkHeight1 * ratio, ratio + 1);
        EXPECT_NEAR(gaugeInk.height(), gaugeInkHeight1 * ratio, ratio + 1);
        if (ratio == 2) {
            EXPECT_GT(MixedBlocks(shot, labelInk), 20);
            EXPECT_GT(MixedBlocks(shot, gaugeInk), 2);
        }
    }
}

TEST_F(WindowPicturesTest, TransparentLabelShowsItsStripedParentOutsideItsInk) {
    TAALabel* label = form().AALabel1;
    // Stripes a few pixels wide under the label, in two colours.
    QImage stripes(12, 12, QImage::Format_RGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            stripes.setPixel(x, y, (x + y) % 12 < 6 ? qRgb(250, 230, 120) : qRgb(120, 200, 250));
    QPalette pal = form().palette();
    pal.setBrush(QPalette::Window, QBrush(stripes));
    form().setPalette(pal);
    label->Effect()->SetTransparent(true);
    label->Font()->SetColor(clNavy);
    const QRgb navy = qRgb(0, 0, 128);

    for (double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage with = Shot(form(), ratio);
        Save(with, QStringLiteral("window-transparent-label@%1x.png").arg(ratio));
        label->hide();
        const QImage without = Shot(form(), ratio);
        label->show();

        const QRect box = DeviceBox(label, ratio);
        int ink = 0;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x) {
                const QRgb p = with.pixel(x, y), under = without.pixel(x, y);
                if (p == under)
                    continue;
                // Only the label's own box changes, and only toward the text's colour: no
                // fill, no copy of another place.
                ASSERT_TRUE(box.contains(x, y)) << x << "," << y;
                ASSERT_TRUE(Between(qRed(p), qRed(under), qRed(navy)) &&
                            Between(qGreen(p), qGreen(under), qGreen(navy)) &&
                            Between(qBlue(p), qBlue(under), qBlue(navy)))
                    << x << "," << y;
                ++ink;
            }
        // The text is there, over most of the box's width, and mostly the parent shows.
        const QRect bounds =
            InkBounds(with, box, [](QRgb p) { return qRed(p) < 60 && qGreen(p) < 60; });
        EXPECT_GT(bounds.width(), box.width() * 3 / 4);
        EXPECT_GT(ink, box.width() * box.height() / 10);
        EXPECT_LT(ink, box.width() * box.height() * 2 / 3);
    }
}
