#pragma once
// The "測試" of a port's device: open and close it as printing would, without sending a byte,
// and say what happened.
#include "Ports/NetAddress.h"

#include <string>

class TWaitCancel;

struct TProbeResult {
    bool Ok = false;
    int Code = 0;       // errno of the failure
    std::string Reason; // "Permission denied", "connection refused", ...
    std::string Hint;   // what to do about it, or ""
};

// portName tells what the device must allow ("COM1": read and write, "LPT1": write).
TProbeResult ProbeSerial(const std::string& portName, const std::string& path);
TProbeResult ProbeParallel(const std::string& portName, const std::string& path);
// Looks the host up and connects within the network port's bounds, then disconnects.
TProbeResult ProbeNet(const TNetAddress& address, const TNameLookup& lookup,
                      const TWaitCancel* cancel);
