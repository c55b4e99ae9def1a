// The window's own controls as an operator meets them.
#include "FormFixture.h"

#include "Forms/Beep.h"

namespace {

class ShownFormTest : public FormTest {
  protected:
    ShownFormTest() {
        SetBeepHook([] {});
        form().show();
        form().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
    }
    ~ShownFormTest() override { SetBeepHook({}); }
    void FocusOn(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
};

} // namespace

TEST_F(ShownFormTest, LineCountBelowRangeIsPulledBackWithABeepAndFeedsWhatItShows) {
    Port(4);
    FocusOn(form().NumEdit_LineFeed);
    QTest::keyClick(form().NumEdit_LineFeed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form().NumEdit_LineFeed, "x0");
    EXPECT_EQ(form().NumEdit_LineFeed->text(), "0");
    int beeps = BeepCount();
    QTest::keyClick(form().NumEdit_LineFeed, Qt::Key_Tab);
    EXPECT_EQ(form().NumEdit_LineFeed->text(), "1");
    EXPECT_GT(BeepCount(), beeps);
    EXPECT_TRUE(form().NumEdit_LineFeed->hasFocus());
    form().Button8Click();
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0x01}));

    // Enter moves on like Tab once the value is in range.
    QTest::keyClick(form().NumEdit_LineFeed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form().NumEdit_LineFeed, "12");
    QTest::keyClick(form().NumEdit_LineFeed, Qt::Key_Return);
    EXPECT_FALSE(form().NumEdit_LineFeed->hasFocus());
    form().Button8Click();
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0x0C}));
}

TEST_F(ShownFormTest, LinkEditRepairsFloatTextAndFiresItsButtonOncePerClick) {
    form().LinkEdit1->SetTextType(FloatText);
    FocusOn(form().LinkEdit1);
    form().LinkEdit1->setText(".5");
    FocusOn(form().Edit1);
    EXPECT_EQ(form().LinkEdit1->text(), "0.5");

    int clicks = 0;
    form().LinkEdit1->SetLinkStyle(lsEllipsis);
    form().LinkEdit1->SetOnButtonClick([&](QObject*) { ++clicks; });
    QPoint button = form().LinkEdit1->ButtonRect().center();
    QTest::mouseClick(form().LinkEdit1, Qt::LeftButton, {}, button);
    EXPECT_EQ(clicks, 1);
}

// The form file names its enumerations ("Controls::taRightJustify"), and the window built
// from it holds them: right-aligned number boxes in the plain number format.
TEST_F(FormTest, FormFileSetsEnumerationsByName) {
    for (TNumEdit* box :
         {form().NumEdit_delay, form().NumEdit_Page, form().NumEdit_LineFeed, form().NumEdit_cut}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->Alignment(), taRightJustify);
        EXPECT_TRUE(box->alignment() & Qt::AlignRight);
        EXPECT_EQ(box->NumberFormat(), Standard);
        EXPECT_EQ(box->property("Alignment").value<TAlignment>(), taRightJustify);
    }
}
