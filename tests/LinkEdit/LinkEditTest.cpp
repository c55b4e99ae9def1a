// The link edit driven through real key, mouse, focus and paint events.
#include "LinkEditWindow.h"
#include "Recorder.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {
void Type(TLinkEdit* edit, const QString& keys) {
    QTest::keyClicks(edit, keys);
}

// The caret at pos with nothing selected.
void PlaceCaret(TLinkEdit* edit, int pos) {
    edit->deselect();
    edit->setCursorPosition(pos);
}

void SetClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}
QString Clipboard() {
    return QGuiApplication::clipboard()->text();
}

struct BeepCounter {
    int count = 0;
    std::function<void()> previous = TLinkEdit::SetBeep([this] { ++count; });
    ~BeepCounter() { TLinkEdit::SetBeep(previous); }
};
} // namespace

TEST(LinkEdit, IntegerTextTakesDigitsAndOneLeadingMinus) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    Type(e, "1a2.+ 3");
    EXPECT_EQ(e->text(), "123");
    Type(e, "-"); // not at position 0
    EXPECT_EQ(e->text(), "123");
    PlaceCaret(e, 0);
    Type(e, "-");
    EXPECT_EQ(e->text(), "-123");
    EXPECT_EQ(e->cursorPosition(), 1);
    PlaceCaret(e, 0);
    Type(e, "-"); // a second one
    EXPECT_EQ(e->text(), "-123");
    // A selection starting at 0 lets the sign in only when the text has none.
    e->setText("45");
    e->setSelection(0, 1);
    Type(e, "-");
    EXPECT_EQ(e->text(), "-5");
    // Backspace passes the filter.
    QTest::keyClick(e, Qt::Key_End);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), "-");

    e->setText("7");
    e->SetAcceptNegative(false);
    PlaceCaret(e, 0);
    Type(e, "-");
    EXPECT_EQ(e->text(), "7");
    e->clear();
    Type(e, "-");
    EXPECT_EQ(e->text(), "");
}

TEST(LinkEdit, FloatTextTakesOnePointAndOneLeadingMinus) {
    Window w([](TLinkEdit& e) { e.SetTextType(FloatText); });
    TLinkEdit* e = w.edit;
    Type(e, "1.2.3e,x5");
    EXPECT_EQ(e->text(), "1.235");
    Type(e, "-");
    EXPECT_EQ(e->text(), "1.235");
    PlaceCaret(e, 0);
    Type(e, "--");
    EXPECT_EQ(e->text(), "-1.235");
    e->clear();
    Type(e, ".5");
    EXPECT_EQ(e->text(), ".5");
    e->SetAcceptNegative(false);
    PlaceCaret(e, 0);
    Type(e, "-");
    EXPECT_EQ(e->text(), ".5");
}

TEST(LinkEdit, IdentTextRefusesLeadingDigitAndHonoursCharList) {
    Window w([](TLinkEdit& e) { e.SetTextType(IdentText); });
    TLinkEdit* e = w.edit;
    Type(e, "1-a1_ b2");
    EXPECT_EQ(e->text(), "a1_b2");
    PlaceCaret(e, 0);
    Type(e, "9");
    EXPECT_EQ(e->text(), "a1_b2");
    Type(e, "_");
    EXPECT_EQ(e->text(), "_a1_b2");

    e->clear();
    e->SetAcceptCharList("abc");
    Type(e, "adbxc1");
    EXPECT_EQ(e->text(), "abc"); // d and x are identifier characters, but not in the list
}

TEST(LinkEdit, NormalTextFiltersOnlyByCharList) {
    Window w;
    TLinkEdit* e = w.edit;
    std::vector<int> pressed;
    e->SetOnKeyPress([&](QObject* sender, QChar& key) {
        EXPECT_EQ(sender, e);
        pressed.push_back(key.unicode());
    });
    Type(e, "a-1. %");
    QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QStringLiteral("\u4e2d"), {});
    EXPECT_EQ(e->text(), "a-1. %\u4e2d");

    e->setText("xy");
    e->SetAcceptCharList("xyz");
    pressed.clear();
    Type(e, "axz");
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_EQ(e->text(), "xyxz");
    // Refused characters reach OnKeyPress as 0; Escape is refused too.
    EXPECT_EQ(pressed, (std::vector<int>{0, 'x', 'z', 0}));

    // Backspace and Ctrl+C still work.
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), "xyx");
    e->setSelection(0, 2);
    SetClipboard("old");
    QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "xy");
    EXPECT_EQ(e->text(), "xyx");
}

