// The anti-aliased label: when it renders, where it places its text, how it paints its
// background and how its settings are copied.
#include "AACtrls/AALabel.h"
#include "Recorder.h"
#include "Rtl/Exceptions.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Bgr {
    int B, G, R;
    bool operator==(const Bgr&) const = default;
};

Bgr PixelOf(const TBitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return Bgr{p[0], p[1], p[2]};
}

// A picture whose every pixel tells where it came from.
std::unique_ptr<TBitmap> Pattern(int w, int h) {
    auto bmp = std::make_unique<TBitmap>(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = bmp->ScanLine(y) + 3 * x;
            p[0] = 200;
            p[1] = static_cast<std::uint8_t>(y * 5);
            p[2] = static_cast<std::uint8_t>(x * 5);
        }
    return bmp;
}

// A parent with a known background and a label that finished loading on it.
struct Fixture {
    QWidget Parent;
    TAALabel* Label;
    explicit Fixture(const QString& caption = QStringLiteral("Ag")) {
        Parent.resize(200, 80);
        QPalette pal = Parent.palette();
        pal.setColor(QPalette::Window, QColor(0, 128, 0));
        Parent.setPalette(pal);
        Parent.setAutoFillBackground(true);
        TAAGraphicControl::FormLoading loading;
        Label = new TAALabel(&Parent);
        Label->Font()->SetHeight(-16);
        Label->Font()->SetColor(clBlack);
        Label->SetCaption(caption);
    }
    QImage Face() const { return Label->Buffer().Image().convertToFormat(QImage::Format_RGB32); }
};

// Ink: pixels of the buffer that differ from the background colour.
int InkCount(const TBitmap& bmp, Bgr background) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            n += PixelOf(bmp, x, y) == background ? 0 : 1;
    return n;
}

} // namespace

TEST(AALabel, SettingsMadeWhileLoadingRenderOnceWhenLoadingEnds) {
    QWidget parent;
    TAALabel* label = nullptr;
    {
        TAAGraphicControl::FormLoading loading;
        label = new TAALabel(&parent);
        auto* dropped = new TAALabel(&parent);
        label->setGeometry(0, 414, 258, 20);
        // Set by name, as the window's form does.
        EXPECT_TRUE(label->setProperty("Caption", QStringLiteral("AALabel1")));
        EXPECT_TRUE(label->setProperty("Border", 2));
        label->Font()->SetHeight(-15);
        label->Effect()->SetAlignment(taCenter);
        label->Effect()->FontEffect()->SetAlpha(90);
        label->Effect()->FontEffect()->Shadow().SetEnabled(true);
        label->SetColor(clWhite);
        EXPECT_TRUE(label->Loading());
        EXPECT_EQ(label->RenderCount(), 0);
        EXPECT_TRUE(label->Buffer().Empty());
        delete dropped; // a control gone before the end of loading is skipped
    }
    EXPECT_FALSE(label->Loading());
    EXPECT_TRUE(label->IsLoaded());
    EXPECT_EQ(label->RenderCount(), 1);
    // Sized to its text with the border around it, and the face rendered at that size.
    const int w = label->AAFont()->TextWidth(label->Caption());
    const int h = label->AAFont()->TextHeight(label->Caption());
    EXPECT_EQ(label->width(), w + 4);
    EXPECT_EQ(label->height(), h + 4);
    EXPECT_EQ(label->Buffer().Width(), w + 4);
    EXPECT_EQ(label->Buffer().Height(), h + 4);
    EXPECT_EQ(PixelOf(label->Buffer(), 0, 0), (Bgr{255, 255, 255}));
    EXPECT_GT(InkCount(label->Buffer(), Bgr{255, 255, 255}), 20);
}

TEST(AALabel, OpaqueLabelPaintsFromItsBufferWithoutRendering) {
    QWidget parent;
    parent.resize(300, 60);
    auto* label = new TAALabel(&parent); // created at run time: ready once shown
    label->SetCaption(QStringLiteral("Paint"));
    label->Font()->SetHeight(-14);
    EXPECT_EQ(label->RenderCount(), 0);
    parent.show();
    QImage first = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(label->IsLoaded());
    const int renders = label->RenderCount();
    EXPECT_GE(renders, 1);

    QCoreApplication::processEvents();
    QImage again = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCoreApplication::processEvents();
    EXPECT_EQ(label->RenderCount(), renders);
    EXPECT_EQ(again, label->Buffer().Image().convertToFormat(QImage::Format_RGB32));

    label->SetCaption(QStringLiteral("Paint2")); // one change, one render
    EXPECT_EQ(label->RenderCount(), renders + 1);
    label->SetCaption(QStringLiteral("Paint2")); // the same text is no change
    label->SetBorder(0);
    EXPECT_EQ(label->RenderCount(), renders + 1);
}

