// The link edit driven through real key, mouse and focus events.
#include "Forms/Beep.h"
#include "LinkEditWindow.h"
#include "Recorder.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <memory>
#include <stdexcept>

namespace {
// Types keys with the caret at pos (the end when pos is -1) and returns the text.
QString TypeAt(TLinkEdit* e, int pos, const QString& keys) {
    e->deselect();
    e->setCursorPosition(pos < 0 ? int(e->text().size()) : pos);
    QTest::keyClicks(e, keys);
    return e->text();
}

QClipboard* Clip() {
    return QGuiApplication::clipboard();
}

struct BeepCounter {
    int count = 0;
    std::function<void()> previous = SetBeepHook([this] { ++count; });
    ~BeepCounter() { SetBeepHook(previous); }
};
} // namespace

TEST(LinkEdit, IntegerAndFloatTextTakeDigitsOneLeadingMinusAndOnePoint) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    EXPECT_EQ(TypeAt(e, -1, "1a2.+ 3-"), "123"); // "-" only at position 0
    EXPECT_EQ(TypeAt(e, 0, "--"), "-123");       // and only once
    EXPECT_EQ(e->cursorPosition(), 1);
    e->setText("45");
    e->setSelection(0, 1); // a selection starting at 0 counts as position 0
    QTest::keyClicks(e, "-");
    EXPECT_EQ(e->text(), "-5");
    QTest::keyClick(e, Qt::Key_Backspace); // passes every filter
    EXPECT_EQ(e->text(), "5");
    e->SetAcceptNegative(false);
    EXPECT_EQ(TypeAt(e, 0, "-"), "5");

    e->clear();
    e->SetTextType(FloatText);
    e->SetAcceptNegative(true);
    EXPECT_EQ(TypeAt(e, -1, "1.2.3e,x5-"), "1.235");
    EXPECT_EQ(TypeAt(e, 0, "--"), "-1.235");
    e->SetAcceptNegative(false);
    e->setText(".5");
    EXPECT_EQ(TypeAt(e, 0, "-"), ".5");
}

TEST(LinkEdit, IdentTextAndCharListFilterTypedKeys) {
    Window w([](TLinkEdit& e) { e.SetTextType(IdentText); });
    TLinkEdit* e = w.edit;
    EXPECT_EQ(TypeAt(e, -1, "1-a1_ b2"), "a1_b2");
    EXPECT_EQ(TypeAt(e, 0, "9_"), "_a1_b2"); // no digit at position 0
    e->clear();
    e->SetAcceptCharList("abc");
    EXPECT_EQ(TypeAt(e, -1, "adbxc1"), "abc"); // d, x and 1 are not in the list

    e->SetTextType(NormalText);
    e->SetAcceptCharList("");
    e->clear();
    QTest::keyClicks(e, "a-1. %");
    QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QStringLiteral("\u4e2d"), {});
    EXPECT_EQ(e->text(), "a-1. %\u4e2d");

    e->setText("xy");
    e->SetAcceptCharList("xyz");
    std::vector<int> pressed;
    e->SetOnKeyPress([&](QObject*, QChar& key) { pressed.push_back(key.unicode()); });
    EXPECT_EQ(TypeAt(e, -1, "axz"), "xyxz");
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<int>{0, 'x', 'z', 0})); // refused keys arrive as 0
    QTest::keyClick(e, Qt::Key_Backspace);
    e->setSelection(0, 2);
    Clip()->setText("old");
    QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clip()->text(), "xy");
    EXPECT_EQ(e->text(), "xyx");
}

TEST(LinkEdit, PasteFiltersTheClipboardTextAndLeavesItThere) {
    Window w([](TLinkEdit& e) { e.SetTextType(FloatText); });
    TLinkEdit* e = w.edit;
    Clip()->setText("a-1,5");
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), "-15");
    EXPECT_EQ(Clip()->text(), "-15");
    e->clear();
    Clip()->setText("1.2.3"); // no single-point rule for pasted text
    QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e->text(), "1.2.3");

    e->SetTextType(IntegerText);
    e->setText("12");
    e->setCursorPosition(1);
    Clip()->setText(" 3-4x");
    e->Paste();
    EXPECT_EQ(e->text(), "13-42");
    EXPECT_EQ(Clip()->text(), "3-4");

    // The context menu's paste goes through the same filter.
    e->SetTextType(IdentText);
    e->clear();
    Clip()->setText("1a-b");
    std::unique_ptr<QMenu> menu(e->CreateContextMenu());
    QAction* paste = menu->findChild<QAction*>("edit-paste");
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(e->text(), "ab");

    // An empty clipboard: nothing happens, and nothing is put on it.
    Clip()->clear();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->selectedText(), "ab");
    EXPECT_FALSE(Clip()->mimeData() && Clip()->mimeData()->hasText());
}

