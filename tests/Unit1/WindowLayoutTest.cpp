// The window's geometry as an operator sees it: no control clipped at the form's fonts, at
// scale factors 1.5 and 2 (a child run each, since the factor is fixed at start-up) and with
// larger fonts; the controls keep their order and neighbours.
#include "ChildRun.h"
#include "FormFixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>
#include <cstdlib>

namespace {

std::vector<QWidget*> VisibleControls(TForm1& form) {
    std::vector<QWidget*> out;
    for (QObject* child : form.children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow() && !w->isHidden())
            out.push_back(w);
    return out;
}

std::string Name(const QWidget* w) {
    return w->objectName().toStdString();
}

void ExpectNothingClipped(TForm1& form) {
    const std::vector<QWidget*> controls = VisibleControls(form);
    ASSERT_GE(controls.size(), 20u);
    for (QWidget* w : controls) {
        const QRect r = w->geometry();
        EXPECT_TRUE(form.rect().contains(r)) << Name(w) << " leaves the window";
        for (QWidget* other : controls)
            if (other != w && r.intersects(other->geometry())) {
                ADD_FAILURE() << Name(w) << " overlaps " << Name(other);
                break;
            }
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QLabel*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << Name(w) << ": caption wider";
            EXPECT_GE(w->height(), w->sizeHint().height()) << Name(w) << ": caption taller";
        }
        if (qobject_cast<QLineEdit*>(w)) {
            EXPECT_GE(w->height(), w->sizeHint().height()) << Name(w);
        }
        if (auto* group = qobject_cast<TRadioGroup*>(w)) {
            const QRect inside = group->contentsRect();
            for (int i = 0; QRadioButton* item = group->Button(i); ++i) {
                const std::string what = Name(w) + " item " + item->text().toStdString();
                EXPECT_GE(item->height(), item->sizeHint().height()) << what;
                EXPECT_GE(item->width(), item->sizeHint().width()) << what;
                EXPECT_TRUE(inside.contains(item->geometry())) << what << " cut by the group";
            }
        }
    }
    // The sample memo shows all its lines: nothing to scroll.
    EXPECT_EQ(form.Memo1->document()->blockCount(), 7);
    EXPECT_EQ(form.Memo1->verticalScrollBar()->maximum(), 0) << "Memo1 must show all 7 lines";
}

// a lies left of b on the same row; a lies above b.
bool LeftOf(const QWidget* a, const QWidget* b) {
    const QRect ra = a->geometry(), rb = b->geometry();
    return ra.right() < rb.left() && ra.top() <= rb.bottom() && rb.top() <= ra.bottom();
}
bool Above(const QWidget* a, const QWidget* b) {
    return a->geometry().bottom() < b->geometry().top();
}

void ExpectTheDrawnLayout(TForm1& f) {
    const std::vector<std::pair<QWidget*, QWidget*>> leftOf = {
        {f.RadioGroup_Command, f.RadioGroup_Port},
        {f.RadioGroup_Port, f.Button1},
        {f.Label1, f.NumEdit_delay},
        {f.NumEdit_delay, f.NumEdit_Page},
        {f.NumEdit_Page, f.Button12},
        {f.RadioGroup_ESC_SP, f.NumEdit_LineFeed},
        {f.NumEdit_LineFeed, f.Button8},
        {f.RadioGroup_Speed, f.Button7},
        {f.AALabel1, f.Button11},
        {f.Memo1, f.NumEdit_cut},
        {f.NumEdit_cut, f.Button10},
        {f.Button_TestPages, f.Button_Console},
    };
    for (auto [a, b] : leftOf)
        EXPECT_TRUE(LeftOf(a, b)) << Name(a) << " left of " << Name(b);
    const std::vector<std::pair<QWidget*, QWidget*>> above = {
        {f.Edit1, f.RadioGroup_Command},
        {f.Edit1, f.Button1},
        {f.Button1, f.Button2},
        {f.Button2, f.Button3},
        {f.Button3, f.Button4},
        {f.Button4, f.Button5},
        {f.Button5, f.Button6},
        {f.Button6, f.Button12},
        {f.RadioGroup_Port, f.NumEdit_delay},
        {f.Button_PortSettings, f.Button_TestPages},
        {f.Button_TestPages, f.NumEdit_Page},
        {f.Button_Status, f.Button_Console},
        {f.Button_Console, f.Button12},
        {f.Label1, f.RadioGroup_ESC_SP},
        {f.RadioGroup_ESC_SP, f.RadioGroup_Speed},
        {f.Button8, f.Button7},
        {f.RadioGroup_Speed, f.Gauge1},
        {f.Gauge1, f.LinkEdit1},
        {f.LinkEdit1, f.AALabel1},
        {f.AALabel1, f.Memo1},
        {f.Button11, f.Button10},
        {f.Button10, f.Button_CUT},
    };
    for (auto [a, b] : above)
        EXPECT_TRUE(Above(a, b)) << Name(a) << " above " << Name(b);
    // The column of buttons shares one right edge with the edit box above it.
    for (QWidget* b : {f.Button1, f.Button6, f.Button12, f.Button8, f.Button7, f.Button11,
                       f.Button10, f.Button_CUT})
        EXPECT_EQ(b->geometry().right(), f.Edit1->geometry().right()) << Name(b);
}