TEST(LinkEdit, KeyPressHandlerCanReplaceOrDropTheCharacter) {
    Window w;
    TLinkEdit* e = w.edit;
    e->SetOnKeyPress([](QObject*, QChar& key) {
        if (key == u'q')
            key = QChar(0);
        else if (key.isLower())
            key = key.toUpper();
    });
    Type(e, "aqb");
    EXPECT_EQ(e->text(), "AB");
}

TEST(LinkEdit, PasteFiltersTheClipboardTextAndLeavesItThere) {
    Window w([](TLinkEdit& e) { e.SetTextType(FloatText); });
    TLinkEdit* e = w.edit;
    SetClipboard("a-1,5");
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), "-15");
    EXPECT_EQ(Clipboard(), "-15");

    // The single sign and point rules do not apply to pasted text.
    e->clear();
    SetClipboard("1.2.3");
    QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e->text(), "1.2.3");

    // The paste entry of the context menu goes through the same filter.
    e->SetTextType(IdentText);
    e->clear();
    SetClipboard("1a-b");
    std::unique_ptr<QMenu> menu(e->CreateContextMenu());
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->objectName() == "edit-paste")
            paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(e->text(), "ab");
    EXPECT_EQ(Clipboard(), "ab");

    // An empty clipboard: nothing happens, and nothing is put on it.
    QGuiApplication::clipboard()->clear();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), "ab");
    EXPECT_TRUE(e->hasSelectedText());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(data == nullptr || !data->hasText());
}

TEST(LinkEdit, PasteIntoIntegerTextKeepsSignsAndDigits) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    e->setText("12");
    PlaceCaret(e, 1);
    SetClipboard(" 3-4x");
    e->Paste();
    EXPECT_EQ(e->text(), "13-42");
    EXPECT_EQ(e->cursorPosition(), 4);
    EXPECT_EQ(Clipboard(), "3-4");
}

TEST(LinkEdit, LeavingRepairsNumberTextsAfterOnExit) {
    struct Case {
        TTextType type;
        QString typed;
        QString repaired;
    };
    const Case cases[] = {
        {IntegerText, "", "0"},      {IntegerText, "-", "0"},
        {IntegerText, "-12", "-12"}, {IntegerText, "99999999999", "0"},
        {FloatText, ".5", "0.5"},    {FloatText, "3.", "3.0"},
        {FloatText, ".", "0.0"},     {FloatText, "", "0"},
        {FloatText, "1.2.3", "0"},   {FloatText, "-2.5", "-2.5"},
        {IdentText, "", ""},         {NormalText, "-.", "-."},
    };
    for (const Case& c : cases) {
        Window w([&](TLinkEdit& e) { e.SetTextType(c.type); });
        TLinkEdit* e = w.edit;
        e->setText(c.typed);
        QString seen;
        e->SetOnExit([&](QObject*) { seen = e->text(); });
        w.next->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(seen, c.typed);
        EXPECT_EQ(e->text(), c.repaired) << c.typed.toStdString();
    }
}

TEST(LinkEdit, PopupAndWindowSwitchAreNotLeaving) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    e->setText("-");
    int enters = 0, exits = 0;
    e->SetOnEnter([&](QObject*) { ++enters; });
    e->SetOnExit([&](QObject*) { ++exits; });
    for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(e, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(e, &in);
    }
    EXPECT_EQ(e->text(), "-");
    EXPECT_EQ(enters, 0);
    EXPECT_EQ(exits, 0);
    w.next->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(e->text(), "0");
}

TEST(LinkEdit, FirstFocusOfTheWindowEntersAndNarrowsForTheButton) {
    QWidget form;
    TLinkEdit* e = new TLinkEdit(&form);
    e->setGeometry(0, 0, 313, 28);
    e->SetLinkStyle(lsEllipsis);
    e->setText("abc");
    int enters = 0;
    e->SetOnEnter([&](QObject*) { ++enters; });
    e->setFocus();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(e->hasFocus());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(e->textMargins().right(), e->ButtonWidth());
    EXPECT_EQ(e->selectedText(), "abc");
}

TEST(LinkEdit, EnteringSelectsAllWhenAutoSelect) {
    Window w;
    TLinkEdit* e = w.edit;
    int enters = 0;
    e->SetOnEnter([&](QObject*) { ++enters; });
    e->setText("abc");
    w.next->setFocus(Qt::TabFocusReason);
    e->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(e->selectedText(), "abc");
    e->SetAutoSelect(false);
    w.next->setFocus(Qt::TabFocusReason);
    e->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(enters, 2);
    EXPECT_FALSE(e->hasSelectedText());
}

