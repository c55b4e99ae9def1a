#include "DeviceIo/Devices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace {

std::map<std::string, std::string>& Configured() {
    static std::map<std::string, std::string> devices;
    return devices;
}

// "COM" or "LPT" with a number from 1, else nothing.
bool NamedPort(const std::string& portName, std::string& prefix, int& number) {
    prefix = portName.substr(0, 3);
    const std::string digits = portName.size() > 3 ? portName.substr(3) : std::string();
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos ||
        (prefix != "COM" && prefix != "LPT"))
        return false;
    number = std::atoi(digits.c_str());
    return number >= 1;
}

std::function<std::string(const std::string&)>& OverrideVariables() {
    static std::function<std::string(const std::string&)> variableOf;
    return variableOf;
}

} // namespace

void SetPortOverrideVariables(std::function<std::string(const std::string&)> variableOf) {
    OverrideVariables() = std::move(variableOf);
}

std::string PortOverrideVariable(const std::string& portName) {
    return OverrideVariables() ? OverrideVariables()(portName) : std::string();
}

std::optional<std::string> PortOverride(const std::string& portName) {
    const std::string var = PortOverrideVariable(portName);
    if (var.empty())
        return std::nullopt;
    const char* env = std::getenv(var.c_str());
    if (!env || !*env)
        return std::nullopt;
    return std::string(env);
}

std::string DefaultDevicePath(const std::string& portName) {
    std::string prefix;
    int n = 0;
    if (!NamedPort(portName, prefix, n))
        return {};
    return (prefix == "COM" ? "/dev/ttyS" : "/dev/lp") + std::to_string(n - 1);
}

std::string DevicePath(const std::string& portName) {
    std::string prefix;
    int n = 0;
    if (!NamedPort(portName, prefix, n))
        return portName;
    if (auto env = PortOverride(portName))
        return *env;
    if (auto it = Configured().find(portName); it != Configured().end())
        return it->second;
    return DefaultDevicePath(portName);
}

void SetConfiguredDevice(const std::string& portName, const std::string& path) {
    if (path.empty())
        Configured().erase(portName);
    else
        Configured()[portName] = path;
}

TDeviceSource DeviceSource(const std::string& portName) {
    if (PortOverride(portName))
        return dsEnvironment;
    return Configured().count(portName) ? dsSettings : dsDefault;
}

bool IsDevicePath(const std::string& path) {
    return path.rfind("/dev/", 0) == 0;
}

bool TraceEnabled() {
    const char* env = std::getenv("VEMIX_TRACE");
    return env && std::strcmp(env, "1") == 0;
}
