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
        ListDevices("/dev", {"ttyS", "ttyUSB", "ttyACM"}, found);
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

void ReportOpenFailure(const std::string& portName, const std::string& path, int err) {
    std::string hint;
    if (err == EACCES) {
        std::string grp = GroupOf(path);
        hint = "add the user to the group '" + (grp.empty() ? std::string("dialout") : grp) + "'";
    } else if (err == ENOENT) {
        bool serial = portName.rfind("COM", 0) == 0;
        hint = std::string(serial ? "serial" : "printer") +
               " devices here: " + ExistingDevices(serial) + "; set VEMIX_" + portName +
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
