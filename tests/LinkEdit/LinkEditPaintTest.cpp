// What the link edit draws: the raised or flat button with its dots or arrow, and the
// self-drawn aligned text without a button. Checked pixel by pixel on grabbed images.
#include "LinkEditWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
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

void SaveUnderBuild(const QImage& image, const QString& name) {
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("../" + name);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

// Columns of the client area holding text ink.
std::pair<int, int> InkColumns(const QImage& image, const QRect& client) {
    int first = -1, last = -1;
    for (int x = client.left(); x <= client.right(); ++x)
        for (int y = client.top(); y <= client.bottom(); ++y)
            if (At(image, x, y) != kWindow) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
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
            const int dotY = static_cast<int>(std::nearbyint(clientHeight / 2.0)) + T - 1;

            for (const bool pressed : {false, true}) {
                SCOPED_TRACE(testing::Message() << "style " << int(style) << " height " << height
                                                << " pressed " << pressed);
                if (pressed)
                    QTest::mousePress(e, Qt::LeftButton, {}, b.center());
                ASSERT_EQ(e->ButtonDown(), pressed);
                const QImage image = Grab(e);
                if (!pressed) {
                    // Outer ring: 3D light top and left, dark shadow right and bottom.
                    EXPECT_EQ(At(image, L, T), kLight);
                    EXPECT_EQ(At(image, R - 1, T), kLight);
                    EXPECT_EQ(At(image, L, B - 1), kLight);
                    EXPECT_EQ(At(image, R, T), kDarkShadow);
                    EXPECT_EQ(At(image, L, B), kDarkShadow);
                    EXPECT_EQ(At(image, R, B), kDarkShadow);
                    // Inner ring: highlight top and left, shadow right and bottom.
                    EXPECT_EQ(At(image, L + 1, T + 1), kHighlight);
                    EXPECT_EQ(At(image, R - 1, T + 1), kShadow);
                    EXPECT_EQ(At(image, L + 1, B - 1), kShadow);
                } else {
                    // Flat: one ring of shadow, the face inside it.
                    for (const QPoint p : {QPoint(L, T), QPoint(R, T), QPoint(L, B), QPoint(R, B)})
                        EXPECT_EQ(At(image, p.x(), p.y()), kShadow) << p.x() << "," << p.y();
                    EXPECT_EQ(At(image, L + 1, T + 1), kFace);
                    EXPECT_EQ(At(image, R - 1, B - 1), kFace);
                }
                EXPECT_EQ(At(image, L + 2, T + 2), kFace);

                if (style == lsEllipsis) {
                    // Three 2x2 dots, one pixel further right while pressed.
                    const int offset = b.width() / 2 - 1 + (pressed ? 1 : 0);
                    for (const int dx : {-4, 0, 4}) {
                        const int x = L + offset + dx;
                        for (const QPoint p : {QPoint(x, dotY), QPoint(x + 1, dotY),
                                               QPoint(x, dotY + 1), QPoint(x + 1, dotY + 1)})
                            EXPECT_EQ(At(image, p.x(), p.y()), QColor(Qt::black))
                                << p.x() << "," << p.y();
                        for (const QPoint p : {QPoint(x - 1, dotY), QPoint(x + 2, dotY),
                                               QPoint(x, dotY - 1), QPoint(x, dotY + 2)})
                            EXPECT_EQ(At(image, p.x(), p.y()), kFace) << p.x() << "," << p.y();
                    }
                } else {
                    // A down arrow of widths 7, 5, 3, 1 that stays put when pressed.
                    for (int i = 0; i <= 3; ++i) {
                        const int y = T + 7 + i;
                        EXPECT_EQ(At(image, L + 3 + i, y), kFace) << i;
                        for (int x = L + 4 + i; x < L + 11 - i; ++x)
                            EXPECT_EQ(At(image, x, y), QColor(Qt::black)) << i << " " << x;
                        EXPECT_EQ(At(image, L + 11 - i, y), kFace) << i;
                    }
                    EXPECT_EQ(At(image, L + 7, T + 11), kFace);
                    EXPECT_EQ(At(image, L + 7, T + 6), kFace);
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
    std::pair<int, int> ink[3];
    for (const TLinkEdit::TAlignment alignment :
         {TLinkEdit::taLeftJustify, TLinkEdit::taRightJustify, TLinkEdit::taCenter}) {
        Window w([&](TLinkEdit& e) {
            e.SetAlignment(alignment);
            e.setFont(font);
            e.setText(sample);
            UseTestColours(e);
        });
        TLinkEdit* e = w.edit;
        w.next->setFocus();
        const QImage image = Grab(e);
        const QRect client = e->ClientRect();
        const int width = QFontMetrics(font).horizontalAdvance(sample);
        const int margin = 2 + 1; // the edit's left margin, plus one for the 3D border
        int x = margin;
        if (alignment == TLinkEdit::taRightJustify)
            x = client.width() - width - margin - 1;
        else if (alignment == TLinkEdit::taCenter)
            x = (client.width() - width) / 2;
        const auto [first, last] = InkColumns(image, client);
        SCOPED_TRACE(testing::Message() << "alignment " << int(alignment) << " ink " << first
                                        << ".." << last << " expected start " << x);
        // Glyph bearings keep the ink a pixel or two inside the advance.
        EXPECT_GE(first, client.left() + x);
        EXPECT_LE(first, client.left() + x + 2);
        EXPECT_LE(last, client.left() + x + width - 1);
        EXPECT_GE(last, client.left() + x + width - 3);
        ink[alignment] = {first, last};

        // The text stands at the top of the client area, one pixel down.
        bool inkInFirstRow = false;
        for (int px = client.left(); px <= client.right(); ++px)
            inkInFirstRow |= At(image, px, client.top()) != kWindow;
        EXPECT_FALSE(inkInFirstRow);
        EXPECT_EQ(At(image, client.left(), client.top()), kWindow);
    }
    // Same text, same ink width, three places.
    EXPECT_EQ(ink[0].second - ink[0].first, ink[1].second - ink[1].first);
    EXPECT_EQ(ink[0].second - ink[0].first, ink[2].second - ink[2].first);
    EXPECT_LT(ink[0].first, ink[2].first);
    EXPECT_LT(ink[2].first, ink[1].first);
}

TEST(LinkEditPaint, MaskedTextDrawsThePasswordCharacter) {
    Window w([](TLinkEdit& e) {
        e.SetAlignment(TLinkEdit::taRightJustify);
        e.setText("abc");
        e.setEchoMode(QLineEdit::Password);
        UseTestColours(e);
    });
    w.next->setFocus();
    const QImage masked = Grab(w.edit);
    w.edit->setEchoMode(QLineEdit::Normal);
    const QImage plain = Grab(w.edit);
    EXPECT_NE(masked, plain);
    const auto [first, last] = InkColumns(masked, w.edit->ClientRect());
    EXPECT_GT(first, w.edit->ClientRect().center().x()); // still right-aligned
    EXPECT_GE(last, first);
}

TEST(LinkEditPaint, DefaultLookTakesTheSystemColours) {
    const char* names[] = {"LinkEdit-lsNone.png", "LinkEdit-lsEllipsis.png",
                           "LinkEdit-lsDropDown.png"};
    for (const TLinkStyle style : {lsNone, lsEllipsis, lsDropDown}) {
        Window w([&](TLinkEdit& e) {
            e.SetLinkStyle(style);
            e.setText(QStringLiteral("Vemix Trading Co., Ltd. 威明科技"));
        });
        TLinkEdit* e = w.edit;
        w.next->setFocus();
        const QImage image = Grab(e);
        SaveUnderBuild(image, names[style]);
        const QRect client = e->ClientRect();
        const QPalette& pal = e->palette();
        // Colours as painted: 8 bits per channel.
        const QRgb inside = At(image, client.right() - 2, client.bottom() - 2).rgb();
        if (style == lsNone) {
            EXPECT_EQ(inside, pal.color(QPalette::Base).rgb());
        } else {
            EXPECT_EQ(inside, pal.color(QPalette::Button).rgb());
            EXPECT_EQ(At(image, e->ButtonRect().left(), client.top()).rgb(),
                      pal.color(QPalette::Midlight).rgb());
        }
    }
}
