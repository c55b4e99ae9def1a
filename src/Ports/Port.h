#pragma once
// One printer port: every command string goes out in one open-write-close cycle, unless the
// port is held open between them (the console holds one so that answers coming at any time are
// read).
#include <cstddef>
#include <cstdint>
#include <string>

class TWaitCancel;

enum TPortKind : std::uint8_t { pkSerial, pkParallel, pkNetwork };

// What a port can tell about its printer: nothing (a file, a FIFO), the bytes the printer
// sends back (status answers), or the status lines of a printer device's driver.
enum TAnswerKind : std::uint8_t { akNone, akStatusBytes, akDeviceLines };

// Why the last step of a port failed: an errno value (0 for none) and a few words.
struct TPortFailure {
    int Code = 0;
    std::string Text;
};

class TPort {
  public:
    TPort(std::string name, TPortKind kind) : FName(std::move(name)), FKind(kind) {}
    virtual ~TPort() = default;
    TPort(const TPort&) = delete;
    TPort& operator=(const TPort&) = delete;

    // "COM1", "LPT1", "NET".
    const std::string& Name() const { return FName; }
    TPortKind Kind() const { return FKind; }
    // Where the bytes go: a device path, or host:port.
    virtual std::string Device() const = 0;

    // True when the port is open afterwards. A failure is explained on standard error.
    bool Open();
    // True when every byte went out. The device may take no bytes for at most the port's
    // bound; after a time-out the port tries without waiting until the next job.
    bool Write(const std::string& bytes);
    // As Write, for a request whose answer is read next: a connection stays open for it.
    bool WriteRequest(const std::string& bytes);
    // What the device sent back: waits at most timeoutMs for the first byte (0: only looks),
    // then appends what is waiting, at most max bytes; the rest waits for the next read.
    // 0 (also when nothing came), or why nothing more can come: ECANCELED (the job's wait was
    // cancelled), EIO (the device went away), EPIPE (the printer closed the connection),
    // ECONNRESET (it reset the connection), EBADF (not open), EOPNOTSUPP (no answers).
    virtual int Read(std::string& into, std::size_t max, int timeoutMs) = 0;
    virtual TAnswerKind Answers() const = 0;
    // Closes what is open. The parallel port raises EInOutError 103 when it never opened.
    void Close();
    virtual bool IsOpen() const = 0;

    const TPortFailure& Failure() const { return FFailure; }
    // The last cycle: "LPT1 (/dev/lp0) [1B 64 05] 3 of 3 bytes, 2 ms".
    std::string TraceLine() const;

    // Waits of this port end at once when this is cancelled (the window closes).
    void SetCancel(const TWaitCancel* cancel) { FCancel = cancel; }
    const TWaitCancel* Cancel() const { return FCancel; }
    // How long the device may take no bytes before a write fails, in ms.
    int Bound() const { return FBound; }
    void SetBound(int ms) { FBound = ms; }
    // True after a write of this job timed out: the device is tried without waiting.
    bool Hurried() const { return FHurried; }
    // A new job: the port waits for its device again.
    virtual void NewJob() { FHurried = false; }

    // Held open between command strings: Open and Close of a cycle leave it as it is (its holder
    // opened it and closes it after letting go), a write keeps a network connection open for
    // answers, and what the printer sends between reads waits for the next one.
    bool Held() const { return FHeld; }
    void SetHeld(bool held);

    // When (SteadyMs) a status request on this line went unanswered, -1 when none did: its
    // answer may still come, and then belongs to nobody.
    long long AnswerOwedSince() const { return FAnswerOwedSince; }
    void SetAnswerOwedSince(long long ms) { FAnswerOwedSince = ms; }

  protected:
    virtual bool DoOpen() = 0;
    // True when every byte went out; written tells how many did. Waits at most boundMs
    // without progress. answerFollows: the bytes are a request whose answer is read next.
    virtual bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written,
                         bool answerFollows) = 0;
    virtual void DoClose() = 0;

    void Fail(int code, std::string text);
    void ClearFailure() { FFailure = {}; }
    // Words the trace adds to this cycle ("end not confirmed").
    void SetTraceNote(std::string note) { FTraceNote = std::move(note); }
    // The port was just held or let go.
    virtual void HeldChanged() {}

  private:
    bool WriteCycle(const std::string& bytes, bool answerFollows);

    std::string FName;
    TPortKind FKind;
    TPortFailure FFailure;
    const TWaitCancel* FCancel = nullptr;
    int FBound = 10000;
    bool FHurried = false;
    // The cycle, for the trace.
    std::string FSent;
    std::size_t FWritten = 0;
    long long FStartMs = 0;
    long long FEndMs = 0;
    std::string FTraceNote;
    long long FAnswerOwedSince = -1;
    bool FHeld = false;
};
