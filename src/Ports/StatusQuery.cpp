#include "Ports/StatusQuery.h"

#include "Rtl/Events.h"
#include "Rtl/Tick.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/lp.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// What one read takes; the collector keeps what it may of it.
constexpr std::size_t kReadChunk = 4096;

// The query's cancel on the port for one run.
class TCancelOnPort {
  public:
    TCancelOnPort(TPort& port, const TWaitCancel* cancel) : FPort(port), FBefore(port.Cancel()) {
        if (cancel)
            FPort.SetCancel(cancel);
    }
    ~TCancelOnPort() { FPort.SetCancel(FBefore); }
    TCancelOnPort(const TCancelOnPort&) = delete;
    TCancelOnPort& operator=(const TCancelOnPort&) = delete;

  private:
    TPort& FPort;
    const TWaitCancel* FBefore;
};

int MsUntil(long long deadline) {
    return static_cast<int>(std::max(0LL, deadline - SteadyMs()));
}

} // namespace

int ReadLptStatus(const std::string& path, int& status) {
    // The usb printer driver only opens for writing; nothing is written.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int value = 0;
    const int err = ::ioctl(fd, LPGETSTATUS, &value) == 0 ? 0 : errno;
    ::close(fd);
    if (err == 0)
        status = value;
    return err;
}

TStatusReport TStatusQuery::Run(TPort& port, TCommandSet set) {
    TStatusReport report;
    report.Port = port.Name();
    report.Device = port.Device();
    report.Kind = port.Kind();
    report.Bound = Bound;
    FCollector = {};
    switch (port.Answers()) {
    case akNone:
        report.Outcome = soNoStatusDevice;
        return report;
    case akDeviceLines:
        AskDevice(report);
        return report;
    case akStatusBytes:
        break;
    }
    if (!AsksStatus(set)) {
        report.Outcome = soNotSupported;
        return report;
    }
    TCancelOnPort cancel(port, FCancel);
    const long long start = SteadyMs();
    const bool opened = port.Open();
    report.OpenMs = SteadyMs() - start;
    if (!opened) {
        report.Outcome = soOpenFailed;
        report.FailureCode = port.Failure().Code;
        report.Failure = port.Failure().Text;
        port.Close();
        return report;
    }
    AskAll(port, report);
    report.Answers = FCollector.Answers();
    for (const TStatusAnswer& answer : report.Answers)
        ReadStatusAnswer(answer, report.Facts);
    report.Late = FCollector.Late();
    report.LateDropped = FCollector.LateDropped();
    port.Close();
    return report;
}

int TStatusQuery::Collect(TPort& port, long long deadline, bool untilAnswer) {
    for (;;) {
        std::string chunk;
        const int err = port.Read(chunk, kReadChunk, MsUntil(deadline));
        FCollector.Take(chunk);
        if (err != 0)
            return err;
        if ((untilAnswer && FCollector.Answered()) || MsUntil(deadline) == 0)
            return 0;
    }
}

int TStatusQuery::Drain(TPort& port) {
    const long long until = SteadyMs() + QuietMs;
    for (;;) {
        // Quiet: nothing for the settle time.
        std::string chunk;
        const int err = port.Read(chunk, kReadChunk, SettleMs);
        FCollector.Take(chunk);
        if (err != 0)
            return err;
        if (chunk.empty())
            return 0;
        if (SteadyMs() >= until)
            return EBUSY;
    }
}

int TStatusQuery::AwaitOwed(TPort& port) {
    const long long owed = port.AnswerOwedSince();
    port.SetAnswerOwedSince(-1);
    if (owed < 0 || SteadyMs() >= owed + LateHorizonMs)
        return 0;
    // Nothing is open: what comes now is late, however it looks.
    std::string chunk;
    const int err = port.Read(chunk, kReadChunk, MsUntil(owed + LateHorizonMs));
    FCollector.Take(chunk);
    if (err != 0 || chunk.empty())
        return err;
    return Collect(port, SteadyMs() + SettleMs, false);
}

bool TStatusQuery::Ended(int err, TStatusReport& report) {
    report.Outcome = err == ECANCELED ? soCancelled : err == EBUSY ? soFlooded : soDeviceLost;
    report.FailureCode = err;
    report.Failure = std::strerror(err);
    return false;
}

void TStatusQuery::AskAll(TPort& port, TStatusReport& report) {
    if (const int err = AwaitOwed(port); err != 0) {
        Ended(err, report);
        return;
    }
    for (int n = 1; n <= StatusRequestCount; ++n)
        if (!Ask(port, static_cast<TStatusRequest>(n), report))
            return;
}

bool TStatusQuery::Ask(TPort& port, TStatusRequest request, TStatusReport& report) {
    // What waits now came before this request: it is nobody's answer.
    if (const int err = Drain(port); err != 0)
        return Ended(err, report);
    const std::string bytes = StatusRequestBytes(request);
    FCollector.Begin(request);
    report.ToSend += bytes.size();
    const long long sentAt = SteadyMs();
    if (!port.WriteRequest(bytes)) {
        FCollector.End();
        const int err = port.Failure().Code;
        if (err == EIO || err == EPIPE || err == ECONNRESET || err == ECANCELED)
            return Ended(err, report);
        report.Outcome = soSendFailed;
        report.FailureCode = err;
        report.Failure = port.Failure().Text;
        return false;
    }
    report.Sent += bytes.size();
    int err = Collect(port, sentAt + Bound, true);
    // Bytes right behind the answer are its extra bytes, not the next request's answer.
    if (err == 0 && FCollector.Answered())
        err = Collect(port, SteadyMs() + SettleMs, false);
    const bool answered = FCollector.Answered();
    FCollector.End();
    if (err != 0)
        return Ended(err, report);
    // A printer that let one request pass is not asked again: its late answer could not be
    // told from the answer to the next.
    if (!answered)
        port.SetAnswerOwedSince(sentAt);
    return answered;
}

void TStatusQuery::AskDevice(TStatusReport& report) {
    int status = 0;
    const long long start = SteadyMs();
    const int err = LptRead(report.Device, status);
    report.OpenMs = SteadyMs() - start;
    if (err != 0) {
        report.Outcome = err == ENOTTY || err == EINVAL ? soNoStatusDevice : soOpenFailed;
        report.FailureCode = err;
        report.Failure = std::strerror(err);
        return;
    }
    report.LptStatus = status;
}

bool CannotPrint(const TStatusReport& report) {
    if (report.Outcome == soDeviceLost)
        return true;
    if (report.LptStatus)
        return CannotPrint(ReadDeviceLines(*report.LptStatus));
    return CannotPrint(report.Facts);
}