TEST(LinkEdit, LeavingRepairsNumberTextsAfterOnExit) {
    const std::tuple<TTextType, QString, QString> cases[] = {
        {IntegerText, "", "0"},           {IntegerText, "-", "0"},  {IntegerText, "-12", "-12"},
        {IntegerText, "3000000000", "0"}, {FloatText, ".5", "0.5"}, {FloatText, "3.", "3.0"},
        {FloatText, ".", "0.0"},          {FloatText, "", "0"},     {FloatText, "1.2.3", "0"},
        {FloatText, "-.", "-.0"},         {IdentText, "", ""},      {NormalText, "-.", "-."}};
    for (const auto& [type, typed, repaired] : cases) {
        Window w([&](TLinkEdit& e) { e.SetTextType(type); });
        w.edit->setText(typed);
        QString seen;
        w.edit->SetOnExit([&](QObject*) { seen = w.edit->text(); });
        w.next->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(seen, typed);
        EXPECT_EQ(w.edit->text(), repaired) << typed.toStdString();
    }
}

TEST(LinkEdit, PopupAndWindowSwitchNeitherEnterNorLeave) {
    Window w([](TLinkEdit& e) { e.SetTextType(IntegerText); });
    TLinkEdit* e = w.edit;
    e->setText("-");
    int enters = 0, exits = 0;
    e->SetOnEnter([&](QObject*) { ++enters; });
    e->SetOnExit([&](QObject*) { ++exits; });
    for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason), in(QEvent::FocusIn, reason);
        QApplication::sendEvent(e, &out);
        QApplication::sendEvent(e, &in);
    }
    EXPECT_EQ(e->text(), "-");
    EXPECT_EQ(enters + exits, 0);
    w.next->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(e->text(), "0");
}

TEST(LinkEdit, TextAreaNarrowsForTheButtonWhenEnteredOrWhenStyleChangesLater) {
    QWidget form;
    TLinkEdit* first = new TLinkEdit(&form);
    TLinkEdit* second = new TLinkEdit(&form);
    second->move(0, 40);
    int enters = 0;
    for (TLinkEdit* e : {first, second}) {
        e->SetLinkStyle(lsEllipsis); // as a form description sets it, before the window exists
        e->setText("abc");
        e->SetOnEnter([&](QObject*) { ++enters; });
    }
    first->setFocus();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(enters, 1); // the window's first focus enters
    EXPECT_EQ(first->textMargins().right(), first->ButtonWidth());
    EXPECT_EQ(first->selectedText(), "abc");
    EXPECT_EQ(second->textMargins().right(), 0);
    second->SetAutoSelect(false);
    second->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(second->textMargins().right(), second->ButtonWidth());
    EXPECT_FALSE(second->hasSelectedText());
    first->SetLinkStyle(lsNone); // the window exists: at once
    EXPECT_EQ(first->textMargins().right(), 0);
}

