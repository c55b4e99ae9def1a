#include "Ports/Port.h"

#include "DeviceIo/Devices.h"

#include <cerrno>
#include <chrono>

namespace {
long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

bool TPort::Open() {
    ClearFailure();
    FSent.clear();
    FWritten = 0;
    FStartMs = FEndMs = NowMs();
    return DoOpen();
}

bool TPort::Write(const std::string& bytes) {
    FSent = bytes;
    FWritten = 0;
    const bool all = DoWrite(bytes, FHurried ? 0 : FBound, FWritten);
    FEndMs = NowMs();
    // One time-out per job is enough: a device that came back is used at once all the same.
    if (!all && Failure().Code == ETIMEDOUT)
        FHurried = true;
    else if (all && !bytes.empty())
        FHurried = false;
    return all;
}

void TPort::Close() {
    FEndMs = NowMs();
    DoClose();
}

void TPort::Fail(int code, std::string text) {
    FFailure = {code, std::move(text)};
}

std::string TPort::TraceLine() const {
    return FName + " (" + Device() + ") [" + HexBytes(FSent) + "] " + std::to_string(FWritten) +
           " of " + std::to_string(FSent.size()) + " bytes, " + std::to_string(FEndMs - FStartMs) +
           " ms";
}
