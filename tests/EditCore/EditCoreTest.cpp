// The edit state and the focus rule without a widget, and the base control keeping the line
// edit and the state the same.
#include "EditCore/CustomEdit.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
TEditState State(const QString& text, int selStart, int selLength = 0, int maxLength = 0) {
    TEditState s;
    s.Text = text;
    s.Select(selStart, selLength);
    s.MaxLength = maxLength;
    return s;
}

// The base control with no rules of its own.
class TPlainEdit : public TCustomEdit {
  public:
    TPlainEdit() : TCustomEdit(FState, nullptr) {}
    TEditState& State() { return FState; }
    void Show() { ShowState(); }

  protected:
    void DoEnter(Qt::FocusReason) override {}
    void DoExit() override {}

  private:
    TEditState FState;
};
} // namespace

TEST(EditState, TypingReplacesTheSelectionAndKeepsTheLengthLimit) {
    TEditState s = State("12345", 1, 2);
    EXPECT_TRUE(s.Insert("x"));
    EXPECT_EQ(s, State("1x45", 2));
    // At the limit a selection still makes room; a text that does not fit goes nowhere.
    s = State("12345", 1, 2, 5);
    EXPECT_TRUE(s.Insert("ab"));
    EXPECT_EQ(s.Text, "1ab45");
    EXPECT_FALSE(s.Insert("c"));
    EXPECT_EQ(s, State("1ab45", 3, 0, 5));
    EXPECT_TRUE(s.Insert(QString())); // removing the selection
    // Caret and selection never leave the text.
    s.Select(9, 4);
    EXPECT_EQ(s.SelStart, 5);
    EXPECT_EQ(s.SelLength, 0);
    s.Select(-2, 3);
    EXPECT_EQ(s.SelectedText(), "1ab");
    s.SelectAll();
    EXPECT_EQ(s.SelectedText(), "1ab45");
    EXPECT_EQ(s.Pos(u'4'), 4);
    EXPECT_EQ(s.Pos(u'9'), 0);
    EXPECT_EQ(s.At(1), u'1');
    EXPECT_TRUE(s.At(0).isNull() && s.At(6).isNull());
}

TEST(EditFocus, WindowSwitchesAndPopupsNeitherEnterNorExit) {
    TEditFocus f;
    EXPECT_FALSE(f.Out(Qt::TabFocusReason)); // never entered: nothing to exit
    EXPECT_FALSE(f.In(Qt::PopupFocusReason));
    EXPECT_TRUE(f.In(Qt::ActiveWindowFocusReason)); // the window's first focus enters
    EXPECT_FALSE(f.In(Qt::TabFocusReason));         // once
    for (const Qt::FocusReason away : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        EXPECT_FALSE(f.Out(away));
        EXPECT_FALSE(f.In(away));
        EXPECT_TRUE(f.Entered());
    }
    EXPECT_TRUE(f.Out(Qt::MouseFocusReason));
    EXPECT_FALSE(f.Out(Qt::TabFocusReason));
    EXPECT_TRUE(f.In(Qt::OtherFocusReason)); // focus taken back: entered again
}

TEST(CustomEdit, TheStateFollowsTheLineEditAndTheLineEditShowsTheState) {
    TPlainEdit e;
    e.setText("12345");
    EXPECT_EQ(e.State(), State("12345", 5));
    e.setCursorPosition(4);
    QTest::keyClick(&e, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&e, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(e.State(), State("12345", 2, 2)); // selected leftwards, the caret at its start
    e.Show();
    EXPECT_EQ(e.cursorPosition(), 2); // unchanged, so the selection keeps its direction
    QTest::keyClick(&e, Qt::Key_X);
    EXPECT_EQ(e.State(), State("12x5", 3));
    QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.State().Text, "12345");

    e.State() = State("9876", 1, 2);
    e.Show();
    EXPECT_EQ(e.text(), "9876");
    EXPECT_EQ(e.selectedText(), "87");
    // A handler of the change that rewrites the text: the state ends as the screen shows it.
    QObject::connect(&e, &QLineEdit::textChanged, &e, [&](const QString& t) {
        if (t == "bad")
            e.setText("good");
    });
    e.State() = State("bad", 1);
    e.Show();
    EXPECT_EQ(e.text(), "good");
    EXPECT_EQ(e.State(), State("good", 1));
}
