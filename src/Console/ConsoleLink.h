#pragma once
// The console's way to the printer. Each command line goes out whole; a port that can answer
// (serial, network) is held open while the console is, through the registry, so that what the
// printer sends at any time is read, burst by burst, with the time since the send, and the
// answers it asked for are read from those bytes. A printer device (parallel) gets one
// open-write-close cycle a line and reports its status lines after it.
#include "Console/Replies.h"
#include "Ports/PortRegistry.h"
#include "Ports/StatusQuery.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TWaitCancel;

// What came in one read.
struct TBurst {
    std::string Bytes;
    long long MsSinceSend = 0;
    std::vector<TReply> Replies; // the answers these bytes completed
};

// One line sent.
struct TLineSent {
    bool Opened = false; // the port was open for it (newly or still)
    bool NewlyOpened = false;
    long long OpenMs = 0;  // how long a new open took
    bool Written = false;  // every byte went out
    std::size_t Count = 0; // bytes meant to go
    bool Held = false;     // the port stays open for answers
    TPortFailure Failure;  // why the open or the write failed
    // A printer device's status register after the line, or the errno of reading it.
    std::optional<int> LptStatus;
    int LptError = 0;
};

class TConsoleLink : public QObject {
  public:
    // How often a held port is looked at for bytes between sends.
    static constexpr int ReadEveryMs = 20;

    explicit TConsoleLink(TPortRegistry& ports, QObject* parent = nullptr);
    ~TConsoleLink() override;
    TConsoleLink(const TConsoleLink&) = delete;
    TConsoleLink& operator=(const TConsoleLink&) = delete;

    // The port is open and the bytes go now (sent so far: how it was opened).
    std::function<void(const TLineSent& sent)> OnWriting;
    // Bytes as they come, also between sends.
    std::function<void(const TBurst&)> OnBurst;
    // The held port was closed without the console asking: the device went away or the printer
    // ended the connection (why: EIO, EPIPE, ECONNRESET, ...), or a cycle of the window needed
    // its device (why: 0). The next line opens it again.
    std::function<void(TPort& port, int why)> OnLetGo;

    // Sends bytes whole on port. The answers the bytes ask for in set are waited for at most
    // ListenMs; later ones come between sends. Counts as a port cycle of the registry.
    TLineSent Send(TPort& port, const std::string& bytes, TCommandSet set);
    // Closes the held port, if any.
    void Close();
    TPort* Held() const { return FHeld; }
    bool Sending() const { return FSending; }

    // Every wait of a send ends at once when this is cancelled (the console closes).
    void SetCancel(const TWaitCancel* cancel) { FCancel = cancel; }
    int ListenMs = 500;
    // How long a parallel device may take no bytes.
    int LptBoundMs = 10000;
    TLptStatusRead LptRead = ReadLptStatus;

  private:
    TLineSent SendHeld(TPort& port, const std::string& bytes, TCommandSet set);
    TLineSent SendCycle(TPort& port, const std::string& bytes);
    bool OpenHeld(TPort& port, TLineSent& sent);
    // Reads what the held port has: waits at most timeoutMs for the first bytes, then, with
    // untilAnswered, until no answer is awaited. False when the port was let go meanwhile.
    bool ReadHeld(int timeoutMs, bool untilAnswered);
    // Reading between sends, while no other cycle runs.
    void Tick();
    void Burst(std::string bytes);
    // The held port is closed; whoever lets it go says why (-1: the console itself).
    void LetGo(int why);

    TPortRegistry& FPorts;
    TPort* FHeld = nullptr;
    TReplyReader FReader;
    long long FSentAt = 0;
    bool FSending = false;
    const TWaitCancel* FCancel = nullptr;
    QTimer FTimer;
};