TEST(AALabel, AutoSizeFollowsAlign) {
    struct Case {
        TAlign Align;
        bool Width, Height;
    };
    for (Case c :
         {Case{alNone, true, true}, Case{alTop, false, true}, Case{alBottom, false, true},
          Case{alLeft, true, false}, Case{alRight, true, false}, Case{alClient, false, false}}) {
        // Without a parent alignment places nothing, so only the text placement sizes.
        std::unique_ptr<TAALabel> label;
        {
            TAAGraphicControl::FormLoading loading;
            label = std::make_unique<TAALabel>();
            label->resize(150, 70);
            label->Font()->SetHeight(-16);
            label->SetCaption(QStringLiteral("Wide text"));
            label->SetBorder(3);
            label->SetAlign(c.Align);
        }
        const int w = label->AAFont()->TextWidth(label->Caption()) + 6;
        const int h = label->AAFont()->TextHeight(label->Caption()) + 6;
        ASSERT_NE(w, 150);
        ASSERT_NE(h, 70);
        EXPECT_EQ(label->width(), c.Width ? w : 150) << int(c.Align);
        EXPECT_EQ(label->height(), c.Height ? h : 70) << int(c.Align);
        EXPECT_EQ(label->Buffer().Width(), label->width());
        EXPECT_EQ(label->Buffer().Height(), label->height());
    }

    // An empty caption without a border leaves no width; painting that is harmless.
    Fixture empty{QString()};
    EXPECT_EQ(empty.Label->width(), 0);
    empty.Parent.show();
    empty.Parent.grab();
    empty.Label->SetBorder(2);
    EXPECT_EQ(empty.Label->width(), 4);

    // On a parent, a bottom-aligned label spans the parent's width and keeps its text height.
    Fixture f;
    f.Label->SetAlign(alBottom);
    const int h = f.Label->AAFont()->TextHeight(f.Label->Caption());
    EXPECT_EQ(f.Label->geometry(), QRect(0, 80 - h, 200, h));
}

TEST(AALabel, ChangeMadeDuringARebuildIsNotLost) {
    Fixture f;
    const int renders = f.Label->RenderCount();
    f.Label->SetOnResize([](TAAGraphicControl* sender) { sender->SetColor(clWhite); });
    f.Label->SetCaption(QStringLiteral("A longer caption"));
    EXPECT_EQ(f.Label->RenderCount(), renders + 2);
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(f.Label->Buffer().Width(), f.Label->width());
}

TEST(AALabel, CentreIgnoresBorderWhileTheEdgesKeepIt) {
    // The same text rendered with and without a border: the centred faces are equal, the
    // left/top one moves by the border, the right/bottom one by minus the border.
    auto face = [](TAlignment a, TTextLayout l, int border) {
        Fixture f(QStringLiteral("Hq"));
        f.Label->SetAutoSize(false);
        f.Label->resize(60, 40);
        f.Label->SetColor(clWhite);
        f.Label->Effect()->SetAlignment(a);
        f.Label->Effect()->SetLayout(l);
        f.Label->SetBorder(border);
        return f.Face();
    };
    EXPECT_EQ(face(taCenter, tlCenter, 7), face(taCenter, tlCenter, 0));

    const QImage left0 = face(taLeftJustify, tlTop, 0), left5 = face(taLeftJustify, tlTop, 5);
    const QImage right0 = face(taRightJustify, tlBottom, 0);
    const QImage right5 = face(taRightJustify, tlBottom, 5);
    ASSERT_NE(left0, left5);
    for (int y = 0; y < 35; ++y)
        for (int x = 0; x < 55; ++x) {
            ASSERT_EQ(left5.pixel(x + 5, y + 5), left0.pixel(x, y)) << x << "," << y;
            ASSERT_EQ(right5.pixel(x, y), right0.pixel(x + 5, y + 5)) << x << "," << y;
        }
    // The border strip stays background.
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(right5.pixel(59 - i % 5, i), qRgb(255, 255, 255));
}

