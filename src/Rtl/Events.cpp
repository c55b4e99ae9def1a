#include "Rtl/Events.h"

#include "Rtl/HeldInput.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <poll.h>
#include <thread>

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

// Keyboard and mouse input is held while a wait runs (HeldInput.h).
class TWaitScope {
  public:
    TWaitScope() { BeginInputHold(); }
    ~TWaitScope() { EndInputHold(); }
    TWaitScope(const TWaitScope&) = delete;
    TWaitScope& operator=(const TWaitScope&) = delete;
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
