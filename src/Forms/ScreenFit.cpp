#include "Forms/ScreenFit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cmath>

// The host of a window too large for its screen: titled as the window, it fits the screen's
// available area and scrolls the window; closing it asks the window to close.
class TScrollHost : public QScrollArea {
  public:
    explicit TScrollHost(QWidget& window) : FWindow(window) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(false);
        setWindowTitle(window.windowTitle());
        connect(&window, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
        setWidget(&window);
        // Never larger than the window with its scroll bars.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        setMaximumSize(window.size() + QSize(bar, bar));
    }
    // The window is the owner's: it leaves before the host goes.
    ~TScrollHost() override { takeWidget()->hide(); }
    TScrollHost(const TScrollHost&) = delete;
    TScrollHost& operator=(const TScrollHost&) = delete;

    // Sized and placed within the screen's available area, the frame included once the
    // window manager has given one.
    void Fit() {
        QScreen* on = screen();
        if (!on)
            return;
        const QRect room = on->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QSize want = FWindow.size();
        QSize fit = room.size() - frame;
        // At a fractional ratio the screen's size in units is rounded, maybe up.
        const qreal ratio = on->devicePixelRatio();
        if (ratio != std::floor(ratio))
            fit -= QSize(1, 1);
        // A scroll bar along one side takes room from the other.
        if (want.height() > fit.height())
            want.rwidth() += bar;
        if (want.width() > fit.width())
            want.rheight() += bar;
        resize(want.boundedTo(fit));
        const QSize outer = size() + frame;
        move(room.left() + std::max(0, (room.width() - outer.width()) / 2),
             room.top() + std::max(0, (room.height() - outer.height()) / 2));
    }

  protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(FWindow.close()); }
    void showEvent(QShowEvent* event) override {
        QScrollArea::showEvent(event);
        // The window manager frames the window after it is shown, some while after.
        Fit();
        QTimer::singleShot(200, this, [this] { Fit(); });
    }

  private:
    QWidget& FWindow;
};

namespace {

// A guess at the window manager's frame before there is one.
QSize FrameGuess(const QWidget& window) {
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QSize(0, title);
}

} // namespace

TScreenFit::TScreenFit(QWidget& window) : FWindow(window) {
    QScreen* on = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!on)
        return;
    const QRect room = on->availableGeometry();
    const QSize need = window.size() + FrameGuess(window);
    if (need.width() <= room.width() && need.height() <= room.height()) {
        // Placed at the screen centre.
        window.move(room.center() - window.rect().center());
        return;
    }
    FHost = std::make_unique<TScrollHost>(window);
    FHost->Fit();
}

TScreenFit::~TScreenFit() = default;

void TScreenFit::Show() {
    FWindow.show();
    if (FHost)
        FHost->show();
}

void TScreenFit::BringForward() {
    Show();
    QWidget& shown = FHost ? static_cast<QWidget&>(*FHost) : FWindow;
    shown.raise();
    shown.activateWindow();
}
