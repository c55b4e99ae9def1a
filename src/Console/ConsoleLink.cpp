#include "Console/ConsoleLink.h"

#include "Rtl/Tick.h"

#include <algorithm>
#include <cerrno>

namespace {

// What one read takes.
constexpr std::size_t kReadChunk = 4096;

// A send counts as a port cycle, and its waits end on the console's own cancel.
class TSendScope {
  public:
    TSendScope(TPortRegistry& ports, TPort& port, const TWaitCancel* cancel, bool& sending)
        : FPorts(ports), FPort(port), FBefore(port.Cancel()), FSending(sending) {
        FPorts.BeginCycle();
        FSending = true;
        if (cancel)
            FPort.SetCancel(cancel);
    }
    ~TSendScope() {
        FPort.SetCancel(FBefore);
        FSending = false;
        FPorts.EndCycle();
    }
    TSendScope(const TSendScope&) = delete;
    TSendScope& operator=(const TSendScope&) = delete;

  private:
    TPortRegistry& FPorts;
    TPort& FPort;
    const TWaitCancel* FBefore;
    bool& FSending;
};

} // namespace

TConsoleLink::TConsoleLink(TPortRegistry& ports, QObject* parent) : QObject(parent), FPorts(ports) {
    FTimer.setInterval(ReadEveryMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
}

TConsoleLink::~TConsoleLink() {
    Close();
}

void TConsoleLink::Close() {
    LetGo(-1);
}

void TConsoleLink::LetGo(int why) {
    TPort* port = FHeld;
    if (!port)
        return;
    FHeld = nullptr;
    FTimer.stop();
    FPorts.Unhold(*port);
    if (port->IsOpen())
        port->Close();
    if (why >= 0 && OnLetGo)
        OnLetGo(*port, why);
}

TLineSent TConsoleLink::Send(TPort& port, const std::string& bytes, TCommandSet set) {
    TSendScope scope(FPorts, port, FCancel, FSending);
    if (port.Answers() == akStatusBytes)
        return SendHeld(port, bytes, set);
    // Nothing comes back from a parallel port: any port held for answers is left as it is.
    return SendCycle(port, bytes);
}

TLineSent TConsoleLink::SendHeld(TPort& port, const std::string& bytes, TCommandSet set) {
    TLineSent sent;
    sent.Count = bytes.size();
    if (FHeld && FHeld != &port)
        LetGo(-1);
    // What came before this line answers the lines before it; a device found gone is opened
    // anew for this one.
    if (FHeld)
        ReadHeld(0, false);
    if (!OpenHeld(port, sent))
        return sent;
    if (OnWriting)
        OnWriting(sent);
    FSentAt = SteadyMs();
    FReader.Sent(bytes, set, FSentAt);
    sent.Written = port.Write(bytes);
    if (!sent.Written) {
        // Whatever stopped the bytes, the next line starts on a port opened anew.
        sent.Failure = port.Failure();
        LetGo(-1);
        return sent;
    }
    sent.Held = true;
    ReadHeld(ListenMs, true);
    sent.Held = FHeld == &port;
    return sent;
}

bool TConsoleLink::OpenHeld(TPort& port, TLineSent& sent) {
    if (FHeld == &port && port.IsOpen()) {
        sent.Opened = true;
        return true;
    }
    FPorts.Hold(port, [this] {
        // A cycle of the window needs the device; the registry closes the port.
        TPort* held = FHeld;
        FHeld = nullptr;
        FTimer.stop();
        if (held && OnLetGo)
            OnLetGo(*held, 0);
    });
    FHeld = &port;
    const long long start = SteadyMs();
    sent.Opened = port.Open();
    sent.OpenMs = SteadyMs() - start;
    if (!sent.Opened) {
        sent.Failure = port.Failure();
        LetGo(-1);
        return false;
    }
    sent.NewlyOpened = true;
    FTimer.start();
    return true;
}

bool TConsoleLink::ReadHeld(int timeoutMs, bool untilAnswered) {
    const long long deadline = SteadyMs() + std::max(0, timeoutMs);
    for (;;) {
        if (!FHeld)
            return false;
        const long long now = SteadyMs();
        if (untilAnswered && !FReader.Waiting(now))
            return true;
        const int left = untilAnswered ? static_cast<int>(std::max(0LL, deadline - now)) : 0;
        std::string chunk;
        const int err = FHeld->Read(chunk, kReadChunk, left);
        const bool got = !chunk.empty();
        if (got)
            Burst(std::move(chunk));
        if (err == ECANCELED)
            return true;
        if (err != 0) {
            LetGo(err);
            return false;
        }
        if (!got && left == 0)
            return true;
    }
}

void TConsoleLink::Tick() {
    // Another cycle on the port reads its own answers.
    if (!FHeld || FSending || FPorts.CycleRunning())
        return;
    ReadHeld(0, false);
}

void TConsoleLink::Burst(std::string bytes) {
    const long long now = SteadyMs();
    TBurst burst;
    burst.MsSinceSend = now - FSentAt;
    burst.Replies = FReader.Take(bytes, now);
    burst.Bytes = std::move(bytes);
    if (OnBurst)
        OnBurst(burst);
}

TLineSent TConsoleLink::SendCycle(TPort& port, const std::string& bytes) {
    TLineSent sent;
    sent.Count = bytes.size();
    port.SetBound(LptBoundMs);
    const long long start = SteadyMs();
    sent.Opened = port.Open();
    sent.OpenMs = SteadyMs() - start;
    sent.NewlyOpened = sent.Opened;
    if (!sent.Opened) {
        sent.Failure = port.Failure();
        return sent;
    }
    if (OnWriting)
        OnWriting(sent);
    FSentAt = SteadyMs();
    sent.Written = port.Write(bytes);
    if (!sent.Written)
        sent.Failure = port.Failure();
    port.Close();
    if (port.Answers() == akDeviceLines) {
        int status = 0;
        sent.LptError = LptRead(port.Device(), status);
        if (sent.LptError == 0)
            sent.LptStatus = status;
    }
    return sent;
}
