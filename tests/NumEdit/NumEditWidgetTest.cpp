// The numeric edit as a widget: real key, clipboard, mouse and focus events.
#include "Forms/Beep.h"
#include "NumEditWindow.h"
#include "QtPrint.h"
#include "Recorder.h"
#include "Rtl/Locale.h"

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>
#include <gtest/gtest.h>

TEST(NumEditWidget, ConstructorAndFormProperties) {
    TNumEdit box;
    EXPECT_EQ(box.text(), "0");
    EXPECT_EQ(box.width(), 100);
    EXPECT_EQ(box.Decimals(), -1);
    EXPECT_EQ(box.NumberFormat(), Standard);
    EXPECT_EQ(box.Alignment(), taRightJustify);
    EXPECT_TRUE(box.alignment() & Qt::AlignRight);
    EXPECT_TRUE(box.EnterAsTab());
    EXPECT_TRUE(box.AutoSelect());
    EXPECT_EQ(box.CharCase(), ecNormal);
    EXPECT_FALSE(box.RangeInForce());
    box.setProperty("Version", "9");
    EXPECT_EQ(box.property("Version").toString(), "2.40.00.00");

    // The window's boxes, in the order their description sets them.
    for (double max : {250.0, 0.0, 10000.0}) {
        TNumEdit b;
        b.setProperty("Decimals", -1);
        b.setProperty("EnterAsTab", true);
        b.setProperty("MaxValue", max);
        b.setProperty("MinValue", max > 0 ? 1.0 : 0.0);
        b.setProperty("NumberFormat", 0);
        b.setProperty("Value", max > 0 ? 1.0 : 900.0);
        b.setProperty("Alignment", 1);
        EXPECT_EQ(b.MaxValue(), max);
        EXPECT_EQ(b.MinValue(), max > 0 ? 1 : 0);
        EXPECT_EQ(b.AsInteger(), max > 0 ? 1 : 900);
        EXPECT_EQ(b.property("Value").toDouble(), max > 0 ? 1 : 900);
    }
    // The minimum first is refused: it would lie above the maximum of 0.
    TNumEdit b;
    b.setProperty("MinValue", 5.0);
    b.setProperty("MaxValue", 10.0);
    EXPECT_EQ(b.MinValue(), 0);
    b.setProperty("MinValue", 5.0);
    EXPECT_EQ(b.MinValue(), 5);
    b.SetMaxValue(4); // below the minimum
    EXPECT_EQ(b.MaxValue(), 10);
    b.setProperty("NumberFormat", 2);
    b.setProperty("Alignment", 2);
    EXPECT_EQ(b.NumberFormat(), Scientific);
    EXPECT_TRUE(b.alignment() & Qt::AlignHCenter);
    b.setText("-E");
    EXPECT_TRUE(std::isnan(b.property("Value").toDouble()));
}

TEST(NumEditWidget, SettersRewriteTheText) {
    SetRegionalSeparators({u'.', u','});
    TNumEdit box;
    QSignalSpy changes(&box, &QLineEdit::textChanged);
    box.SetValue(1);
    EXPECT_EQ(changes.count(), 1);
    box.SetValue(1.0L); // same text: no change notification
    EXPECT_EQ(changes.count(), 1);
    box.SetDecimals(20);
    EXPECT_EQ(box.Decimals(), 14);
    EXPECT_EQ(box.text(), "1.00000000000000");
    box.SetDecimals(-7);
    EXPECT_EQ(box.Decimals(), -1);
    EXPECT_EQ(box.text(), "1");
    box.setMaxLength(5);
    box.SetDecimals(4);
    EXPECT_EQ(box.Decimals(), 3);
    EXPECT_EQ(box.text(), "1.000");
    box.setMaxLength(32767);
    box.SetDecimals(-1);
    box.SetValue(1234567.5L);
    box.SetNumberFormat(Thousands);
    EXPECT_EQ(box.text(), "1,234,567.5");
    box.SetNumberFormat(Engineering);
    EXPECT_EQ(box.text(), "1.2345675E6");
    box.SetNumberFormat(Standard);
    EXPECT_EQ(box.text(), "1234567.5");
    box.setText("2.9");
    EXPECT_EQ(box.AsInteger(), 2);
    box.setText("-3.7");
    EXPECT_EQ(box.AsInteger(), -3);
    box.setText("1,250.9");
    EXPECT_EQ(box.AsInteger(), 1250);
    box.setText("-E");
    try {
        box.AsInteger();
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'-E' is not a valid floating point value");
    }
}

