// The window worked by keyboard alone: the tab order, the radio groups by arrows, Enter in the
// numeric edits, and buttons pressed by Space and Enter.
#include "FormFixture.h"

#include "Forms/Beep.h"

#include <QApplication>

namespace {

// The tab order of the window; the hidden Memo2 and Button9 are passed over.
const QStringList TabOrder = {
    "Edit1",
    "RadioGroup_Command",
    "RadioGroup_Port",
    "Button_PortSettings",
    "Button_Status",
    "Button_TestPages",
    "Button_Console",
    "NumEdit_delay",
    "NumEdit_Page",
    "Button1",
    "Button2",
    "Button3",
    "Button4",
    "Button5",
    "Button6",
    "Button12",
    "Button7",
    "RadioGroup_ESC_SP",
    "Button8",
    "NumEdit_LineFeed",
    "RadioGroup_Speed",
    "LinkEdit1",
    "Memo1",
    "Button_CUT",
    "Button10",
    "NumEdit_cut",
    "Button11",
};

class KeyboardTest : public FormTest {
  protected:
    KeyboardTest() {
        SetBeepHook([] {});
        Port(4); // LPT1, a file: every command's bytes collect there
        form().show();
        form().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
        form().Edit1->setFocus(Qt::TabFocusReason);
    }
    ~KeyboardTest() override { SetBeepHook({}); }

    static QWidget* Focus() { return QApplication::focusWidget(); }
    // The control that has the focus; a radio item stands for its group, and must be the
    // group's selected item.
    QString Stop() const {
        QWidget* w = Focus();
        if (!w)
            return "(none)";
        if (auto* group = qobject_cast<TRadioGroup*>(w->parentWidget())) {
            EXPECT_EQ(w, group->Button(group->ItemIndex())) << "a group's stop is its selection";
            return group->objectName();
        }
        return w->objectName();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(Focus(), key, mods); }
    QString Title() { return form().windowTitle(); }
};

} // namespace

TEST_F(KeyboardTest, TabAndShiftTabWalkTheWholeOrderBothWays) {
    const int n = static_cast<int>(TabOrder.size());
    QStringList forward;
    for (int i = 0; i < n; ++i) {
        Key(Qt::Key_Tab);
        forward << Stop();
    }
    // Round once: from Edit1 to Button11, then back to Edit1.
    EXPECT_EQ(forward.join(' ').toStdString(),
              (TabOrder.mid(1) + QStringList{"Edit1"}).join(' ').toStdString());
    QStringList backward;
    for (int i = 0; i < n; ++i) {
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        backward << Stop();
    }
    QStringList reversed(TabOrder.rbegin(), TabOrder.rend());
    EXPECT_EQ(backward.join(' ').toStdString(), reversed.join(' ').toStdString());
    // Walking by keys typed nothing and sent nothing.
    EXPECT_EQ(form().Memo1->document()->blockCount(), 7);
    EXPECT_EQ(Lpt1(), "");
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join("|").toStdString();
}

TEST_F(KeyboardTest, EnterInANumericEditMovesToTheNextControl) {
    const std::vector<std::pair<TNumEdit*, QString>> next = {
        {form().NumEdit_delay, "NumEdit_Page"},
        {form().NumEdit_Page, "Button1"},
        {form().NumEdit_LineFeed, "RadioGroup_Speed"},
        {form().NumEdit_cut, "Button11"},
    };
    for (const auto& [box, to] : next) {
        box->setFocus(Qt::TabFocusReason);
        Key(Qt::Key_Return);
        EXPECT_EQ(Stop(), to) << box->objectName().toStdString();
    }
    EXPECT_EQ(Lpt1(), "");
}

TEST_F(KeyboardTest, SpaceAndEnterPressTheFocusedButton) {
    form().NumEdit_LineFeed->setText("2");
    form().Button8->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0x02}));
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0x02}));
    Key(Qt::Key_Space);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0x02}));
    form().Button_CUT->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_EQ(Lpt1(), B({0x1D, 0x56, 0x01}));
    // A held Enter (its repeats) starts one command, not one per repeat.
    const std::string before = Lpt1();
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
    QApplication::sendEvent(form().Button2, &repeat);
    EXPECT_EQ(Lpt1(), before);
}

TEST_F(KeyboardTest, ArrowsChangeEveryGroupAndTheNextCommandFollows) {
    // Command mode: the title follows at once, round the three modes.
    Key(Qt::Key_Tab);
    ASSERT_EQ(Stop(), "RadioGroup_Command");
    Key(Qt::Key_Down);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> LPT1"));
    Key(Qt::Key_Down);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (TP-3688指令) --> LPT1"));
    Key(Qt::Key_Down);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (EPSON指令) --> LPT1"));
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> LPT1"));
    // START's cut is ESC C 1.
    form().Button_CUT->click();
    EXPECT_EQ(Lpt1(), B({0x1B, 0x43, 0x01}));

    // Port: from LPT1 down to LPT2 and NET, then round to COM1 and back up to LPT2.
    form().RadioGroup_Port->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(Stop(), "RadioGroup_Port");
    Key(Qt::Key_Down);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> LPT2"));
    Key(Qt::Key_Right);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> NET"));
    Key(Qt::Key_Right);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> COM1"));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Title(), QStringLiteral("列印測試 (START指令) --> LPT2"));
    form().Button2->click(); // a line feed goes to LPT2 now
    EXPECT_EQ(ReadFileBytes(dir_.File("lpt2")), "\n");
    Key(Qt::Key_Up);
    EXPECT_EQ(form().PortName(), "LPT1");

    // Font: each arrow selects and sends its font command at once.
    form().RadioGroup_ESC_SP->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(Stop(), "RadioGroup_ESC_SP");
    Key(Qt::Key_Right);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x20, 0x01}));
    Key(Qt::Key_Right);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x20, 0x02}));
    Key(Qt::Key_Right);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x20, 0x00}));
    EXPECT_EQ(form().RadioGroup_ESC_SP->SelectedText(), "7x9");

    // Speed: nothing happens until the next command takes it to the driver.
    form().RadioGroup_Speed->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(Stop(), "RadioGroup_Speed");
    const std::string before = Lpt1();
    Key(Qt::Key_Down);
    EXPECT_EQ(form().RadioGroup_Speed->SelectedText(), "br19200");
    EXPECT_EQ(form().SerialDriver1->ComPortSpeed(), br9600);
    EXPECT_EQ(Lpt1(), before);
    form().Button2->click();
    EXPECT_EQ(form().SerialDriver1->ComPortSpeed(), br19200);
    // Leaving the group by Tab and coming back lands on the new selection.
    Key(Qt::Key_Tab);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focus(), form().RadioGroup_Speed->Button(1));
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join("|").toStdString();
}
