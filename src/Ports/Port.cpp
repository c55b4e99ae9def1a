#include "Ports/Port.h"

#include "Rtl/Strings.h"
#include "Rtl/Tick.h"

#include <cerrno>

bool TPort::Open() {
    ClearFailure();
    FSent.clear();
    FWritten = 0;
    FTraceNote.clear();
    FStartMs = FEndMs = SteadyMs();
    if (FHeld && IsOpen())
        return true;
    return DoOpen();
}

bool TPort::Write(const std::string& bytes) {
    // A held connection stays open after the bytes went: the printer's answers come on it.
    return WriteCycle(bytes, FHeld);
}

bool TPort::WriteRequest(const std::string& bytes) {
    return WriteCycle(bytes, true);
}

bool TPort::WriteCycle(const std::string& bytes, bool answerFollows) {
    FSent = bytes;
    FWritten = 0;
    const bool all = DoWrite(bytes, FHurried ? 0 : FBound, FWritten, answerFollows);
    FEndMs = SteadyMs();
    // One time-out per job is enough: a device that came back is used at once all the same.
    if (!all && Failure().Code == ETIMEDOUT)
        FHurried = true;
    else if (all && !bytes.empty())
        FHurried = false;
    return all;
}

void TPort::Close() {
    FEndMs = SteadyMs();
    if (FHeld)
        return;
    DoClose();
}

void TPort::SetHeld(bool held) {
    if (held == FHeld)
        return;
    FHeld = held;
    HeldChanged();
}

void TPort::Fail(int code, std::string text) {
    FFailure = {code, std::move(text)};
}

std::string TPort::TraceLine() const {
    return FName + " (" + Device() + ") [" + FormatHex(FSent) + "] " + std::to_string(FWritten) +
           " of " + std::to_string(FSent.size()) + " bytes, " + std::to_string(FEndMs - FStartMs) +
           " ms" + (FTraceNote.empty() ? std::string() : ", " + FTraceNote);
}
