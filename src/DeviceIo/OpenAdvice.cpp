#include "DeviceIo/OpenAdvice.h"

#include "DeviceIo/Devices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace {

constexpr std::size_t MaxListed = 8;

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

// "rw", "-w", "--".
std::string Access(mode_t bits, mode_t r, mode_t w) {
    return std::string(bits & r ? "r" : "-") + (bits & w ? "w" : "-");
}

// Who may open the device as the port needs it.
void PermissionAdvice(const std::string& path, TOpenAdvice& advice) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return;
    const mode_t groupNeeds = advice.Serial ? (S_IRGRP | S_IWGRP) : S_IWGRP;
    advice.Owner = UserName(st.st_uid);
    advice.Group = GroupName(st.st_gid);
    advice.OwnerAccess = Access(st.st_mode, S_IRUSR, S_IWUSR);
    advice.GroupAccess = Access(st.st_mode, S_IRGRP, S_IWGRP);
    advice.OtherAccess = Access(st.st_mode, S_IROTH, S_IWOTH);
    advice.Kind = (st.st_mode & groupNeeds) == groupNeeds ? adJoinGroup : adNoGroupHelps;
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
void PresentDevices(TOpenAdvice& advice) {
    std::vector<std::string> found;
    if (advice.Serial) {
        ListDevices("/dev", {"ttyS", "ttyUSB", "ttyACM", "rfcomm"}, found);
    } else {
        ListDevices("/dev", {"lp"}, found);
        ListDevices("/dev/usb", {"lp"}, found);
    }
    advice.More = found.size() > MaxListed;
    if (advice.More)
        found.resize(MaxListed);
    advice.Present = std::move(found);
}

std::string PermissionHint(const TOpenAdvice& a) {
    if (a.Kind == adJoinGroup)
        return "add the user to the group '" + a.Group + "'";
    return "the device belongs to " + a.Owner + ":" + a.Group + " with mode owner " +
           a.OwnerAccess + ", group " + a.GroupAccess + ", others " + a.OtherAccess +
           "; the group cannot " + (a.Serial ? "read and write" : "write") + " it, so joining '" +
           a.Group + "' does not help: ask for a device rule or choose another device";
}

std::string DeviceList(const TOpenAdvice& a) {
    std::string list;
    for (const std::string& path : a.Present)
        list += (list.empty() ? "" : " ") + path;
    if (a.More)
        list += " ...";
    return list.empty() ? "none" : list;
}

} // namespace

TOpenAdvice OpenFailureAdvice(const std::string& portName, const std::string& path, int err) {
    TOpenAdvice advice;
    advice.Serial = portName.rfind("COM", 0) == 0;
    if (err == EACCES || err == EPERM) {
        PermissionAdvice(path, advice);
    } else if (err == ENOENT) {
        advice.Kind = adChooseDevice;
        advice.Variable = PortOverrideVariable(portName);
        PresentDevices(advice);
    } else if (err == EBUSY) {
        advice.Kind = adBusy;
    }
    return advice;
}

std::string OpenFailureHint(const std::string& portName, const std::string& path, int err) {
    const TOpenAdvice a = OpenFailureAdvice(portName, path, err);
    switch (a.Kind) {
    case adJoinGroup:
    case adNoGroupHelps:
        return PermissionHint(a);
    case adChooseDevice:
        return std::string(a.Serial ? "serial" : "printer") + " devices here: " + DeviceList(a) +
               "; choose one in the port settings (連接埠設定…)" +
               (a.Variable.empty() ? std::string() : " or with " + a.Variable);
    case adBusy:
        return "another program holds the port";
    case adNone:
        break;
    }
    return {};
}

void ReportOpenFailure(const std::string& portName, const std::string& path, int err) {
    const std::string hint = OpenFailureHint(portName, path, err);
    std::fprintf(stderr, "vemix: %s (%s): %s%s%s\n", portName.c_str(), path.c_str(),
                 std::strerror(err), hint.empty() ? "" : "; ", hint.c_str());
}
