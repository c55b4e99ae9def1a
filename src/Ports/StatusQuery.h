#pragma once
// Asks the printer on a port how it is, and checks the connection on the way: how long the
// open took and whether the request went out, so that a silent printer on a working cable is
// told apart from a missing port.
#include "Commands/CommandSet.h"
#include "Commands/PrinterStatus.h"
#include "Ports/Port.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TWaitCancel;

enum TStatusOutcome : std::uint8_t {
    soAsked,          // the requests went out (answered or not)
    soOpenFailed,     // the port did not open
    soSendFailed,     // the port opened, a request did not go out
    soNotSupported,   // the command set has no status request on this port
    soNoStatusDevice, // a parallel port whose device reports no status (a file or FIFO)
    soCancelled,      // the window closed while the printer was asked
    soDeviceLost,     // the device went away, or the printer ended the connection, meanwhile
    soFlooded         // the printer kept sending: no byte could be told for an answer
};

struct TStatusReport {
    std::string Port;
    std::string Device;
    TPortKind Kind = pkSerial;
    TStatusOutcome Outcome = soAsked;
    long long OpenMs = 0;
    // Request bytes that went out, of those meant to.
    std::size_t Sent = 0;
    std::size_t ToSend = 0;
    // Why the port failed: its errno and a few words.
    int FailureCode = 0;
    std::string Failure;
    // The real-time requests asked, in order, with what came back, and what the answers
    // whose fixed bits were right say.
    std::vector<TStatusAnswer> Answers;
    TStatusFacts Facts;
    // Bytes that came while no request waited for them, and how many more were dropped.
    std::string Late;
    std::size_t LateDropped = 0;
    // How long each request waited, in ms.
    int Bound = 0;
    // A printer device's status register.
    std::optional<int> LptStatus;
};

// Reads a printer device's status register: 0 and status, or the errno of the failure.
using TLptStatusRead = std::function<int(const std::string& path, int& status)>;
// open, LPGETSTATUS, close.
int ReadLptStatus(const std::string& path, int& status);

class TStatusQuery {
  public:
    // cancel: ends the waits of a run (the port's own cancel when none).
    explicit TStatusQuery(const TWaitCancel* cancel = nullptr) : FCancel(cancel) {}

    // How long each request waits for its answer, in ms.
    int Bound = 500;
    // After an answer, how long stray bytes are still counted as its extra bytes, and how
    // long the line must be quiet before a request, in ms.
    int SettleMs = 20;
    // A request left unanswered may still be answered this long after it was sent: the next
    // run on the line listens until then before it asks, and what comes is late.
    int LateHorizonMs = 3000;
    // How long the line may keep sending before a request before the printer counts as one
    // that never stops, in ms.
    int QuietMs = 200;
    // Tests give the status register of a device they do not have.
    TLptStatusRead LptRead = ReadLptStatus;

    // Asks the printer on port in the command set: the real-time requests on a port that
    // reads answers, the driver's status on a printer device. Leaves the port closed.
    TStatusReport Run(TPort& port, TCommandSet set);

  private:
    void AskAll(TPort& port, TStatusReport& report);
    // One request: false when the run ends with it.
    bool Ask(TPort& port, TStatusRequest request, TStatusReport& report);
    void AskDevice(TStatusReport& report);
    // Hands what the port reads to the collector until the deadline; with untilAnswer, also
    // ends when the open request has its answer. 0 or the port's read error.
    int Collect(TPort& port, long long deadline, bool untilAnswer);
    // Reads what waits before a request: 0 once the line stayed quiet for SettleMs, EBUSY
    // when it did not within QuietMs.
    int Drain(TPort& port);
    // An answer an earlier run left owing: listened for until its time is up.
    int AwaitOwed(TPort& port);
    // The run ended with a read or write error.
    bool Ended(int err, TStatusReport& report);

    const TWaitCancel* FCancel;
    TStatusCollector FCollector;
};

// The printer cannot print as the report stands: its answers or its device's status lines say
// so, or the device went away.
bool CannotPrint(const TStatusReport& report);
