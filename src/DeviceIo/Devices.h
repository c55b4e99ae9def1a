#pragma once
// Where the named ports live on this machine.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// "COM1".."COM16", "LPT1".."LPT3": the port's override variable when set, else the device
// chosen in the user's settings, else /dev/ttyS{n-1} or /dev/lp{n-1}. Any other name is
// returned unchanged.
std::string DevicePath(const std::string& portName);
// The path of a port's own default device ("" for a name without one).
std::string DefaultDevicePath(const std::string& portName);

// The program names the environment variable that overrides a port's device for one run
// ("" for none); without this no variable overrides any port.
void SetPortOverrideVariables(std::function<std::string(const std::string& portName)> variableOf);
// The variable that overrides the port ("" for none).
std::string PortOverrideVariable(const std::string& portName);
// The value of that variable when it is set and not empty.
std::optional<std::string> PortOverride(const std::string& portName);

// The device the user chose for a port; an empty path forgets the choice.
void SetConfiguredDevice(const std::string& portName, const std::string& path);

// Where a port's device comes from.
enum TDeviceSource : std::uint8_t { dsDefault, dsSettings, dsEnvironment };
TDeviceSource DeviceSource(const std::string& portName);

// True for a path under /dev, where nothing may ever be created as a file.
bool IsDevicePath(const std::string& path);

// One line on standard error explaining why a port failed to open: name, path, reason, hint.
void ReportOpenFailure(const std::string& portName, const std::string& path, int err);
// The hint of that line ("" when none helps). A missing permission names a group only when
// the device's mode lets that group open it as the port needs (serial ports read and write,
// printers write); otherwise it says who owns the device and what its mode allows.
std::string OpenFailureHint(const std::string& portName, const std::string& path, int err);

// True when VEMIX_TRACE=1: every port cycle is logged to standard error.
bool TraceEnabled();
// Hex dump of bytes for the trace ("1B 64 0A").
std::string HexBytes(const std::string& bytes);
