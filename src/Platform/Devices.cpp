#include "Platform/Devices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <vector>

std::string DevicePath(const std::string& portName) {
    std::string prefix = portName.substr(0, 3);
    std::string digits = portName.size() > 3 ? portName.substr(3) : std::string();
    bool numbered = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    if (!numbered || (prefix != "COM" && prefix != "LPT"))
        return portName;
    std::string var = "VEMIX_" + portName;
    if (const char* env = std::getenv(var.c_str()); env && *env)
        return env;
    int n = std::atoi(digits.c_str());
    if (n < 1)
        return portName;
    return (prefix == "COM" ? "/dev/ttyS" : "/dev/lp") + std::to_string(n - 1);
}

bool IsDevicePath(const std::string& path) {
    return path.rfind("/dev/", 0) == 0;
}

namespace {

std::string GroupOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    if (const group* g = getgrgid(st.st_gid))
        return g->gr_name;
    return {};
}

std::string SerialDevices() {
    std::vector<std::string> found;
    if (DIR* dir = opendir("/dev")) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            if (n.rfind("ttyS", 0) == 0 || n.rfind("ttyUSB", 0) == 0 || n.rfind("ttyACM", 0) == 0)
                found.push_back("/dev/" + n);
        }
        closedir(dir);
    }
    std::string list;
    for (std::size_t i = 0; i < found.size() && i < 8; ++i)
        list += (i ? " " : "") + found[i];
    if (found.size() > 8)
        list += " ...";
    return list.empty() ? "none" : list;
}

} // namespace

void ReportOpenFailure(const std::string& portName, const std::string& path, int err) {
    std::string hint;
    if (err == EACCES) {
        std::string grp = GroupOf(path);
        hint = "add the user to the group '" + (grp.empty() ? std::string("dialout") : grp) + "'";
    } else if (err == ENOENT) {
        hint = "serial devices here: " + SerialDevices() + "; set VEMIX_" + portName +
               " to choose one";
    } else if (err == EBUSY) {
        hint = "another program holds the port";
    }
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
