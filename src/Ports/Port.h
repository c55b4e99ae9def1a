#pragma once
// One printer port: every command string goes out in one open-write-close cycle.
#include <cstddef>
#include <cstdint>
#include <string>

class TWaitCancel;

enum TPortKind : std::uint8_t { pkSerial, pkParallel, pkNetwork };

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
    // Closes what is open. The parallel port raises EInOutError 103 when it never opened.
    void Close();
    virtual bool IsOpen() const = 0;

    const TPortFailure& Failure() const { return FFailure; }
    // The last cycle: "LPT1 (/dev/lp0) [1B 64 05] 3 of 3 bytes, 2 ms".
    std::string TraceLine() const;

    // Waits of this port end at once when this is cancelled (the window closes).
    void SetCancel(const TWaitCancel* cancel) { FCancel = cancel; }
    // How long the device may take no bytes before a write fails, in ms.
    int Bound() const { return FBound; }
    void SetBound(int ms) { FBound = ms; }
    // True after a write of this job timed out: the device is tried without waiting.
    bool Hurried() const { return FHurried; }
    // A new job: the port waits for its device again.
    virtual void NewJob() { FHurried = false; }

  protected:
    virtual bool DoOpen() = 0;
    // True when every byte went out; written tells how many did. Waits at most boundMs
    // without progress.
    virtual bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written) = 0;
    virtual void DoClose() = 0;

    void Fail(int code, std::string text);
    void ClearFailure() { FFailure = {}; }
    const TWaitCancel* Cancel() const { return FCancel; }

  private:
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
};