void ShowAndSettle(TForm1& form) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
}

// Every side of the memo's frame shows in the window's picture (at a fractional factor a
// frame off a whole device pixel, or under its text area, lost its top and right lines).
void ExpectMemoFrameWhole(TForm1& form) {
    const QImage shot = form.grab().toImage();
    const qreal f = shot.devicePixelRatio();
    const QRect r = form.Memo1->geometry();
    const int left = int(std::floor(r.left() * f)), top = int(std::floor(r.top() * f));
    const int right = int(std::ceil((r.right() + 1) * f)) - 1;
    const int bottom = int(std::ceil((r.bottom() + 1) * f)) - 1;
    const int midX = (left + right) / 2, midY = (top + bottom) / 2;
    auto inked = [&](int x0, int y0, int dx, int dy) {
        for (int i = 0; i < 3; ++i)
            if (qGray(shot.pixel(x0 + i * dx, y0 + i * dy)) < 0xF0)
                return true;
        return false;
    };
    EXPECT_TRUE(inked(midX, top, 0, 1)) << "top line missing at scale " << f;
    EXPECT_TRUE(inked(midX, bottom, 0, -1)) << "bottom line missing at scale " << f;
    EXPECT_TRUE(inked(left, midY, 1, 0)) << "left line missing at scale " << f;
    EXPECT_TRUE(inked(right, midY, -1, 0)) << "right line missing at scale " << f;
}

// Saves what the window looks like where VEMIX_WINDOW_SHOT says (a child run asks for it).
void SaveShot(TForm1& form) {
    if (const char* path = std::getenv("VEMIX_WINDOW_SHOT")) {
        EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(path)));
    }
}

} // namespace

TEST_F(FormTest, NothingClippedAtTheFormsFonts) {
    ShowAndSettle(form());
    ExpectNothingClipped(form());
    ExpectTheDrawnLayout(form());
    ExpectMemoFrameWhole(form());
    SaveShot(form());
}

TEST_F(FormTest, NothingClippedWithLargerFonts) {
    // Every font of the window at 20 pixels instead of 15.
    for (QWidget* w : form().findChildren<QWidget*>()) {
        QFont f = w->font();
        f.setPixelSize(20);
        w->setFont(f);
    }
    form().SizeToContents();
    ShowAndSettle(form());
    ExpectNothingClipped(form());
    ExpectTheDrawnLayout(form());
    form().grab().save(QStringLiteral(VEMIX_BUILD_DIR "/window-font-20px.png"));
}

TEST(WindowScale, NothingClippedAtScaleFactors) {
    for (const char* scale : {"1", "1.5", "2"}) {
        SCOPED_TRACE(scale);
        const QString shot = QStringLiteral(VEMIX_BUILD_DIR "/window-scale-%1.png").arg(scale);
        QFile::remove(shot);
        QProcessEnvironment env;
        env.insert("QT_SCALE_FACTOR", scale);
        env.insert("VEMIX_WINDOW_SHOT", shot);
        const ChildResult run = RunSelf("FormTest.NothingClippedAtTheFormsFonts", env);
        EXPECT_TRUE(run.PassedOne()) << run.Output.toStdString();
        const QImage image(shot);
        ASSERT_FALSE(image.isNull()) << "no picture at " << shot.toStdString();
        // The picture has the screen's pixels: the window's size times the factor, a few
        // units more at a fractional one, where the controls lie on whole device pixels.
        TForm1 form;
        const double factor = QString(scale).toDouble();
        EXPECT_GE(image.width(), form.width() * factor - 2);
        EXPECT_LE(image.width(), form.width() * factor * 1.02 + 2);
    }
}