TEST(AALabel, TransparentLabelDrawsNoBackgroundAndRendersEachPaint) {
    Fixture f(QStringLiteral("WM"));
    auto pattern = Pattern(10, 10);
    f.Label->Effect()->BackGround().SetGraphic(pattern.get());
    f.Label->Effect()->SetBackGroundMode(bmTiled);
    f.Label->SetColor(clRed);
    f.Label->Effect()->SetTransparent(true);
    f.Label->move(20, 10);
    f.Parent.show();

    const int before = f.Label->RenderCount();
    const QImage shot = f.Parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(f.Label->RenderCount(), before);
    const int once = f.Label->RenderCount();
    f.Parent.grab();
    EXPECT_GT(f.Label->RenderCount(), once);

    const QRect area = f.Label->geometry();
    int green = 0, ink = 0, blended = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y);
            // Neither the colour fill nor the picture: only the parent and the text.
            ASSERT_NE(p, qRgb(255, 0, 0));
            ASSERT_NE(qBlue(p), 200) << x << "," << y;
            if (p == qRgb(0, 128, 0))
                ++green;
            else if (qRed(p) == 0 && qBlue(p) == 0 && qGreen(p) < 40)
                ++ink;
            else if (qRed(p) == 0 && qBlue(p) == 0 && qGreen(p) < 128)
                ++blended; // text edges mixed with the parent's green
        }
    EXPECT_GT(green, area.width() * area.height() / 3);
    EXPECT_GT(ink, 0);
    EXPECT_GT(blended, 10);
}

TEST(AALabel, TiledBackgroundRepeatsFromTheTopLeft) {
    Fixture f{QString()};
    f.Label->SetAutoSize(false);
    f.Label->resize(25, 12);
    auto pattern = Pattern(10, 10);
    f.Label->Effect()->SetBackGroundMode(bmTiled);
    f.Label->Effect()->BackGround().SetGraphic(pattern.get());
    const TBitmap& face = f.Label->Buffer();
    ASSERT_EQ(face.Width(), 25);
    ASSERT_EQ(face.Height(), 12);
    // 3 columns in 2 rows, the last ones cut off by the buffer's edge.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(PixelOf(face, x, y), PixelOf(*pattern, x % 10, y % 10)) << x << "," << y;
}

TEST(AALabel, CentredBackgroundLargerThanTheLabelIsCutOnAllSides) {
    Fixture f{QString()};
    f.Label->SetAutoSize(false);
    f.Label->resize(25, 12);
    auto pattern = Pattern(40, 30);
    f.Label->Effect()->BackGround().SetGraphic(pattern.get()); // bmCenter is the default
    ASSERT_EQ(f.Label->Effect()->BackGroundMode(), bmCenter);
    // Top-left at ((25 - 40) / 2, (12 - 30) / 2) = (-7, -9).
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(PixelOf(f.Label->Buffer(), x, y), PixelOf(*pattern, x + 7, y + 9));

    // A picture smaller than the label sits in the middle of the colour fill.
    f.Label->SetColor(clWhite);
    auto small = Pattern(5, 4);
    f.Label->Effect()->BackGround().SetGraphic(small.get());
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 10, 4), PixelOf(*small, 0, 0));
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 14, 7), PixelOf(*small, 4, 3));
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 9, 4), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 15, 8), (Bgr{255, 255, 255}));
    // bmNormal puts it at the top-left corner.
    f.Label->Effect()->SetBackGroundMode(bmNormal);
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 0, 0), PixelOf(*small, 0, 0));
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 4, 3), PixelOf(*small, 4, 3));
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 5, 3), (Bgr{255, 255, 255}));
}

TEST(AALabel, SwitchingTransparentBackRendersTheBufferAtOnce) {
    Fixture f(QStringLiteral("One"));
    const int renders = f.Label->RenderCount();
    f.Label->Effect()->SetTransparent(true);
    f.Label->SetCaption(QStringLiteral("Two")); // not shown anywhere until painted
    EXPECT_EQ(f.Label->RenderCount(), renders);

    f.Label->Effect()->SetTransparent(false);
    EXPECT_EQ(f.Label->RenderCount(), renders + 1);
    Fixture expected(QStringLiteral("Two"));
    EXPECT_EQ(f.Face(), expected.Face());
}

