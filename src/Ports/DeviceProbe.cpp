#include "Ports/DeviceProbe.h"

#include "DeviceIo/Devices.h"
#include "Ports/NetPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

TProbeResult Failed(const std::string& portName, const std::string& path, int err,
                    std::string reason = {}, std::string hint = {}) {
    TProbeResult r;
    r.Code = err;
    r.Reason = reason.empty() ? std::strerror(err) : std::move(reason);
    if (hint.empty()) {
        r.Hint = OpenFailureHint(portName, path, err);
        r.Advice = OpenFailureAdvice(portName, path, err);
        r.Kind = r.Advice.Kind == adNone ? phNone : phOpenAdvice;
    } else {
        r.Hint = std::move(hint);
    }
    return r;
}

TProbeResult Fine() {
    TProbeResult r;
    r.Ok = true;
    return r;
}

// Why a serial port that opened cannot be used; 0 when it can. Only looks: a hold that
// another program set stays as it is.
int SerialTrouble(int fd, std::string& reason) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        reason = "another program of this kind has the port open";
        return EBUSY;
    }
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        reason = "another program holds the port exclusively";
        return EBUSY;
    }
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        reason = "not a serial device";
        return ENOTTY;
    }
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN) {
        reason = "no UART behind this port";
        return ENODEV;
    }
    return 0;
}

} // namespace

TProbeResult ProbeSerial(const std::string& portName, const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failed(portName, path, errno);
    std::string reason;
    const int err = SerialTrouble(fd, reason);
    ::close(fd);
    if (err != 0)
        return Failed(portName, path, err, reason);
    return Fine();
}

TProbeResult ProbeParallel(const std::string& portName, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return Fine();
    }
    const int err = errno;
    struct stat st {};
    if (err == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        TProbeResult r =
            Failed(portName, path, err, "no program reads this FIFO",
                   "start the reader first, for example vemix-printer --input " + path);
        r.Kind = phStartReader;
        return r;
    }
    if (err == ENOENT && !IsDevicePath(path)) {
        // A file of our own is made at the first print, if its folder lets us.
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        if (::access(folder.c_str(), W_OK) == 0) {
            TProbeResult r = Fine();
            r.Hint = "the file is created at the first print";
            r.Kind = phMadeAtFirstPrint;
            return r;
        }
        TProbeResult r =
            Failed(portName, path, errno, {}, "its folder " + folder + " cannot be written");
        r.Kind = phFolderNotWritable;
        r.Folder = folder;
        return r;
    }
    return Failed(portName, path, err);
}

TProbeResult ProbeNet(const TNetAddress& address, const TNameLookup& lookup,
                      const TWaitCancel* cancel) {
    TNetPort port;
    port.SetAddress(address);
    port.SetLookup(lookup);
    port.SetCancel(cancel);
    const bool ok = port.Open();
    port.Close();
    if (ok)
        return Fine();
    TProbeResult r;
    r.Code = port.Failure().Code;
    r.Reason = port.Failure().Text;
    switch (r.Code) {
    case ECONNREFUSED:
        r.Hint = "the printer is on, but takes no raw print jobs on this port (often 9100)";
        r.Kind = phNetRefused;
        break;
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        r.Hint = "check the address, the cable and that the printer is on";
        r.Kind = phNetUnreachable;
        break;
    case ENOENT:
        r.Hint = "check the host name, or use the printer's IP address";
        r.Kind = phNetUnknownName;
        break;
    default:
        break;
    }
    return r;
}
