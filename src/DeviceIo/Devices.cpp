#include "DeviceIo/Devices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <grp.h>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
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

namespace {

std::string GroupName(gid_t gid) {
    if (const group* g = getgrgid(gid))
        return g->gr_name;
    return std::to_string(gid);
}

std::string UserName(uid_t uid) {
    if (const passwd* p = getpwuid(uid))
        return p->pw_name;
    return std::to_string(uid);
}

// "rw-", "-w-", "---".
std::string Access(mode_t bits, mode_t r, mode_t w) {
    return std::string(bits & r ? "r" : "-") + (bits & w ? "w" : "-");
}

// Who may open the device as the port needs it, in the words of the hint.
std::string PermissionHint(const std::string& portName, const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    // A serial port is read and written; a printer only written.
    const bool serial = portName.rfind("COM", 0) == 0;
    const mode_t groupNeeds = serial ? (S_IRGRP | S_IWGRP) : S_IWGRP;
    const std::string owner = UserName(st.st_uid);
    const std::string grp = GroupName(st.st_gid);
    if ((st.st_mode & groupNeeds) == groupNeeds)
        return "add the user to the group '" + grp + "'";
    return "the device belongs to " + owner + ":" + grp + " with mode owner " +
           Access(st.st_mode, S_IRUSR, S_IWUSR) + ", group " +
           Access(st.st_mode, S_IRGRP, S_IWGRP) + ", others " +
           Access(st.st_mode, S_IROTH, S_IWOTH) + "; the group cannot " +
           (serial ? "read and write" : "write") + " it, so joining '" + grp +
           "' does not help: ask for a device rule or choose another device";
}

void ListDevices(const std::string& folder, std::initializer_list<const char*> prefixes,
                 std::vector<std::string>& found) {
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            for (const char* p : prefixes)
                if (n.rfind(p, 0) == 0)
                    found.push_back(folder + "/" + n);
        }
        closedir(dir);
    }
}

// The devices of the port's kind that do exist, to point the technician at one.
std::string ExistingDevices(bool serial) {
    std::vector<std::string> found;
    if (serial) {
        ListDevices("/dev", {"ttyS", "ttyUSB", "ttyACM", "rfcomm"}, found);
    } else {
        ListDevices("/dev", {"lp"}, found);
        ListDevices("/dev/usb", {"lp"}, found);
    }
    std::string list;
    for (std::size_t i = 0; i < found.size() && i < 8; ++i)
        list += (i ? " " : "") + found[i];
    if (found.size() > 8)
        list += " ...";
    return list.empty() ? "none" : list;
}

} // namespace

std::string OpenFailureHint(const std::string& portName, const std::string& path, int err) {
    std::string hint;
    if (err == EACCES || err == EPERM) {
        hint = PermissionHint(portName, path);
    } else if (err == ENOENT) {
        bool serial = portName.rfind("COM", 0) == 0;
        const std::string var = PortOverrideVariable(portName);
        hint = std::string(serial ? "serial" : "printer") +
               " devices here: " + ExistingDevices(serial) +
               "; choose one in the port settings (連接埠設定…)" +
               (var.empty() ? std::string() : " or with " + var);
    } else if (err == EBUSY) {
        hint = "another program holds the port";
    }
    return hint;
}

void ReportOpenFailure(const std::string& portName, const std::string& path, int err) {
    const std::string hint = OpenFailureHint(portName, path, err);
    std::fprintf(stderr, "vemix: %s (%s): %s%s%s\n", portName.c_str(), path.c_str(),
                 std::strerror(err), hint.empty() ? "" : "; ", hint.c_str());
}

bool TraceEnabled() {
    const char* env = std::getenv("VEMIX_TRACE");
    return env && std::strcmp(env, "1") == 0;
}

std::string HexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out.push_back(' ');
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}
