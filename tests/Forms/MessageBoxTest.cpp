// The window system's message box: it stays within the screen, and while it is up the other
// windows take no input and a request to close one of them waits until the box is dismissed.
#include "Forms/MessageBox.h"
#include "Rtl/Events.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The box on screen now.
QMessageBox* ShownBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

// Shows a box and runs `whileUp` with it once it has settled; `whileUp` dismisses it.
void WithBox(const TMessage& message, const std::function<void(QMessageBox&)>& whileUp) {
    bool ran = false;
    QTimer::singleShot(200, [&] {
        QMessageBox* box = ShownBox();
        ASSERT_NE(box, nullptr);
        ran = true;
        whileUp(*box);
        if (box->isVisible())
            box->button(QMessageBox::Ok)->click();
    });
    ShowMessageBox(message);
    EXPECT_TRUE(ran);
}

class CloseCounter : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

} // namespace

TEST(MessageBox, NeverGrowsPastTheScreenAndALongLineWraps) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("連線狀態：上線 %1").arg(i);
    QString hex;
    for (int i = 0; i < 1500; ++i)
        hex += QStringLiteral("%1 ").arg(i % 256, 2, 16, QChar('0')).toUpper();
    const std::vector<TMessage> messages = {
        {MessageKind::Information, lines.join('\n'), {}},
        {MessageKind::Information, lines.join('\n'), lines.join('\n')},
        {MessageKind::Error, QStringLiteral("原始回應 (十六進位)：") + hex, {}},
        {MessageKind::Error, QString(3000, QChar('A')), {}},
    };
    for (const TMessage& m : messages) {
        SCOPED_TRACE(m.Text.left(20).toStdString());
        WithBox(m, [&](QMessageBox& box) {
            if (!m.Details.isEmpty()) {
                // The details part shown makes the box taller still.
                for (QAbstractButton* b : box.buttons())
                    if (box.buttonRole(b) == QMessageBox::ActionRole)
                        b->click();
                QTest::qWait(100);
            }
            EXPECT_TRUE(room.contains(box.frameGeometry()))
                << box.frameGeometry().width() << "x" << box.frameGeometry().height();
            QAbstractButton* ok = box.button(QMessageBox::Ok);
            EXPECT_TRUE(room.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
            // A text too tall scrolls.
            if (m.Text.count('\n') > 0) {
                const auto bars = box.findChildren<QScrollBar*>();
                EXPECT_TRUE(std::any_of(bars.begin(), bars.end(), [](const QScrollBar* bar) {
                    return bar->orientation() == Qt::Vertical && bar->isVisible() &&
                           bar->maximum() > 0;
                }));
            }
        });
    }
}

TEST(MessageBox, WhileUpOtherWindowsTakeNoInputAndACloseWaitsForIt) {
    CloseCounter window;
    QPushButton button(QStringLiteral("跳行"), &window);
    button.setGeometry(10, 10, 80, 30);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    WithBox(
        {MessageKind::Error, QStringLiteral("COM1 PORT 開啟失敗！"), {}}, [&](QMessageBox& box) {
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                              button.geometry().center());
            window.windowHandle()->close();
            QTest::qWait(50);
            EXPECT_TRUE(window.isVisible());
            EXPECT_EQ(window.closes, 0);
            // A box opened over it (a timer's job failing meanwhile) takes its keys, then
            // this one does: Return is their OK.
            bool innerTookReturn = false;
            QTimer::singleShot(100, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* inner = qobject_cast<QMessageBox*>(w);
                        inner && inner != &box && inner->isVisible()) {
                        QTest::keyClick(inner->windowHandle(), Qt::Key_Return);
                        innerTookReturn = !inner->isVisible();
                    }
            });
            // Only should the inner box not take its key.
            QTimer::singleShot(3000, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                        b->button(QMessageBox::Ok)->click();
            });
            ShowMessageBox({MessageKind::Error, QStringLiteral("RS232 元件,傳送命令異常！"), {}});
            EXPECT_TRUE(innerTookReturn);
            QTest::keyClick(box.windowHandle(), Qt::Key_Return);
            EXPECT_FALSE(box.isVisible());
        });
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(window.closes, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(MessageBox, ABoxOpenedByAClickHeldDuringAWaitTakesItsKeys) {
    // The click comes back after the wait while more input is still held behind it; the box it
    // opens must still take its own keys.
    QWidget window;
    window.resize(200, 60);
    QPushButton open(QStringLiteral("CUT"), &window);
    QPushButton other(QStringLiteral("跳行"), &window);
    open.setGeometry(10, 10, 80, 30);
    other.setGeometry(100, 10, 80, 30);
    int others = 0;
    bool dismissedByKey = false;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++others; });
    QObject::connect(&open, &QPushButton::clicked, [&] {
        QTimer::singleShot(200, [&] {
            if (QMessageBox* box = ShownBox()) {
                QTest::keyClick(box->windowHandle(), Qt::Key_Return);
                dismissedByKey = !box->isVisible();
            }
        });
        QTimer::singleShot(3000, [] {
            if (QMessageBox* box = ShownBox())
                box->button(QMessageBox::Ok)->click();
        });
        ShowMessageBox({MessageKind::Error, QStringLiteral("COM1 PORT 開啟失敗！"), {}});
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTimer::singleShot(50, [&] {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, open.geometry().center());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, other.geometry().center());
    });
    Pause(200);
    ProcessMessages();
    EXPECT_TRUE(dismissedByKey);
    // The click behind it runs once the box has gone.
    QTest::qWait(100);
    EXPECT_EQ(others, 1);
}
