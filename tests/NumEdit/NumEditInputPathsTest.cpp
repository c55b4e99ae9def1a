// Every way text can get into a numeric edit passes the key rules: the context menu, a drop,
// an input method's commit; the middle button pastes nothing.
#include "ChildRun.h"
#include "NumEditWindow.h"
#include "QtPrint.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QMenu>
#include <QMimeData>

namespace {
QAction* Action(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QPoint RightEnd(const TNumEdit& box) {
    return QPoint(box.width() - 4, box.height() / 2);
}
} // namespace

TEST(NumEditInput, ContextMenuPastesThroughTheKeyRules) {
    Form f;
    f.box->SetValue(250);
    f.box->selectAll();
    QGuiApplication::clipboard()->setText("a1,2-");
    QContextMenuEvent click(QContextMenuEvent::Mouse, RightEnd(*f.box),
                            f.box->mapToGlobal(RightEnd(*f.box)));
    QApplication::sendEvent(f.box, &click);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* paste = Action(menu, "&Paste");
    ASSERT_TRUE(paste);
    ASSERT_TRUE(paste->isEnabled());
    paste->trigger();
    menu->close();
    // The selection went, the letter and the grouping comma were swallowed, "-" set the sign.
    EXPECT_EQ(Shown(*f.box), "-12|");
    EXPECT_EQ(f.box->Value(), -12);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a1,2-"); // the clipboard keeps its text
}

TEST(NumEditInput, DroppedTextIsTypedWhereItFalls) {
    Form f;
    f.box->SetValue(12);
    f.Leave();
    f.box->repaint(); // as on the screen: the line edit places right-aligned text when painting
    QMimeData data;
    data.setText("3x.5\x16");
    const QPoint at = RightEnd(*f.box);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction); // the source never loses its text
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.box, &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.box, &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    // Typed at the end, not over the selection entering selects: the letter swallowed, the
    // point placed once, the clipboard character ignored.
    EXPECT_TRUE(f.box->hasFocus());
    EXPECT_EQ(Shown(*f.box), "123.5|");
    EXPECT_EQ(f.box->Value(), 123.5L);

    // What is not text, or a read-only box, takes no drop.
    QMimeData image;
    image.setImageData(QImage(2, 2, QImage::Format_RGB32));
    QDragEnterEvent picture(at, offered, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.box, &picture);
    EXPECT_FALSE(picture.isAccepted());
    f.box->setReadOnly(true);
    QDropEvent refused(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.box, &refused);
    EXPECT_EQ(f.box->text(), "123.5");
}

TEST(NumEditInput, InputMethodCommitIsTypedAndComposingIsOff) {
    Form f;
    f.Enter();
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(f.box, &query);
    EXPECT_FALSE(query.value(Qt::ImEnabled).toBool());

    // A preview shows nothing; a commit is typed character by character.
    QInputMethodEvent preview(QStringLiteral("ㄅ"), {});
    QApplication::sendEvent(f.box, &preview);
    EXPECT_EQ(Shown(*f.box), "[0]");
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("4五5-E"));
    QApplication::sendEvent(f.box, &commit);
    EXPECT_EQ(Shown(*f.box), "-45E|");
    EXPECT_EQ(f.box->Value(), -45);
}

// The selection clipboard exists only under a real window system: this test runs itself
// again on a private X server when the tests run headless.
TEST(NumEditInput, MiddleClickPastesNothing) {
    if (!QGuiApplication::clipboard()->supportsSelection()) {
        ASSERT_FALSE(InChildRun()) << "the X server offers no selection clipboard";
        Xvfb x;
        if (x.Display().isEmpty())
            GTEST_SKIP() << x.Why();
        const ChildResult run = RunSelf("NumEditInput.MiddleClickPastesNothing", x.Environment());
        EXPECT_TRUE(run.PassedOne()) << run.Output.toStdString();
        return;
    }
    Form f;
    QClipboard* clip = QGuiApplication::clipboard();
    clip->setText("abc-x", QClipboard::Selection);
    f.box->SetValue(3);
    f.Leave();
    QTest::mouseClick(f.box, Qt::MiddleButton, {}, RightEnd(*f.box));
    EXPECT_EQ(f.box->text(), "3");

    // The accident: a click into the box selects its text, which fills the selection
    // clipboard; a later middle click would paste it again.
    QTest::mouseClick(f.box, Qt::LeftButton, {}, RightEnd(*f.box));
    EXPECT_EQ(Shown(*f.box), "[3]");
    QTRY_COMPARE(clip->text(QClipboard::Selection), QString("3"));
    QTest::mouseClick(f.box, Qt::MiddleButton, {}, RightEnd(*f.box));
    EXPECT_EQ(f.box->text(), "3");
    QTest::mouseClick(f.box, Qt::LeftButton, {}, RightEnd(*f.box)); // caret behind the 3
    QTest::mouseClick(f.box, Qt::MiddleButton, {}, QPoint(2, f.box->height() / 2));
    EXPECT_EQ(Shown(*f.box), "3|"); // nothing typed, the caret stayed
    EXPECT_EQ(f.box->AsInteger(), 3);
}
