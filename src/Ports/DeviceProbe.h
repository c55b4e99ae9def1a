#pragma once
// The "測試" of a port's device: open and close it as printing would, without sending a byte,
// and say what happened.
#include "DeviceIo/OpenAdvice.h"
#include "Ports/NetAddress.h"

#include <cstdint>
#include <string>

class TWaitCancel;

// What to do about the result, as facts the window words.
enum TProbeHint : std::uint8_t {
    phNone,
    phOpenAdvice,       // see Advice
    phStartReader,      // a FIFO without its reader
    phMadeAtFirstPrint, // a file of our own, not there yet
    phFolderNotWritable,
    phNetRefused, // the host answers, but not on this port
    phNetUnreachable,
    phNetUnknownName,
};

struct TProbeResult {
    bool Ok = false;
    int Code = 0; // errno of the failure
    // In the system's words: "Permission denied", "connection refused", ...
    std::string Reason;
    std::string Hint; // what to do about it, or ""
    TProbeHint Kind = phNone;
    TOpenAdvice Advice;
    std::string Folder; // phFolderNotWritable
};

// portName tells what the device must allow ("COM1": read and write, "LPT1": write).
TProbeResult ProbeSerial(const std::string& portName, const std::string& path);
TProbeResult ProbeParallel(const std::string& portName, const std::string& path);
// Looks the host up and connects within the network port's bounds, then disconnects.
TProbeResult ProbeNet(const TNetAddress& address, const TNameLookup& lookup,
                      const TWaitCancel* cancel);
