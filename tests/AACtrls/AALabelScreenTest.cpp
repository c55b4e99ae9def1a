// The label on screens of more device pixels per unit and on surfaces whose pixels cannot be
// read: text at device pixels, the parent's pixels everywhere outside the ink and the whole
// shadow, and the opaque face rendered again only when the pixel ratio changes.
#include "AACtrls/AALabel.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QImage Stripes(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, (x + y) % 10 < 5 ? qRgb(255, 255, 255) : qRgb(200, 200, 200));
    return img;
}

// A striped parent with a transparent label: red text, a solid blue shadow 2 units down right.
struct Scene {
    QWidget Parent;
    TAALabel* Label;
    Scene() {
        Parent.resize(160, 50);
        QPalette pal = Parent.palette();
        pal.setBrush(QPalette::Window, QBrush(Stripes(QSize(10, 10))));
        Parent.setPalette(pal);
        Parent.setAutoFillBackground(true);
        TAAGraphicControl::FormLoading loading;
        Label = new TAALabel(&Parent);
        Label->move(7, 5);
        Label->Font()->SetHeight(-18);
        Label->Font()->SetColor(clRed);
        Label->SetCaption(QStringLiteral("Hxg測"));
        Label->Effect()->SetTransparent(true);
        TAAShadow& shadow = Label->AAFont()->Effect()->Shadow();
        shadow.SetEnabled(true);
        shadow.SetColor(clBlue);
        shadow.SetAlpha(100);
        shadow.SetBlur(0);
    }
    // Shown once: a transparent label takes its text's size at its first paint.
    void Show() {
        Parent.show();
        Shot(1);
    }
    QImage Shot(double ratio) {
        QImage img((QSizeF(Parent.size()) * ratio).toSize(), QImage::Format_RGB32);
        img.setDevicePixelRatio(ratio);
        Parent.render(&img);
        return img;
    }
};

bool Reddish(QRgb p) {
    return qRed(p) > qBlue(p) + 60 && qRed(p) > qGreen(p) + 60;
}
bool Bluish(QRgb p) {
    return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60;
}

} // namespace

TEST(AALabelScreen, TransparentLabelKeepsTheParentAndItsWholeShadowAtEveryRatio) {
    Scene s;
    s.Show();
    QRect text1, shadow1;
    for (double ratio : {1.0, 1.25, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage with = s.Shot(ratio);
        s.Label->hide();
        const QImage without = s.Shot(ratio);
        s.Label->show();
        const QRect box(qRound(7 * ratio), qRound(5 * ratio),
                        int(std::ceil(s.Label->width() * ratio)),
                        int(std::ceil(s.Label->height() * ratio)));
        QRect text, shadow;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x) {
                const QRgb p = with.pixel(x, y), under = without.pixel(x, y);
                if (p == under)
                    continue;
                ASSERT_TRUE(box.contains(x, y)) << x << "," << y;
                if (Reddish(p))
                    text |= QRect(x, y, 1, 1);
                else if (Bluish(p))
                    shadow |= QRect(x, y, 1, 1);
                else // a mix of the stripe, the shadow and the text: never another colour
                    ASSERT_LE(qGreen(p), qGreen(under)) << x << "," << y;
            }
        ASSERT_FALSE(text.isEmpty());
        ASSERT_FALSE(shadow.isEmpty());
        // The shadow is the text's shape moved 2 units right and down, all of it.
        const int offset = int(std::lround(2 * ratio));
        EXPECT_NEAR(shadow.left(), text.left() + offset, 1);
        EXPECT_NEAR(shadow.bottom(), text.bottom() + offset, 1);
        EXPECT_GE(shadow.height(), text.height() - 1);
        if (ratio == 1) {
            text1 = text;
            shadow1 = shadow;
        } else {
            EXPECT_NEAR(text.height(), text1.height() * ratio, ratio + 1);
            EXPECT_NEAR(shadow.width(), shadow1.width() * ratio, 2 * ratio + 1);
        }
    }
}

TEST(AALabelScreen, SurfaceThatCannotBeReadGetsTheTextOverWhatItHas) {
    // A recording (as for a printer) cannot be read back: the label's text and shadow are
    // composed alone and drawn over whatever the recording is played onto.
    Scene s;
    s.Show();
    for (double ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        QPicture picture;
        {
            QPainter p(&picture);
            p.scale(ratio, ratio);
            s.Label->render(&p, QPoint(), QRegion(), QWidget::RenderFlags());
        }
        const QSize size = (QSizeF(s.Label->size()) * ratio).toSize();
        const QImage under = Stripes(size);
        QImage played = under;
        {
            QPainter p(&played);
            p.drawPicture(0, 0, picture);
        }
        if (!qEnvironmentVariableIsEmpty("VEMIX_PICTURES"))
            played.save(qEnvironmentVariable("VEMIX_PICTURES") +
                        QStringLiteral("/recorded-label@%1x.png").arg(ratio));
        int text = 0, shadow = 0, same = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb p = played.pixel(x, y);
                if (p == under.pixel(x, y))
                    ++same;
                else if (Reddish(p))
                    ++text;
                else if (Bluish(p))
                    ++shadow;
            }
        EXPECT_GT(text, 10 * ratio * ratio);
        EXPECT_GT(shadow, 5 * ratio * ratio);
        // Nothing filled: most of the box still shows the stripes.
        EXPECT_GT(same, size.width() * size.height() / 3);
    }
}

TEST(AALabelScreen, OpaqueFaceIsRenderedAgainOnlyForAnotherRatio) {
    Scene s;
    s.Label->Effect()->SetTransparent(false);
    s.Label->SetColor(RGB(0, 128, 0));
    s.Parent.show();
    s.Shot(1);
    const int rendered = s.Label->RenderCount();
    s.Shot(1);
    EXPECT_EQ(s.Label->RenderCount(), rendered);
    const QImage twice = s.Shot(2);
    EXPECT_EQ(s.Label->RenderCount(), rendered + 1);
    EXPECT_EQ(s.Label->BufferRatio(), 2.0);
    EXPECT_EQ(s.Label->Buffer().Width(), 2 * s.Label->width());
    EXPECT_EQ(s.Label->Buffer().Height(), 2 * s.Label->height());
    s.Shot(2);
    EXPECT_EQ(s.Label->RenderCount(), rendered + 1);
    // Its own box in green and text, the stripes right around it.
    const QRect box(14, 10, 2 * s.Label->width(), 2 * s.Label->height());
    for (int x = box.left(); x <= box.right(); ++x) {
        EXPECT_EQ(twice.pixel(x, box.top()), qRgb(0, 128, 0)) << x;
        EXPECT_NE(twice.pixel(x, box.top() - 1), qRgb(0, 128, 0)) << x;
        EXPECT_NE(twice.pixel(x, box.bottom() + 1), qRgb(0, 128, 0)) << x;
    }
}