TEST(AALabel, CopiedEffectIsIndependentOfItsSource) {
    Fixture a, b;
    a.Label->Effect()->SetAlignment(taRightJustify);
    a.Label->Effect()->SetLayout(tlBottom);
    a.Label->Effect()->SetQuality(aqHigh);
    a.Label->Effect()->FontEffect()->Shadow().SetEnabled(true);
    a.Label->Effect()->FontEffect()->Shadow().SetOffsetX(-3);
    a.Label->Effect()->SetBackColor(clYellow);
    const int renders = b.Label->RenderCount();

    b.Label->SetEffect(*a.Label->Effect());
    EXPECT_GT(b.Label->RenderCount(), renders);
    EXPECT_EQ(b.Label->Effect()->Alignment(), taRightJustify);
    EXPECT_EQ(b.Label->Effect()->Layout(), tlBottom);
    EXPECT_EQ(b.Label->Effect()->Quality(), aqHigh);
    EXPECT_EQ(b.Label->AAFont()->Quality(), aqHigh);
    EXPECT_TRUE(b.Label->Effect()->FontEffect()->Shadow().Enabled());
    EXPECT_EQ(b.Label->Effect()->FontEffect()->Shadow().OffsetX(), -3);
    EXPECT_EQ(b.Label->Color(), clYellow);
    EXPECT_FALSE(b.Label->ParentColor());
    EXPECT_EQ(b.Label->Effect()->Control(), b.Label);
    EXPECT_EQ(a.Face(), b.Face());

    // Later changes stay with the object changed, and re-render only its own label.
    const int renderA = a.Label->RenderCount(), renderB = b.Label->RenderCount();
    a.Label->Effect()->FontEffect()->Shadow().SetOffsetX(5);
    a.Label->Effect()->SetAlignment(taCenter);
    b.Label->Effect()->SetQuality(aqLow);
    EXPECT_EQ(b.Label->Effect()->FontEffect()->Shadow().OffsetX(), -3);
    EXPECT_EQ(b.Label->Effect()->Alignment(), taRightJustify);
    EXPECT_EQ(a.Label->Effect()->Quality(), aqHigh);
    EXPECT_EQ(a.Label->RenderCount(), renderA + 2);
    EXPECT_EQ(b.Label->RenderCount(), renderB + 1);

    // A source that follows its parent's colour hands that on.
    Fixture c;
    c.Label->SetColor(clBlue);
    c.Label->SetEffect(*Fixture().Label->Effect());
    EXPECT_TRUE(c.Label->ParentColor());
    EXPECT_EQ(c.Label->Color(), RGB(0, 128, 0));
}

TEST(AALabel, ColourFontAndEffectChangesReRender) {
    Fixture f;
    // ParentColor: the parent's background, followed when the parent changes it.
    EXPECT_TRUE(f.Label->ParentColor());
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 0, 0), (Bgr{0, 128, 0}));
    int renders = f.Label->RenderCount();
    QPalette pal = f.Parent.palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 255));
    f.Parent.setPalette(pal);
    EXPECT_GT(f.Label->RenderCount(), renders);
    EXPECT_EQ(PixelOf(f.Label->Buffer(), 0, 0), (Bgr{255, 0, 0}));

    renders = f.Label->RenderCount();
    f.Label->Effect()->FontEffect()->SetAlpha(40);
    EXPECT_EQ(f.Label->RenderCount(), renders + 1);
    f.Label->Effect()->FontEffect()->Gradual().SetStyle(gsCenterToLR); // disabled: no change
    EXPECT_EQ(f.Label->RenderCount(), renders + 1);

    // The parent's font reaches a label on ParentFont; its own font takes it off.
    f.Label->ParentEffect()->SetParentFont(true);
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPixelSize(30);
    f.Parent.setFont(big);
    EXPECT_EQ(f.Label->Font()->Height(), -30);
    EXPECT_TRUE(f.Label->ParentFont());
    EXPECT_EQ(f.Label->height(), f.Label->AAFont()->TextHeight(f.Label->Caption()));
    f.Label->Font()->SetHeight(-12);
    EXPECT_FALSE(f.Label->ParentFont());
    f.Parent.setFont(QFont(QStringLiteral("DejaVu Sans"), 40));
    EXPECT_EQ(f.Label->Font()->Height(), -12);
    f.Label->ParentEffect()->SetParentFont(true);
    EXPECT_EQ(f.Label->Font()->Height(), -53); // 40 points at 96 pixels per inch
}