TEST(LinkEdit, CtrlEnterFiresTheButtonOnlyWhenThereIsOne) {
    for (const TLinkStyle style : {lsNone, lsEllipsis, lsDropDown}) {
        Window w([&](TLinkEdit& e) { e.SetLinkStyle(style); });
        TLinkEdit* e = w.edit;
        BeepCounter beeps;
        int clicks = 0, keyDowns = 0;
        e->SetOnButtonClick([&](QObject* sender) {
            EXPECT_EQ(sender, e);
            ++clicks;
        });
        e->SetOnKeyDown([&](QObject*, int& key, Qt::KeyboardModifiers) {
            keyDowns += key == Qt::Key_Return ? 1 : 0;
        });
        e->setText("ab");
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(e->text(), "ab");
        EXPECT_EQ(clicks, style == lsNone ? 0 : 1) << int(style);
        EXPECT_EQ(keyDowns, style == lsNone ? 1 : 0) << int(style);
        // Other shift states do not fire.
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Return);
        EXPECT_EQ(clicks, style == lsNone ? 0 : 1);
        EXPECT_EQ(e->text(), "ab");
    }
}

TEST(LinkEdit, EnterMovesFocusWithEnterAsTabAndBeepsWithout) {
    Window w;
    TLinkEdit* e = w.edit;
    BeepCounter beeps;
    std::vector<int> pressed;
    e->SetOnKeyPress([&](QObject*, QChar& key) { pressed.push_back(key.unicode()); });
    e->setText("ab");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_TRUE(e->hasFocus());
    EXPECT_EQ(pressed, std::vector<int>{13});

    e->SetEnterAsTab(true);
    pressed.clear();
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_TRUE(w.next->hasFocus());
    EXPECT_EQ(pressed, std::vector<int>{0});
    EXPECT_EQ(e->text(), "ab");
    EXPECT_EQ(w.next->text(), "");

    // Without a parent there is nowhere to go; Enter still types nothing and does not beep.
    TLinkEdit lone;
    lone.SetEnterAsTab(true);
    QTest::keyClick(&lone, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_EQ(lone.text(), "");
}

namespace {
// A point in the middle of the link button, and one in the text area.
QPoint OnButton(const TLinkEdit* e) {
    return e->ButtonRect().center();
}
QPoint OffButton(const TLinkEdit* e) {
    return {e->ButtonRect().left() - 20, e->height() / 2};
}
} // namespace

TEST(LinkEdit, ButtonPressLookFollowsThePointerAndOnlyAReleaseOnItFires) {
    Window w([](TLinkEdit& e) { e.SetLinkStyle(lsEllipsis); });
    TLinkEdit* e = w.edit;
    int clicks = 0;
    e->SetOnButtonClick([&](QObject*) { ++clicks; });

    // Press, move off, release: nothing.
    QTest::mousePress(e, Qt::LeftButton, {}, OnButton(e));
    EXPECT_TRUE(e->ButtonDown());
    EXPECT_TRUE(e->ButtonTracking());
    QTest::mouseMove(e, OffButton(e));
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, OffButton(e));
    EXPECT_FALSE(e->ButtonTracking());
    EXPECT_EQ(clicks, 0);

    // Press, move off, back, release: one click, and the button shows released again.
    QTest::mousePress(e, Qt::LeftButton, {}, OnButton(e));
    QTest::mouseMove(e, OffButton(e));
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseMove(e, OnButton(e) + QPoint(1, 1));
    EXPECT_TRUE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, OnButton(e) + QPoint(1, 1));
    EXPECT_FALSE(e->ButtonDown());
    EXPECT_FALSE(e->ButtonTracking());
    EXPECT_EQ(clicks, 1);

    // A press in the text area or with the right button does not track.
    QTest::mousePress(e, Qt::LeftButton, {}, OffButton(e));
    EXPECT_FALSE(e->ButtonTracking());
    QTest::mouseMove(e, OnButton(e));
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, OnButton(e));
    QTest::mousePress(e, Qt::RightButton, {}, OnButton(e));
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::RightButton, {}, OnButton(e));
    EXPECT_EQ(clicks, 1);

    // The button's right and bottom edges are outside it.
    const QRect b = e->ButtonRect();
    QTest::mousePress(e, Qt::LeftButton, {}, {b.right() + 1, b.center().y()});
    EXPECT_FALSE(e->ButtonTracking());
    QTest::mouseRelease(e, Qt::LeftButton, {}, {b.right() + 1, b.center().y()});
    QTest::mouseClick(e, Qt::LeftButton, {}, b.topLeft());
    EXPECT_EQ(clicks, 2);
    // Both clicks of a double click fire.
    // (press, release, double-click press, release, as the window system delivers them).
    QTest::mouseClick(e, Qt::LeftButton, {}, b.center());
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(b.center()),
                       QPointF(e->mapToGlobal(b.center())), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(e, &second);
    EXPECT_TRUE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, b.center());
    EXPECT_EQ(clicks, 4);
    EXPECT_FALSE(e->ButtonDown());
}

