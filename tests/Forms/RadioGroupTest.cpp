// The radio group under the keyboard: one tab stop, arrows select round the items, Space.
#include "Forms/RadioGroup.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
struct Window {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    TRadioGroup* group = new TRadioGroup(&window);
    QLineEdit* after = new QLineEdit(&window);
    int clicks = 0;

    explicit Window(int columns) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(group);
        layout->addWidget(after);
        group->SetColumns(columns);
        group->SetItems({"EPSON", "START", "TP-3688"});
        group->SetItemIndex(1);
        // The items arrived after the group was made: put them back in order.
        QWidget::setTabOrder(before, group->Button(0));
        QWidget::setTabOrder(group->Button(0), group->Button(1));
        QWidget::setTabOrder(group->Button(1), group->Button(2));
        QWidget::setTabOrder(group->Button(2), after);
        group->SetOnClick([this] { ++clicks; });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        before->setFocus(Qt::TabFocusReason);
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(Focus(), key, mods); }
};
} // namespace

TEST(RadioGroupKeys, OneTabStopOnTheSelectedItem) {
    Window w(1);
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Focus(), w.group->Button(1));
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Focus(), w.after);
    w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.Focus(), w.group->Button(1));
    w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.Focus(), w.before);
    EXPECT_EQ(w.clicks, 0); // moving the focus selects nothing
    // Focusing the group is focusing its selected item.
    w.group->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(w.Focus(), w.group->Button(1));

    // No item selected: the first one is the stop.
    w.before->setFocus(Qt::TabFocusReason);
    w.group->SetItemIndex(-1);
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Focus(), w.group->Button(0));
    EXPECT_FALSE(w.group->Button(0)->isChecked());

    // New items keep the group's place in the order.
    w.before->setFocus(Qt::TabFocusReason);
    w.group->SetItems({"br9600", "br19200"});
    w.group->SetItemIndex(1);
    QApplication::processEvents(); // the layout shows new buttons from the event loop
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Focus(), w.group->Button(1));
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Focus(), w.after);
}

TEST(RadioGroupKeys, ArrowsSelectRoundTheItemsAndSpaceSelectsTheFocusedOne) {
    for (int columns : {1, 3}) {
        SCOPED_TRACE(columns);
        Window w(columns);
        QStringList seen;
        w.group->SetOnClick([&] {
            seen << w.group->SelectedText();
            EXPECT_EQ(w.Focus(), w.group->Button(w.group->ItemIndex()));
        });
        w.Key(Qt::Key_Tab);
        w.Key(Qt::Key_Down);
        w.Key(Qt::Key_Down); // wraps to the first
        w.Key(Qt::Key_Up);   // and back to the last
        w.Key(Qt::Key_Left);
        w.Key(Qt::Key_Right);
        EXPECT_EQ(seen, QStringList({"TP-3688", "EPSON", "TP-3688", "START", "TP-3688"}));
        EXPECT_TRUE(w.group->Button(2)->isChecked());
        EXPECT_FALSE(w.group->Button(1)->isChecked());
        // Tab leaves from the new selection and comes back to it.
        w.Key(Qt::Key_Tab);
        EXPECT_EQ(w.Focus(), w.after);
        w.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(w.Focus(), w.group->Button(2));
        // Space clicks the focused item: selected again, the event runs again.
        w.Key(Qt::Key_Space);
        EXPECT_EQ(seen.size(), 6);
        EXPECT_EQ(w.group->ItemIndex(), 2);
        // Ctrl with an arrow is not a selection.
        w.Key(Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(w.group->ItemIndex(), 2);
    }
}