TEST(LinkEdit, CtrlEnterFiresTheButtonOnlyWhenThereIsOne) {
    for (const TLinkStyle style : {lsNone, lsEllipsis, lsDropDown}) {
        Window w([&](TLinkEdit& e) { e.SetLinkStyle(style); });
        TLinkEdit* e = w.edit;
        BeepCounter beeps;
        int clicks = 0, keyDowns = 0;
        e->SetOnButtonClick([&](QObject* sender) { clicks += sender == e ? 1 : 100; });
        e->SetOnKeyDown([&](QObject*, int& key, Qt::KeyboardModifiers) {
            keyDowns += key == Qt::Key_Return ? 1 : 0;
        });
        e->setText("ab");
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(clicks, style == lsNone ? 0 : 1) << int(style);
        EXPECT_EQ(keyDowns, style == lsNone ? 1 : 0) << int(style); // skipped when it fires
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
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
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_TRUE(e->hasFocus());
    e->SetEnterAsTab(true);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_TRUE(w.next->hasFocus());
    EXPECT_EQ(pressed, (std::vector<int>{13, 0}));
    EXPECT_EQ(e->text() + w.next->text(), "");

    TLinkEdit lone; // no parent: nowhere to go, but still nothing typed and no beep
    lone.SetEnterAsTab(true);
    QTest::keyClick(&lone, Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
}

TEST(LinkEdit, ButtonPressLookFollowsThePointerAndOnlyAReleaseOnItFires) {
    Window w([](TLinkEdit& e) { e.SetLinkStyle(lsEllipsis); });
    TLinkEdit* e = w.edit;
    int clicks = 0;
    e->SetOnButtonClick([&](QObject*) { ++clicks; });
    const QRect b = e->ButtonRect();
    const QPoint on = b.center(), off(b.left() - 20, b.center().y());

    QTest::mousePress(e, Qt::LeftButton, {}, on);
    EXPECT_TRUE(e->ButtonDown() && e->ButtonTracking());
    QTest::mouseMove(e, off);
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, off);
    EXPECT_FALSE(e->ButtonTracking());
    EXPECT_EQ(clicks, 0); // released outside

    QTest::mousePress(e, Qt::LeftButton, {}, on);
    QTest::mouseMove(e, off);
    QTest::mouseMove(e, b.topLeft());
    EXPECT_TRUE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, b.topLeft());
    EXPECT_FALSE(e->ButtonDown() || e->ButtonTracking());
    EXPECT_EQ(clicks, 1);

    // Presses off the button (its right edge is outside it) or with the right button.
    QTest::mouseClick(e, Qt::LeftButton, {}, {b.right() + 1, on.y()});
    QTest::mousePress(e, Qt::LeftButton, {}, off);
    QTest::mouseMove(e, on);
    EXPECT_FALSE(e->ButtonDown());
    QTest::mouseRelease(e, Qt::LeftButton, {}, on);
    QTest::mouseClick(e, Qt::RightButton, {}, on);
    EXPECT_EQ(clicks, 1);

    // Both clicks of a double click fire (press, release, double-click press, release).
    QTest::mouseClick(e, Qt::LeftButton, {}, on);
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(on), QPointF(e->mapToGlobal(on)),
                       Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(e, &second);
    QTest::mouseRelease(e, Qt::LeftButton, {}, on);
    EXPECT_EQ(clicks, 3);
}

TEST(LinkEdit, ButtonCursorShowsOverTheButtonOnly) {
    Window w([](TLinkEdit& e) { e.SetLinkStyle(lsDropDown); });
    TLinkEdit* e = w.edit;
    const QPoint on = e->ButtonRect().center();
    QTest::mouseMove(e, on);
    EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor); // crDefault
    QTest::mouseMove(e, on - QPoint(30, 0));
    EXPECT_EQ(e->cursor().shape(), Qt::IBeamCursor);
    e->SetButtonCursor(crHandPoint);
    QTest::mouseMove(e, on);
    EXPECT_EQ(e->cursor().shape(), Qt::PointingHandCursor);
}

TEST(LinkEdit, ComposedInputAndHandlerErrors) {
    MessageRecorder recorder;
    Window w([](TLinkEdit& e) {
        e.SetTextType(IntegerText);
        e.SetLinkStyle(lsEllipsis);
    });
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("1a-2\uff13")); // full-width 3 is no digit
    QApplication::sendEvent(w.edit, &composed);
    EXPECT_EQ(w.edit->text(), "12");

    w.edit->SetOnButtonClick([](QObject*) { throw std::runtime_error("no link"); });
    QTest::keyClick(w.edit, Qt::Key_Return, Qt::ControlModifier);
    QTest::mouseClick(w.edit, Qt::LeftButton, {}, w.edit->ButtonRect().center());
    EXPECT_EQ(recorder.Texts(), QStringList({"no link", "no link"}));
}

TEST(LinkEdit, PropertiesCanBeSetByName) {
    TLinkEdit e;
    EXPECT_EQ(e.property("AcceptNegative"), true);
    for (const auto& [name, value] : {std::pair<const char*, QVariant>{"LinkStyle", 2},
                                      {"TextType", 1},
                                      {"Alignment", 2},
                                      {"ButtonCursor", -21},
                                      {"EnterAsTab", true},
                                      {"AcceptNegative", false},
                                      {"AcceptCharList", "0123"}})
        EXPECT_TRUE(e.setProperty(name, value)) << name;
    EXPECT_EQ(e.LinkStyle(), lsDropDown);
    EXPECT_EQ(e.TextType(), IntegerText);
    EXPECT_EQ(e.Alignment(), taCenter);
    EXPECT_EQ(e.ButtonCursor(), crHandPoint);
    EXPECT_TRUE(e.EnterAsTab() && !e.AcceptNegative() && e.AcceptCharList() == "0123");
}
