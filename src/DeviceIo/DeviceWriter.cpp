#include "DeviceIo/DeviceWriter.h"

#include "DeviceIo/Devices.h"
#include "DeviceIo/NoSignal.h"
#include "Rtl/Events.h"
#include "Rtl/Exceptions.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int FileNotOpen = 103;
constexpr int DiskWriteError = 101;

// The classic I/O result code for an open that failed with err.
int OpenResult(int err) {
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return 2;
    case ENOTDIR:
        return 3;
    case EMFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EROFS:
        return 5;
    default:
        return 5;
    }
}

} // namespace

TDeviceWriter::TDeviceWriter(std::string path, int timeoutMs, const TWaitCancel* cancel)
    : path_(std::move(path)), timeoutMs_(timeoutMs), cancel_(cancel) {}

TDeviceWriter::~TDeviceWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

int TDeviceWriter::Append() {
    int flags = O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    // Only a file of our own is made; a missing device must never become a file.
    if (!IsDevicePath(path_))
        flags |= O_CREAT;
    fd_ = ::open(path_.c_str(), flags, 0644);
    if (fd_ < 0) {
        errno_ = errno;
        return OpenResult(errno_);
    }
    return 0;
}

bool TDeviceWriter::WaitWritable(int ms) {
    short revents = 0;
    switch (WaitForFd(fd_, POLLOUT, ms, cancel_, &revents)) {
    case weReady:
        if ((revents & POLLOUT) && !(revents & (POLLERR | POLLHUP | POLLNVAL)))
            return true;
        errno_ = (revents & POLLERR) ? EPIPE : EIO;
        return false;
    case weCancelled:
        errno_ = ECANCELED;
        return false;
    case weTimeout:
        break;
    }
    errno_ = ETIMEDOUT;
    return false;
}

int TDeviceWriter::Write(const std::string& bytes) {
    if (fd_ < 0)
        return FileNotOpen;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = WriteNoSignal(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            written_ = done;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            errno_ = errno;
            return DiskWriteError;
        }
        // The device takes no bytes now: wait, but never longer than the bound without progress.
        if (!WaitWritable(timeoutMs_))
            return DiskWriteError;
    }
    // A printer node drops what is still pending when closed: wait until it took the bytes.
    if (!bytes.empty() && !WaitWritable(timeoutMs_))
        return DiskWriteError;
    return 0;
}

void TDeviceWriter::CloseFile() {
    if (fd_ < 0)
        throw EInOutError(FileNotOpen);
    int fd = fd_;
    fd_ = -1;
    ::close(fd);
}