TEST(NumEditWidget, TypingThroughKeyEvents) {
    Form f;
    f.Enter();
    EXPECT_EQ(Shown(*f.box), "[0]");
    Type(f.box, "5");
    EXPECT_EQ(Shown(*f.box), "5|");
    f.box->setText("250");
    f.box->selectAll();
    Type(f.box, "7");
    EXPECT_EQ(Shown(*f.box), "7|");
    f.box->setText("12");
    Type(f.box, "-");
    EXPECT_EQ(Shown(*f.box), "-12|");
    Type(f.box, "-");
    EXPECT_EQ(Shown(*f.box), "12|");
    QTest::keyClick(f.box, Qt::Key_Home);
    EXPECT_EQ(Shown(*f.box), "|12");
    QTest::keyClick(f.box, Qt::Key_Right);
    EXPECT_EQ(Shown(*f.box), "1|2");
    Type(f.box, ".");
    EXPECT_EQ(Shown(*f.box), "12.|");
    Type(f.box, "5e");
    EXPECT_EQ(Shown(*f.box), "12.5E|");
    Type(f.box, "3-");
    EXPECT_EQ(Shown(*f.box), "12.5E-3|");
    Type(f.box, "xa+ ");
    EXPECT_EQ(Shown(*f.box), "12.5E-3|");
    Type(f.box, "\b\b\b");
    EXPECT_EQ(Shown(*f.box), "12.|E");
    QTest::keyClick(f.box, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(f.box, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Shown(*f.box), "1[2.]E");
    QTest::keyClick(f.box, Qt::Key_Delete);
    EXPECT_EQ(Shown(*f.box), "1|.E");

    f.box->SetDecimals(2);
    f.box->SetValue(1.5L);
    f.box->setCursorPosition(2);
    Type(f.box, "7");
    EXPECT_EQ(Shown(*f.box), "1.7|0");
    Type(f.box, "9");
    EXPECT_EQ(Shown(*f.box), "1.79|");
    Type(f.box, "9");
    EXPECT_EQ(Shown(*f.box), "1.79|");
    Type(f.box, "\b");
    EXPECT_EQ(Shown(*f.box), "1.7|0");

    f.box->SetDecimals(-1);
    f.box->SetNumberFormat(Thousands);
    f.box->SetValue(0);
    f.box->setCursorPosition(1);
    QStringList seen;
    for (QChar k : QStringLiteral("1234")) {
        Type(f.box, k);
        seen << Shown(*f.box);
    }
    EXPECT_EQ(seen, QStringList({"1|", "12|", "123|", "1,234|"}));
}

TEST(NumEditWidget, KeyHandlersAndCharCase) {
    Form f;
    f.Enter();
    QList<int> downs;
    QString presses;
    f.box->SetOnKeyDown([&](TNumEdit*, int& key, Qt::KeyboardModifiers) {
        downs << key;
        if (key == VK_BACK)
            key = 0; // the handler takes Backspace away
    });
    f.box->SetOnKeyPress([&](TNumEdit*, QChar& key) {
        presses += key;
        if (key == u'1')
            key = u'2';
    });
    Type(f.box, "1\b");
    EXPECT_EQ(Shown(*f.box), "2|");
    EXPECT_EQ(downs, QList<int>({'1', VK_BACK}));
    EXPECT_EQ(presses, QString("1\b"));
    f.box->SetCharCase(ecLowerCase);
    Type(f.box, "E");
    EXPECT_EQ(Shown(*f.box), "2E|");
    f.box->setReadOnly(true);
    Type(f.box, "5\b-");
    EXPECT_EQ(f.box->text(), "2E");
}

TEST(NumEditWidget, ClipboardByKeysMenuAndProgram) {
    Form f;
    f.Enter();
    QClipboard* clip = QGuiApplication::clipboard();
    clip->setText("x");
    f.box->setCursorPosition(1);
    QTest::keyClick(f.box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clip->text(), "0");
    f.box->SetNumberFormat(Thousands);
    f.box->SetValue(1234);
    f.box->selectAll();
    QTest::keyClick(f.box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clip->text(), "1234");

    f.box->SetNumberFormat(Standard);
    f.box->SetValue(0);
    f.box->setCursorPosition(1);
    clip->setText("1,2a34");
    QTest::keyClick(f.box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Shown(*f.box), "1234|");
    // Pasted text passes the key press handler one character at a time.
    QString seen;
    f.box->SetOnKeyPress([&](TNumEdit*, QChar& key) { seen += key; });
    f.box->setSelection(1, 2);
    clip->setText(QString("9\x16-"));
    QTest::keyClick(f.box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Shown(*f.box), "-19|4");
    EXPECT_EQ(seen, QString("\x16"
                            "9\x16-"));

    f.box->setSelection(1, 2);
    QTest::keyClick(f.box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clip->text(), "19");
    EXPECT_EQ(Shown(*f.box), "-|4");

    // The line edit's own slots and the context menu use the same rules.
    f.box->SetValue(56);
    f.box->selectAll();
    QMetaObject::invokeMethod(f.box, "cut");
    EXPECT_EQ(clip->text(), "56");
    EXPECT_EQ(f.box->text(), "0");
    clip->setText("7.5");
    QMetaObject::invokeMethod(f.box, "paste");
    EXPECT_EQ(f.box->text(), "7.5");
    f.box->selectAll();
    std::unique_ptr<QMenu> menu(f.box->CreateContextMenu(nullptr));
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    EXPECT_EQ(texts, QStringList({"Cu&t", "&Copy", "&Paste", "Delete", "", "Select All"}));
    menu->actions()[3]->trigger(); // Delete
    EXPECT_EQ(f.box->text(), "0");
    clip->setText("-12");
    menu.reset(f.box->CreateContextMenu(nullptr));
    menu->actions()[2]->trigger();
    EXPECT_EQ(f.box->text(), "-12");

    // Read-only: copy works, cut copies only, paste does nothing.
    f.box->setReadOnly(true);
    f.box->selectAll();
    clip->setText("3");
    QTest::keyClick(f.box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.box->text(), "-12");
    QTest::keyClick(f.box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clip->text(), "-12");
    EXPECT_EQ(f.box->text(), "-12");
}

TEST(NumEditWidget, LeavingRewritesAndChecksTheRange) {
    MessageRecorder messages;
    Form f;
    int exits = 0;
    f.box->SetOnExit([&](TNumEdit*) { ++exits; });
    f.box->SetMaxValue(250);
    f.box->SetMinValue(1);
    f.Enter();
    const int beeps = BeepCount();
    f.Leave();
    EXPECT_EQ(f.box->text(), "1");
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_TRUE(f.box->hasFocus());
    EXPECT_EQ(exits, 0);
    f.box->setText("1,000.");
    f.Leave();
    EXPECT_EQ(f.box->text(), "250");
    EXPECT_TRUE(f.box->hasFocus());
    f.box->setText("12.");
    f.Leave();
    EXPECT_EQ(f.box->text(), "12");
    EXPECT_TRUE(f.next->hasFocus());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(BeepCount(), beeps + 2);

    // The owner's handler replaces the reaction: text kept, focus moves on, no exit event.
    int invalid = 0;
    f.box->SetOnInvalidEntry([&](TNumEdit* sender) {
        EXPECT_EQ(sender, f.box);
        ++invalid;
    });
    f.Enter();
    f.box->setText("0");
    f.Leave();
    EXPECT_EQ(invalid, 1);
    EXPECT_EQ(f.box->text(), "0");
    EXPECT_TRUE(f.next->hasFocus());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(BeepCount(), beeps + 2);

    // A text that does not read: the error is shown and the exit is abandoned.
    f.Enter();
    f.box->setText("-E");
    f.Leave();
    EXPECT_EQ(messages.Texts(), QStringList({"'-E' is not a valid floating point value"}));
    EXPECT_EQ(f.box->text(), "-E");
    EXPECT_EQ(exits, 1);

    // No range: anything goes, and the exit event fires.
    TNumEdit* box = f.box;
    box->SetMinValue(0);
    box->SetMaxValue(0);
    EXPECT_FALSE(box->RangeInForce());
    f.Enter();
    box->setText("-99999.50");
    f.Leave();
    EXPECT_EQ(box->text(), "-99999.5");
    EXPECT_EQ(exits, 2);
}

TEST(NumEditWidget, EnterAsTabAndTheDefaultButton) {
    Form f;
    auto* button = new QPushButton("OK", &f.window);
    f.window.layout()->addWidget(button);
    button->show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] {
        ++clicks;
        EXPECT_EQ(f.box->text(), "12"); // the box's exit ran before the click
    });
    int presses = 0;
    f.box->SetOnKeyPress([&](TNumEdit*, QChar&) { ++presses; });
    f.Enter();
    QTest::keyClick(f.box, Qt::Key_Return);
    EXPECT_TRUE(f.next->hasFocus());
    EXPECT_EQ(presses, 0);

    f.box->SetEnterAsTab(false);
    f.Enter();
    const int beeps = BeepCount();
    QTest::keyClick(f.box, Qt::Key_Return); // no default button: beep
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(f.box->hasFocus());

    button->setDefault(true);
    f.box->setText("12.");
    f.box->setCursorPosition(1);
    QTest::keyClick(f.box, Qt::Key_Enter);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(f.box->hasFocus());
    EXPECT_EQ(Shown(*f.box), "[12]");
    f.box->SetAutoSelect(false);
    f.box->setCursorPosition(1);
    QTest::keyClick(f.box, Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(Shown(*f.box), "1|2");
    // A hidden default button is not pressed.
    button->hide();
    QTest::keyClick(f.box, Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(BeepCount(), beeps + 2);

    // A box without a form leaves the key alone: no beep.
    TNumEdit alone;
    alone.SetEnterAsTab(false);
    QTest::keyClick(&alone, Qt::Key_Return);
    EXPECT_EQ(BeepCount(), beeps + 2);
}

TEST(NumEditWidget, EnteringByMouseKeepsEverythingSelected) {
    Form f;
    f.box->SetValue(250);
    f.next->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(f.box, Qt::LeftButton, {}, QPoint(10, f.box->height() / 2));
    EXPECT_TRUE(f.box->hasFocus());
    EXPECT_EQ(Shown(*f.box), "[250]");
    EXPECT_FALSE(f.box->MouseEntry());
    // A second click is an ordinary click: it places the caret.
    QTest::mouseClick(f.box, Qt::LeftButton, {}, QPoint(f.box->width() - 4, f.box->height() / 2));
    EXPECT_FALSE(f.box->hasSelectedText());
    // Entered by keyboard, then a key: the flag is gone.
    f.next->setFocus(Qt::TabFocusReason);
    f.box->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(f.box->MouseEntry());
    EXPECT_EQ(Shown(*f.box), "[250]");
    // Without AutoSelect the caret stays where it was.
    f.box->SetAutoSelect(false);
    f.box->setCursorPosition(1);
    f.next->setFocus(Qt::TabFocusReason);
    f.box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Shown(*f.box), "2|50");
}

TEST(NumEditPlatform, SeparatorsAndBeep) {
    // The system's separators are the locale's first characters; they can be replaced.
    ReloadRegionalSeparators();
    const TSeparators system = RegionalSeparators();
    EXPECT_EQ(system.Decimal, QLocale::system().decimalPoint().front());
    EXPECT_NE(system.Decimal, system.Thousand);
    const TSeparators before = SetRegionalSeparators({u',', u'.'});
    EXPECT_EQ(before.Decimal, system.Decimal);
    TNumEdit box;
    box.SetValue(1234.5L);
    box.SetNumberFormat(Thousands);
    EXPECT_EQ(box.text(), "1.234,5");
    EXPECT_EQ(box.AsInteger(), 1234);
    SetRegionalSeparators(before);

    int heard = 0;
    const auto previous = SetBeepHook([&] { ++heard; });
    const int count = BeepCount();
    Beep();
    Beep();
    EXPECT_EQ(BeepCount(), count + 2);
    EXPECT_EQ(heard, 2);
    SetBeepHook(previous);
}