TEST(LinkEdit, ButtonCursorShowsOverTheButtonOnly) {
    Window w([](TLinkEdit& e) { e.SetLinkStyle(lsDropDown); });
    TLinkEdit* e = w.edit;
    QTest::mouseMove(e, OnButton(e));
    EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor); // crDefault
    QTest::mouseMove(e, OffButton(e));
    EXPECT_EQ(e->cursor().shape(), Qt::IBeamCursor);
    e->SetButtonCursor(TLinkEdit::crHandPoint);
    QTest::mouseMove(e, OnButton(e));
    EXPECT_EQ(e->cursor().shape(), Qt::PointingHandCursor);
    e->SetLinkStyle(lsNone);
    QTest::mouseMove(e, OnButton(e) + QPoint(1, 0));
    EXPECT_EQ(e->cursor().shape(), Qt::IBeamCursor);
}

TEST(LinkEdit, TextAreaNarrowsForTheButtonAtFocusOrWhenStyleChangesLater) {
    Window w;
    TLinkEdit* e = w.edit;
    w.next->setFocus();
    // Set before the window exists: narrowed only when the control first receives the focus.
    QWidget form;
    TLinkEdit* fromForm = new TLinkEdit(&form);
    fromForm->setGeometry(0, 0, 313, 28);
    fromForm->SetLinkStyle(lsEllipsis);
    QLineEdit* other = new QLineEdit(&form);
    other->setGeometry(0, 40, 100, 24);
    other->setFocus();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(fromForm->textMargins().right(), 0);
    fromForm->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(fromForm->textMargins().right(), fromForm->ButtonWidth());

    // Changed while the window exists: at once, both ways.
    e->SetLinkStyle(lsDropDown);
    EXPECT_EQ(e->textMargins().right(), e->ButtonWidth());
    e->SetLinkStyle(lsNone);
    EXPECT_EQ(e->textMargins().right(), 0);
}

TEST(LinkEdit, PropertiesCanBeSetByName) {
    TLinkEdit e;
    EXPECT_TRUE(e.setProperty("LinkStyle", 2));
    EXPECT_TRUE(e.setProperty("TextType", 1));
    EXPECT_TRUE(e.setProperty("Alignment", 2));
    EXPECT_TRUE(e.setProperty("ButtonCursor", -21));
    EXPECT_TRUE(e.setProperty("EnterAsTab", true));
    EXPECT_TRUE(e.setProperty("AcceptNegative", false));
    EXPECT_TRUE(e.setProperty("AcceptCharList", "0123"));
    EXPECT_EQ(e.LinkStyle(), lsDropDown);
    EXPECT_EQ(e.TextType(), IntegerText);
    EXPECT_EQ(e.Alignment(), TLinkEdit::taCenter);
    EXPECT_EQ(e.ButtonCursor(), TLinkEdit::crHandPoint);
    EXPECT_TRUE(e.EnterAsTab());
    EXPECT_FALSE(e.AcceptNegative());
    EXPECT_EQ(e.AcceptCharList(), "0123");

    TLinkEdit defaults;
    EXPECT_EQ(defaults.property("LinkStyle").toInt(), 0);
    EXPECT_EQ(defaults.property("ButtonCursor").toInt(), 0);
    EXPECT_EQ(defaults.property("Alignment").toInt(), 0);
    EXPECT_EQ(defaults.property("TextType").toInt(), 0);
    EXPECT_FALSE(defaults.property("EnterAsTab").toBool());
    EXPECT_TRUE(defaults.property("AcceptNegative").toBool());
    EXPECT_EQ(defaults.property("AcceptCharList").toString(), "");
}

TEST(LinkEdit, ComposedInputMeetsTheSameFilter) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("1a-2\uff13"));
    QApplication::sendEvent(e, &composed);
    EXPECT_EQ(e->text(), "12"); // the sign is no longer at the start; full-width 3 is no digit
}

TEST(LinkEdit, ButtonHandlerErrorsAreReportedNotThrown) {
    MessageRecorder recorder;
    Window w([](TLinkEdit& e) { e.SetLinkStyle(lsEllipsis); });
    w.edit->SetOnButtonClick([](QObject*) { throw std::runtime_error("no link"); });
    QTest::keyClick(w.edit, Qt::Key_Return, Qt::ControlModifier);
    QTest::mouseClick(w.edit, Qt::LeftButton, {}, w.edit->ButtonRect().center());
    EXPECT_EQ(recorder.Texts(), QStringList({"no link", "no link"}));
}
