#pragma once
// A shown, active test window holding a link edit and a plain edit after it in tab order.
#include "LinkEdit/LinkEdit.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

struct Window {
    QWidget widget;
    TLinkEdit* edit = nullptr;
    QLineEdit* next = nullptr;

    explicit Window(const std::function<void(TLinkEdit&)>& setup = {}) {
        edit = new TLinkEdit(&widget);
        edit->setGeometry(8, 8, 313, 28);
        next = new QLineEdit(&widget);
        next->setGeometry(8, 48, 100, 24);
        widget.resize(330, 80);
        if (setup)
            setup(*edit);
        widget.show();
        widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&widget));
        edit->setFocus(Qt::TabFocusReason);
    }
};
