#pragma once
// Letting the window system catch up, and waits that keep the window alive.
#include <cstdint>

// Handles pending window-system events, then returns.
void ProcessMessages();

// Blocks the calling thread for ms milliseconds; a value below 0 sleeps 0.
void Sleep(long long ms);

// Ends waits early. Whoever starts a job owns one and cancels it when the job must stop (its
// window was asked to close); every wait given it returns at once from then on.
class TWaitCancel {
  public:
    void Cancel() { FCancelled = true; }
    void Reset() { FCancelled = false; }
    bool Cancelled() const { return FCancelled; }

  private:
    bool FCancelled = false;
};

// How a wait ended.
enum TWaitEnd : std::uint8_t { weReady, weTimeout, weCancelled };

// Waits ms milliseconds (none for 0 or less). While it waits the windows repaint, timers run
// and a request to close a window is handled, which can cancel the wait; keyboard and mouse
// input is held, in order, and handed back at the first ProcessMessages after the wait (see
// HeldInput.h). Without an application object it sleeps.
TWaitEnd Pause(long long ms, const TWaitCancel* cancel = nullptr);

// Waits at most timeoutMs (0: only looks) until fd reports one of the poll events in `events`
// (POLLIN, POLLOUT), or an error or hang-up, keeping the windows alive as Pause does.
// revents, when given, receives what poll reported.
TWaitEnd WaitForFd(int fd, short events, int timeoutMs, const TWaitCancel* cancel = nullptr,
                   short* revents = nullptr);
