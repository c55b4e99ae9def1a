#include "Forms/MessageBox.h"

#include "Rtl/Application.h"
#include "Rtl/HeldInput.h"

#include <QApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

std::vector<QPointer<QWindow>>& Boxes() {
    static std::vector<QPointer<QWindow>> boxes;
    return boxes;
}

// Keeps a box modal without letting the window system block the other windows: a blocked
// window never hears that it was asked to close. Input for the other windows (and for a box
// under a newer one) is dropped, as a modal box drops it; a request to close one of them waits
// until the box has gone.
class TBoxGuard : public QObject {
  public:
    explicit TBoxGuard(QWidget& box) : FBox(box) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TBoxGuard() override {
        QCoreApplication::instance()->removeEventFilter(this);
        Boxes().erase(std::remove(Boxes().begin(), Boxes().end(), FWindow), Boxes().end());
    }
    TBoxGuard(const TBoxGuard&) = delete;
    TBoxGuard& operator=(const TBoxGuard&) = delete;

    // The box is on screen: its window is one in front.
    void Shown() {
        FWindow = FBox.windowHandle();
        Boxes().push_back(FWindow);
    }
    std::vector<QPointer<QWindow>> CloseRequests() const { return FCloses; }

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // The newest box is the one to answer, also when it opened over this one.
        auto* window = qobject_cast<QWindow*>(receiver);
        const QWindow* front = Boxes().empty() ? nullptr : Boxes().back().data();
        if (!window || !FWindow || !front || window == front || front->isAncestorOf(window))
            return false;
        if (event->type() == QEvent::Close) {
            if (std::find(FCloses.begin(), FCloses.end(), window) == FCloses.end())
                FCloses.emplace_back(window);
            event->ignore();
            return true;
        }
        return event->spontaneous() && IsUserInput(event->type());
    }

  private:
    QWidget& FBox;
    QPointer<QWindow> FWindow;
    std::vector<QPointer<QWindow>> FCloses;
};

// A message box that never grows past its screen's available area: once the box has laid
// itself out, a text taller than the screen leaves moves into a scroll area of the height that
// fits, as wide as the box made the text.
class TFittingBox : public QMessageBox {
  public:
    TFittingBox(const TMessage& message, QWidget* parent)
        : QMessageBox(IconOf(message.Kind), AppTitle(), message.Text, QMessageBox::Ok, parent) {
        if (!message.Details.isEmpty())
            setDetailedText(message.Details);
    }

  protected:
    // The box sizes itself on these two; the fit follows.
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        Fit();
    }
    bool event(QEvent* event) override {
        const bool done = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest)
            Fit();
        return done;
    }

  private:
    void Fit();
    bool ScrollText();
    int TextHeight() const;
    void KeepOnScreen(const QRect& room);

    QScrollArea* FText = nullptr;
    QLabel* FLabel = nullptr;
};

void TFittingBox::Fit() {
    QScreen* on = screen();
    if (!isVisible() || !on)
        return;
    const QRect room = on->availableGeometry();
    // With the window manager's frame, once there is one.
    const QRect outer = frameGeometry();
    const int wider = outer.width() - room.width();
    const int taller = outer.height() - room.height();
    if ((wider > 0 || taller > 0) && ScrollText()) {
        // A line that cannot wrap (no space in it) scrolls sideways.
        if (wider > 0) {
            FText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            FText->setFixedWidth(
                std::max(fontMetrics().averageCharWidth() * 10, FText->width() - wider));
        }
        if (taller > 0)
            FText->setFixedHeight(
                std::max(3 * fontMetrics().lineSpacing(), FText->height() - taller));
    } else if (FText && taller < 0 && FText->height() < TextHeight()) {
        // The details were hidden again: the text takes back what is free.
        FText->setFixedHeight(std::min(TextHeight(), FText->height() - taller));
    }
    KeepOnScreen(room);
}

bool TFittingBox::ScrollText() {
    if (FText)
        return true;
    auto* grid = qobject_cast<QGridLayout*>(layout());
    FLabel = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const int index = grid && FLabel ? grid->indexOf(FLabel) : -1;
    if (index < 0)
        return false;
    int row, column, rows, columns;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    const QSize laid = FLabel->size();
    grid->removeWidget(FLabel);
    FText = new QScrollArea(this);
    FText->setFrameShape(QFrame::NoFrame);
    FText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FText->viewport()->setAutoFillBackground(false);
    FText->setWidgetResizable(true);
    FText->setWidget(FLabel);
    FText->setFixedSize(laid.width() + FText->verticalScrollBar()->sizeHint().width(),
                        laid.height());
    grid->addWidget(FText, row, column, rows, columns);
    FText->show();
    return true;
}

int TFittingBox::TextHeight() const {
    const int width = FText->viewport()->width();
    return FLabel->hasHeightForWidth() ? FLabel->heightForWidth(width)
                                       : FLabel->sizeHint().height();
}

void TFittingBox::KeepOnScreen(const QRect& room) {
    // The box may have grown off the screen where it was placed.
    const QRect outer = frameGeometry();
    const int x = std::clamp(outer.left(), room.left(),
                             std::max(room.left(), room.right() + 1 - outer.width()));
    const int y = std::clamp(outer.top(), room.top(),
                             std::max(room.top(), room.bottom() + 1 - outer.height()));
    if (x != outer.left() || y != outer.top())
        move(x, y);
}

} // namespace

void ShowMessageBox(const TMessage& message) {
    std::vector<QPointer<QWindow>> closes;
    {
        TFittingBox box(message, QApplication::activeWindow());
        box.setWindowModality(Qt::NonModal);
        TBoxGuard guard(box);
        QEventLoop loop;
        QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
        box.show();
        // Keys go to the box, as they go to a modal one.
        box.activateWindow();
        guard.Shown();
        loop.exec(QEventLoop::DialogExec);
        closes = guard.CloseRequests();
    }
    for (const QPointer<QWindow>& window : closes)
        if (window)
            window->close();
}

bool MessageBoxUp() {
    return std::any_of(Boxes().begin(), Boxes().end(),
                       [](const QPointer<QWindow>& w) { return !w.isNull(); });
}

bool IsMessageBoxWindow(const QWindow* window) {
    return window && std::find(Boxes().begin(), Boxes().end(), window) != Boxes().end();
}