TEST(AALabel, MouseEntryAndExitReachTheirEvents) {
    Fixture f;
    int entered = 0, left = 0;
    f.Label->SetOnMouseEnter([&](TAAGraphicControl* sender) {
        EXPECT_EQ(sender, f.Label);
        ++entered;
    });
    f.Label->SetOnMouseLeave([&](TAAGraphicControl*) { ++left; });
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(f.Label, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.Label, &leave);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 1);

    // A click is a press and a release inside the label; what a handler throws is reported,
    // not carried into the event loop.
    MessageRecorder messages;
    int clicks = 0;
    f.Label->SetOnClick([&](TAAGraphicControl*) {
        ++clicks;
        throw Exception(QStringLiteral("click failed"));
    });
    f.Parent.show();
    QTest::mouseClick(f.Label, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mousePress(f.Label, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(f.Label, Qt::LeftButton, {}, QPoint(f.Label->width() + 5, 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("click failed")});
}

TEST(AALabel, DragAndParentGroupsActOnTheLabel) {
    Fixture f;
    f.Label->Drag()->SetDragMode(dmAutomatic);
    f.Label->Drag()->SetDragCursor(-13);
    EXPECT_EQ(f.Label->DragMode(), dmAutomatic);
    EXPECT_EQ(f.Label->DragCursor(), -13);
    f.Label->ParentEffect()->SetParentColor(false); // keeps the colour it showed
    EXPECT_EQ(f.Label->Color(), RGB(0, 128, 0));
    Fixture g;
    g.Label->SetDrag(*f.Label->Drag());
    g.Label->SetParentEffect(*f.Label->ParentEffect());
    EXPECT_EQ(g.Label->DragMode(), dmAutomatic);
    EXPECT_FALSE(g.Label->ParentColor());
}

TEST(AALabel, WindowLabelShowsSmoothTextOnItsParentsColour) {
    QWidget form;
    form.resize(300, 440);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Qt::white);
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    TAALabel* label = nullptr;
    {
        TAAGraphicControl::FormLoading loading;
        label = new TAALabel(&form);
        label->setObjectName(QStringLiteral("AALabel1"));
        label->setGeometry(0, 414, 258, 20);
        label->setProperty("Caption", QStringLiteral("AALabel1 Kavrilon股份有限公司"));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    form.setFont(font);
    form.show();
    const QImage shot = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const char* path = std::getenv("AALABEL_PNG")) {
        shot.save(QString::fromLocal8Bit(path));
        shot.scaled(shot.size() * 4).save(QString::fromLocal8Bit(path) + ".x4.png");
    }
    EXPECT_EQ(label->pos(), QPoint(0, 414));
    EXPECT_EQ(label->size(), QSize(label->AAFont()->TextWidth(label->Caption()),
                                   label->AAFont()->TextHeight(label->Caption())));
    int white = 0, dark = 0, grey = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            if (qRed(p) == 255)
                ++white;
            else if (qRed(p) < 64)
                ++dark;
            else
                ++grey;
        }
    // Black text on white with its edges in between.
    EXPECT_GT(white, shot.width() * shot.height() / 2);
    EXPECT_GT(dark, 30);
    EXPECT_GT(grey, 100);
}

// Enumerations are set by name (as a form description does) or by value; a name or value the
// enumeration does not declare changes nothing.
TEST(AALabel, EnumerationPropertiesTakeNamesAndRefuseUnknownValues) {
    TAALabel label;
    EXPECT_TRUE(label.setProperty("Quality", QStringLiteral("aqHigh")));
    EXPECT_EQ(label.Effect()->Quality(), aqHigh);
    EXPECT_TRUE(label.setProperty("Alignment", QVariant::fromValue(taCenter)));
    EXPECT_EQ(label.Effect()->Alignment(), taCenter);
    EXPECT_TRUE(label.setProperty("Layout", 2));
    EXPECT_EQ(label.Effect()->Layout(), tlBottom);
    EXPECT_TRUE(label.setProperty("BackGroundMode", QStringLiteral("bmTiled")));
    EXPECT_EQ(label.Effect()->BackGroundMode(), bmTiled);
    EXPECT_TRUE(label.setProperty("Align", QStringLiteral("alTop")));
    EXPECT_EQ(label.Align(), alTop);
    EXPECT_EQ(label.property("Quality").toString(), QStringLiteral("aqHigh"));

    EXPECT_FALSE(label.setProperty("Quality", QStringLiteral("aqBest")));
    label.setProperty("Quality", 7);
    label.setProperty("Alignment", 3);
    label.setProperty("Layout", 200);
    label.setProperty("BackGroundMode", 4);
    EXPECT_EQ(label.Effect()->Quality(), aqHigh);
    EXPECT_EQ(label.Effect()->Alignment(), taCenter);
    EXPECT_EQ(label.Effect()->Layout(), tlBottom);
    EXPECT_EQ(label.Effect()->BackGroundMode(), bmTiled);
    // An unknown placement places the control nowhere in particular, as it always did.
    label.setProperty("Align", 9);
    EXPECT_EQ(label.Align(), alNone);
}
