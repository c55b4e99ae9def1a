#pragma once
// Where the named ports live on this machine.
#include <string>

// "COM1".."COM16", "LPT1".."LPT3": VEMIX_<NAME> when set, else /dev/ttyS{n-1} or /dev/lp{n-1}.
// Any other name is returned unchanged.
std::string DevicePath(const std::string& portName);

// True for a path under /dev, where nothing may ever be created as a file.
bool IsDevicePath(const std::string& path);

// One line on standard error explaining why a port failed to open: name, path, reason, hint.
void ReportOpenFailure(const std::string& portName, const std::string& path, int err);

// True when VEMIX_TRACE=1: every port cycle is logged to standard error.
bool TraceEnabled();
// Hex dump of bytes for the trace ("1B 64 0A").
std::string HexBytes(const std::string& bytes);
