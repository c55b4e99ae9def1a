#pragma once
// Asks the printer on a port how it is, and checks the connection on the way: how long the
// open took and whether the request went out, so that a silent printer on a working cable is
// told apart from a missing port.
#include "Commands/CommandTable.h"
#include "Commands/PrinterStatus.h"
#include "Ports/Port.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TSerialPort;
class TNetPort;
class TWaitCancel;

enum TStatusOutcome : std::uint8_t {
    soAsked,          // the requests went out (answered or not)
    soOpenFailed,     // the port did not open
    soSendFailed,     // the port opened, a request did not go out
    soNotSupported,   // the command set has no status request on this port
    soNoStatusDevice, // a parallel port whose device reports no status (a file or FIFO)
    soCancelled       // the window closed while the printer was asked
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
    // Why the port failed, in a few words.
    std::string Failure;
    // The real-time requests asked, in order, with what came back.
    std::vector<TStatusAnswer> Answers;
    // A printer device's status register.
    std::optional<int> LptStatus;
};

// Reads a printer device's status register: 0 and status, or the errno of the failure.
using TLptStatusRead = std::function<int(const std::string& path, int& status)>;
// open, LPGETSTATUS, close.
int ReadLptStatus(const std::string& path, int& status);
// /dev/lp*, /dev/usb/lp*: the devices whose drivers report the status lines.
bool IsPrinterDevice(const std::string& path);

class TStatusQuery {
  public:
    explicit TStatusQuery(const TWaitCancel* cancel = nullptr) : FCancel(cancel) {}

    // How long each request waits for its answer, in ms.
    int Bound = 500;
    // Tests give the status register of a device they do not have.
    TLptStatusRead LptRead = ReadLptStatus;

    // Asks the printer on port in the command set: the real-time requests on a serial or
    // network port, the driver's status on a printer device. Leaves the port closed.
    TStatusReport Run(TPort& port, TCommandSet set);

  private:
    void AskSerial(TSerialPort& port, TStatusReport& report);
    void AskNet(TNetPort& port, TStatusReport& report);
    void AskParallel(TPort& port, TStatusReport& report);
    // The requests one after the other; wait(bound) collects one answer.
    template <class Send, class Wait> void AskAll(TStatusReport& report, Send send, Wait wait);

    const TWaitCancel* FCancel;
    TStatusCollector FCollector;
};

// The status box: one line per fact, the connection check and the answers in hex.
QStringList StatusReportLines(const TStatusReport& report);
