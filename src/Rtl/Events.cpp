#include "Rtl/Events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <poll.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// QTimer counts in int milliseconds; a longer wait re-arms it.
constexpr long long kLongestTimerMs = 1LL << 30;

// Only the window system's own thread can run its events.
bool OnEventThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

short PollNow(int fd, short events) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    return r > 0 ? p.revents : 0;
}

long long MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max<long long>(0, left.count());
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Keyboard and mouse input that arrives while a wait runs is held, in order, and handed back
// to its window when the outermost wait ends. The window system's own queue cannot do this:
// it counts a request to close a window as input too, and that request must get through.
// A modal window (a message box) shown during the wait still takes its input.
class TInputHold : public QObject {
  public:
    TInputHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~TInputHold() override {
        QCoreApplication::instance()->removeEventFilter(this);
        // Posted events keep their order and run at the next ProcessMessages.
        for (Held& h : FHeld)
            if (h.window)
                QCoreApplication::postEvent(h.window, h.event.release());
    }
    TInputHold(const TInputHold&) = delete;
    TInputHold& operator=(const TInputHold&) = delete;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Input enters through its window; the window hands it on to the widget under it.
        if (!receiver->isWindowType())
            return false;
        if (event->type() == QEvent::Show) {
            FShown.emplace_back(receiver);
            return false;
        }
        if (!IsUserInput(event->type()))
            return false;
        if (ShownModal(receiver))
            return false;
        FHeld.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

  private:
    // A window shown since the wait began that is modal now.
    bool ShownModal(QObject* window) const {
        if (window->property("modality").toInt() == Qt::NonModal)
            return false;
        return std::any_of(FShown.begin(), FShown.end(),
                           [window](const QPointer<QObject>& w) { return w == window; });
    }

    struct Held {
        QPointer<QObject> window;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> FHeld;
    std::vector<QPointer<QObject>> FShown;
};

// The hold lives as long as the outermost wait.
class TWaitScope {
  public:
    TWaitScope() {
        if (Depth()++ == 0)
            Hold() = std::make_unique<TInputHold>();
    }
    ~TWaitScope() {
        if (--Depth() == 0)
            Hold().reset();
    }
    TWaitScope(const TWaitScope&) = delete;
    TWaitScope& operator=(const TWaitScope&) = delete;

  private:
    static int& Depth() {
        static int depth = 0;
        return depth;
    }
    static std::unique_ptr<TInputHold>& Hold() {
        static std::unique_ptr<TInputHold> hold;
        return hold;
    }
};

// Runs the window system's events, holding user input, until `done` says so, the deadline
// passes or the wait is cancelled. `done` is asked after every batch of events.
template <typename Done>
TWaitEnd RunEvents(Clock::time_point deadline, const TWaitCancel* cancel, Done done) {
    TWaitScope hold;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    for (;;) {
        if (cancel && cancel->Cancelled())
            return weCancelled;
        if (done())
            return weReady;
        const long long left = MsUntil(deadline);
        if (left <= 0)
            return weTimeout;
        // The timer only wakes the loop; the deadline decides.
        if (!timer.isActive())
            timer.start(static_cast<int>(std::min(left, kLongestTimerMs)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

void ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Sleep(long long ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TWaitEnd Pause(long long ms, const TWaitCancel* cancel) {
    if (cancel && cancel->Cancelled())
        return weCancelled;
    if (ms <= 0)
        return weReady;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    if (!OnEventThread()) {
        std::this_thread::sleep_until(deadline);
        return weReady;
    }
    const TWaitEnd end = RunEvents(deadline, cancel, [] { return false; });
    return end == weTimeout ? weReady : end;
}

TWaitEnd WaitForFd(int fd, short events, int timeoutMs, const TWaitCancel* cancel, short* revents) {
    short seen = 0;
    auto ready = [&] { return (seen = PollNow(fd, events)) != 0; };
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    TWaitEnd end;
    if (cancel && cancel->Cancelled()) {
        end = weCancelled;
    } else if (ready()) {
        end = weReady;
    } else if (timeoutMs <= 0) {
        end = weTimeout;
    } else if (!OnEventThread()) {
        pollfd p{fd, events, 0};
        int r;
        do {
            r = ::poll(&p, 1, static_cast<int>(MsUntil(deadline)));
        } while (r < 0 && errno == EINTR);
        seen = r > 0 ? p.revents : 0;
        end = r > 0 ? weReady : weTimeout;
    } else {
        // The notifiers only wake the loop; poll decides what the descriptor reports.
        std::unique_ptr<QSocketNotifier> readable, writable;
        if (events & POLLIN)
            readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        if (events & POLLOUT)
            writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        end = RunEvents(deadline, cancel, ready);
    }
    if (revents)
        *revents = seen;
    return end;
}
