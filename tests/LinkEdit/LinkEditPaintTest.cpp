// What the link edit draws: the raised or flat button with its dots or arrow, and the
// self-drawn aligned text without a button. Checked pixel by pixel on grabbed images.
#include "LinkEditWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <cmath>

namespace {
// System colours with distinct values, so each part of an edge can be told apart.
const QColor kFace(192, 192, 192), kHighlight(255, 255, 255), kLight(224, 224, 224),
    kShadow(128, 128, 128), kDarkShadow(64, 64, 64), kWindow(255, 255, 240), kText(255, 0, 0);

void UseTestColours(QWidget& widget) {
    QPalette pal = widget.palette();
    pal.setColor(QPalette::Button, kFace);
    pal.setColor(QPalette::Light, kHighlight);
    pal.setColor(QPalette::Midlight, kLight);
    pal.setColor(QPalette::Dark, kShadow);
    pal.setColor(QPalette::Shadow, kDarkShadow);
    pal.setColor(QPalette::Base, kWindow);
    pal.setColor(QPalette::Text, kText);
    widget.setPalette(pal);
}

QImage Grab(TLinkEdit* edit) {
    return edit->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

struct Pixel {
    int x, y;
    QColor colour;
};
void ExpectPixels(const QImage& image, std::initializer_list<Pixel> pixels) {
    for (const Pixel& p : pixels)
        EXPECT_EQ(At(image, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

void SaveUnderBuild(const QImage& image, const QString& name) {
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("../" + name);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

// The bounding box of everything in the area that is not window colour.
QRect InkBounds(const QImage& image, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) != kWindow)
                ink |= QRect(x, y, 1, 1);
    return ink;
}
} // namespace

TEST(LinkEditPaint, RaisedButtonWithDotsOrArrowAndItsPressedLook) {
    for (const TLinkStyle style : {lsEllipsis, lsDropDown}) {
        for (const int height : {28, 29, 31}) {
            Window w([&](TLinkEdit& e) {
                e.SetLinkStyle(style);
                e.setFixedHeight(height);
                e.setText("Vemix Trading Co., Ltd.");
                UseTestColours(e);
            });
            TLinkEdit* e = w.edit;
            w.next->setFocus();
            const QRect b = e->ButtonRect();
            ASSERT_EQ(b.width(), e->ButtonWidth());
            ASSERT_EQ(b.height(), e->ClientRect().height());
            const int L = b.left(), T = b.top(), R = b.right(), B = b.bottom();
            const int clientHeight = e->ClientRect().height();
            const int y = static_cast<int>(std::nearbyint(clientHeight / 2.0)) + T - 1;

            for (const bool pressed : {false, true}) {
                SCOPED_TRACE(testing::Message() << "style " << int(style) << " height " << height
                                                << " pressed " << pressed);
                if (pressed)
                    QTest::mousePress(e, Qt::LeftButton, {}, b.center());
                ASSERT_EQ(e->ButtonDown(), pressed);
                const QImage image = Grab(e);
                if (!pressed && height == 28)
                    SaveUnderBuild(image, style == lsEllipsis ? "LinkEdit-lsEllipsis.png"
                                                              : "LinkEdit-lsDropDown.png");
                const QColor black(Qt::black);
                if (!pressed) // outer ring 3D light and dark shadow, inner highlight and shadow
                    ExpectPixels(image, {{L, T, kLight},
                                         {R - 1, T, kLight},
                                         {L, B - 1, kLight},
                                         {R, T, kDarkShadow},
                                         {L, B, kDarkShadow},
                                         {R, B, kDarkShadow},
                                         {L + 1, T + 1, kHighlight},
                                         {R - 1, T + 1, kShadow},
                                         {L + 1, B - 1, kShadow}});
                else // flat: one ring of shadow, the face inside it
                    ExpectPixels(image, {{L, T, kShadow},
                                         {R, T, kShadow},
                                         {L, B, kShadow},
                                         {R, B, kShadow},
                                         {L + 1, T + 1, kFace},
                                         {R - 1, B - 1, kFace}});
                ExpectPixels(image, {{L + 2, T + 2, kFace}});
                if (style == lsEllipsis) {
                    // Three 2x2 dots, one pixel further right while pressed.
                    const int offset = b.width() / 2 - 1 + (pressed ? 1 : 0);
                    for (const int x : {L + offset - 4, L + offset, L + offset + 4})
                        ExpectPixels(image, {{x, y, black},
                                             {x + 1, y, black},
                                             {x, y + 1, black},
                                             {x + 1, y + 1, black},
                                             {x - 1, y, kFace},
                                             {x + 2, y, kFace},
                                             {x, y - 1, kFace},
                                             {x, y + 2, kFace}});
                } else {
                    // A down arrow of widths 7, 5, 3, 1 that stays put when pressed.
                    for (int i = 0; i <= 3; ++i) {
                        ExpectPixels(
                            image, {{L + 3 + i, T + 7 + i, kFace}, {L + 11 - i, T + 7 + i, kFace}});
                        for (int x = L + 4 + i; x < L + 11 - i; ++x)
                            ExpectPixels(image, {{x, T + 7 + i, black}});
                    }
                    ExpectPixels(image, {{L + 7, T + 6, kFace}, {L + 7, T + 11, kFace}});
                }
            }
            QTest::mouseRelease(e, Qt::LeftButton, {}, b.center());
        }
    }
}

TEST(LinkEditPaint, SelfDrawnTextFollowsAlignmentWithoutAButton) {
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    font.setStyleStrategy(QFont::NoAntialias);
    const QString sample = QStringLiteral("Vemix Trading Co.");
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(sample);
    // Where the ink of the text lies relative to its drawing origin (top left of the cell).
    QImage reference(width + 20, metrics.height() + 4, QImage::Format_RGB32);
    reference.fill(kWindow);
    QPainter painter(&reference);
    painter.setFont(font);
    painter.setPen(kText);
    painter.drawText(10, metrics.ascent(), sample);
    painter.end();
    const QRect glyphs = InkBounds(reference, reference.rect()).translated(-10, 0);

    for (const int boxWidth : {313, 314})
        for (const TAlignment alignment : {taLeftJustify, taRightJustify, taCenter}) {
            Window w([&](TLinkEdit& e) {
                e.resize(boxWidth, 28);
                e.SetAlignment(alignment);
                e.setFont(font);
                e.setText(sample);
                UseTestColours(e);
            });
            w.next->setFocus();
            const QImage image = Grab(w.edit);
            if (alignment == taRightJustify && boxWidth == 313)
                SaveUnderBuild(image, "LinkEdit-lsNone.png");
            const QRect client = w.edit->ClientRect();
            const int margin = 2 + 1; // the edit's left margin, plus one for the 3D border
            int x = margin;
            if (alignment == taRightJustify)
                x = client.width() - width - margin - 1;
            else if (alignment == taCenter)
                x = (client.width() - width) / 2;
            // Drawn at (x, 1) in the client area.
            EXPECT_EQ(InkBounds(image, client), glyphs.translated(client.topLeft() + QPoint(x, 1)))
                << int(alignment) << " in " << boxWidth;
        }
}
