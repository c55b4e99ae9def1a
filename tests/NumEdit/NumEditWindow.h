#pragma once
// A numeric edit in a shown, active window, and how its text and caret read in tests.
#include "Forms/Beep.h"
#include "NumEdit/NumEdit.h"
#include "Rtl/Locale.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

// A shown, active window with the box and a plain edit after it in tab order.
struct Form {
    QWidget window;
    TNumEdit* box;
    QLineEdit* next;
    TSeparators previous = SetRegionalSeparators({u'.', u','});
    std::function<void()> previousBeep = SetBeepHook([] {});

    Form() {
        auto* layout = new QVBoxLayout(&window);
        box = new TNumEdit(&window);
        next = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~Form() {
        SetRegionalSeparators(previous);
        SetBeepHook(previousBeep);
    }
    void Enter() {
        box->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(box->hasFocus());
    }
    void Leave() { next->setFocus(Qt::TabFocusReason); }
};

inline QString Shown(const TNumEdit& box) {
    QString s = box.text();
    if (box.hasSelectedText())
        return s.insert(box.selectionEnd(), u']').insert(box.selectionStart(), u'[');
    return s.insert(box.cursorPosition(), u'|');
}

inline void Type(QWidget* w, const QString& keys) {
    for (QChar k : keys) {
        if (k == u'\b')
            QTest::keyClick(w, Qt::Key_Backspace);
        else if (k == QChar(0x7f))
            QTest::keyClick(w, Qt::Key_Delete);
        else
            QTest::keyClick(w, k.toLatin1());
    }
}
