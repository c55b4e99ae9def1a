#pragma once
// Where the named ports live on this machine.
#include "DeviceIo/OpenAdvice.h"

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

// True when VEMIX_TRACE=1: every port cycle is logged to standard error.
bool TraceEnabled();
