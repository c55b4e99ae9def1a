#include "Ports/DeviceScan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

// Entries of a folder whose names start with one of the prefixes, in natural order
// (ttyUSB2 before ttyUSB10).
std::vector<std::string> Names(const fs::path& folder,
                               std::initializer_list<const char*> prefixes) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (const char* p : prefixes)
            if (name.rfind(p, 0) == 0 && name.size() > std::char_traits<char>::length(p))
                found.push_back(name);
    }
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        const auto digits = [](const std::string& s) { return s.find_first_of("0123456789"); };
        const std::size_t da = digits(a), db = digits(b);
        const std::string pa = a.substr(0, da), pb = b.substr(0, db);
        if (pa != pb || da == std::string::npos || db == std::string::npos)
            return a < b;
        if (a.size() != b.size())
            return a.size() < b.size();
        return a < b;
    });
    return found;
}

// A ttyS node whose port type is not "unknown" has a chip behind it.
bool HasUart(const std::string& root, const std::string& name) {
    std::ifstream in(root + "/sys/class/tty/" + name + "/type");
    int type = 0;
    return in >> type && type != 0;
}

std::string Canonical(const fs::path& p) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p.string() : c.string();
}

} // namespace

std::string ReadableSerialName(const std::string& byIdName) {
    static const std::regex bus("^(usb|pci|platform|bluetooth)-");
    static const std::regex tail("-if[0-9A-Fa-f]+(-port[0-9]+)?$");
    std::string name =
        std::regex_replace(byIdName, bus, "", std::regex_constants::format_first_only);
    name = std::regex_replace(name, tail, "");
    std::replace(name.begin(), name.end(), '_', ' ');
    return name.empty() ? byIdName : name;
}

std::vector<TFoundDevice> FindSerialDevices(const std::string& root) {
    std::vector<TFoundDevice> devices;
    std::set<std::string> shown;
    const fs::path byId = root + "/dev/serial/by-id";
    for (const std::string& name : Names(byId, {""})) {
        const fs::path link = byId / name;
        const std::string target = Canonical(link);
        const std::string node = fs::path(target).filename().string();
        devices.push_back({link.string(), ReadableSerialName(name) + " (" + node + ")"});
        shown.insert(target);
    }
    const fs::path dev = root + "/dev";
    std::vector<std::string> nodes;
    // Adapters first: they are what a printer of today hangs on.
    for (const char* kind : {"ttyUSB", "ttyACM", "rfcomm", "ttyS"})
        for (const std::string& name : Names(dev, {kind}))
            nodes.push_back(name);
    for (const std::string& name : nodes) {
        const std::string path = (dev / name).string();
        if (shown.count(Canonical(path)))
            continue;
        if (name.rfind("ttyS", 0) == 0 && !HasUart(root, name))
            continue;
        devices.push_back({path, path});
    }
    return devices;
}

std::vector<TFoundDevice> FindPrinterDevices(const std::string& root) {
    std::vector<TFoundDevice> devices;
    for (const std::string& folder : {root + "/dev/usb", root + "/dev"})
        for (const std::string& name : Names(folder, {"lp"})) {
            const std::string path = folder + "/" + name;
            devices.push_back({path, path});
        }
    return devices;
}
