// A window on a screen too small for it lies within the screen and scrolls; one that fits is
// centred as it is.
#include "Forms/ScreenFit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class Window : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

QWidget* HostOf(QWidget& w) {
    return w.window() == &w ? nullptr : w.window();
}

} // namespace

TEST(ScreenFit, ALargeWindowScrollsWithinTheScreenAndASmallOneIsCentred) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    {
        Window small;
        small.setFixedSize(room.width() / 2, room.height() / 2);
        TScreenFit fit(small);
        fit.Show();
        EXPECT_FALSE(fit.Scrolls());
        EXPECT_EQ(HostOf(small), nullptr);
        EXPECT_LE(std::abs(small.frameGeometry().center().y() - room.center().y()), 4);
    }
    Window large;
    large.setFixedSize(room.width() / 2, room.height() * 2);
    large.setWindowTitle(QStringLiteral("列印測試 (EPSON指令) --> COM1"));
    {
        TScreenFit fit(large);
        fit.Show();
        ASSERT_TRUE(fit.Scrolls());
        QWidget* host = HostOf(large);
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host));
        // Once framed, the host fits again with its frame.
        QTest::qWait(300);
        EXPECT_TRUE(room.contains(host->frameGeometry()));
        EXPECT_EQ(host->windowTitle(), large.windowTitle());
        large.setWindowTitle(QStringLiteral("列印測試 (START指令) --> LPT1"));
        EXPECT_EQ(host->windowTitle(), large.windowTitle());
        // All of the window can be scrolled into view.
        auto* area = qobject_cast<QScrollArea*>(host);
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->verticalScrollBar()->maximum(),
                  large.height() - area->viewport()->height());
        // Closing the host asks the window.
        host->close();
        EXPECT_EQ(large.closes, 1);
        EXPECT_FALSE(host->isVisible());
    }
    // The window outlives the host.
    EXPECT_EQ(HostOf(large), nullptr);
}
