#pragma once
// A network printer: each command string in one connect-write-close cycle over TCP (raw
// printing, port 9100 by default). Every wait is bounded and keeps the window alive.
#include "Ports/NetAddress.h"
#include "Ports/Port.h"

#include <optional>

class TNetPort : public TPort {
  public:
    TNetPort();
    ~TNetPort() override;

    // None: no printer address is set, every open fails and says so.
    const std::optional<TNetAddress>& Address() const { return FAddress; }
    void SetAddress(std::optional<TNetAddress> address);
    // How host names are looked up (tests give their own; none may ask a name server).
    void SetLookup(TNameLookup lookup) { FLookup = std::move(lookup); }
    const TNameLookup& Lookup() const { return FLookup; }

    // Bounds in ms: the name lookup, the connection, (Bound) the write, and the wait for the
    // printer's end of the connection after a command string.
    int LookupBound() const { return FLookupBound; }
    void SetLookupBound(int ms) { FLookupBound = ms; }
    int ConnectBound() const { return FConnectBound; }
    void SetConnectBound(int ms) { FConnectBound = ms; }
    int EndBound() const { return FEndBound; }
    void SetEndBound(int ms) { FEndBound = ms; }

    std::string Device() const override;
    bool IsOpen() const override { return FSocket >= 0; }
    TAnswerKind Answers() const override { return akStatusBytes; }
    int Read(std::string& into, std::size_t max, int timeoutMs) override;
    // The next job looks the host up again and waits the full bounds.
    void NewJob() override;

  protected:
    bool DoOpen() override;
    // A command string counts as delivered once the printer closed its end after taking
    // every byte, or kept the connection open past EndBound; a reset is a failure.
    bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written,
                 bool answerFollows) override;
    void DoClose() override;

  private:
    bool Resolve(std::vector<TSockAddr>& addresses);
    bool ConnectTo(const TSockAddr& address, int boundMs);
    // 0 once every byte went to the system, else the errno that ended the send.
    int SendAll(const std::string& bytes, int boundMs, std::size_t& done);
    // 0 once the printer acknowledged every byte, else the errno that ended the wait.
    int WaitDelivered(int boundMs, std::size_t& pending);
    // Ends the sending side and waits for the printer's end: 0 when it closed in order after
    // taking every byte, ETIMEDOUT when it kept the connection open, else why it failed;
    // closedFirst tells that the printer had closed its end before that.
    int AwaitPrinterEnd(int boundMs, bool& closedFirst);
    // Drops what the printer sent, at most a bounded amount a call: 0, or the errno of the
    // connection; ended tells that the printer closed its end.
    int DropIncoming(bool& ended);
    // Bytes of the sent ones the printer acknowledged.
    std::size_t Acknowledged(std::size_t sent) const;
    // A send that did not finish: said on standard error, the connection will be reset.
    // closedFirst: the printer had closed its end before it failed.
    bool Abandon(int err, std::size_t taken, std::size_t size, bool closedFirst = false);
    void Report(const std::string& reason) const;

    std::optional<TNetAddress> FAddress;
    TNameLookup FLookup;
    int FLookupBound = 3000;
    int FConnectBound = 3000;
    int FEndBound = 2000;
    int FSocket = -1;
    // The addresses of this job's lookup.
    std::vector<TSockAddr> FResolved;
    // A lookup, a connection or a printer's end of this job timed out: later ones wait only
    // briefly.
    bool FLookupHurried = false;
    bool FConnectHurried = false;
    bool FEndHurried = false;
    // Why nothing more can be read from this connection (EPIPE, ECONNRESET), or 0.
    int FReadEnd = 0;
    // Bytes were left undelivered: the connection is reset instead of closed in order.
    bool FAbandoned = false;
};

// Words for an errno of a connection: "connection refused", "no route to host", ...
std::string NetReason(int err);
