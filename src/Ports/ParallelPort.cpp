#include "Ports/ParallelPort.h"

#include "DeviceIo/Devices.h"
#include "DeviceIo/NoSignal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool IsPrinterDevice(const std::string& path) {
    return path.rfind("/dev/lp", 0) == 0 || path.rfind("/dev/usb/lp", 0) == 0;
}

std::string TParallelPort::Device() const {
    return DevicePath(Name());
}

TAnswerKind TParallelPort::Answers() const {
    return IsPrinterDevice(Device()) ? akDeviceLines : akNone;
}

int TParallelPort::Read(std::string&, std::size_t, int) {
    return EOPNOTSUPP;
}

bool TParallelPort::DoOpen() {
    const std::string path = Device();
    FFile = std::make_unique<TDeviceWriter>(path, Bound(), Cancel());
    if (FFile->Append() == 0)
        return true;
    const int err = FFile->SystemError();
    Fail(err, std::strerror(err));
    ReportOpenFailure(Name(), path, err);
    return false;
}

bool TParallelPort::DoWrite(const std::string& bytes, int boundMs, std::size_t& written, bool) {
    // A file that did not open fails to write, also with nothing to write.
    if (!FFile || !FFile->IsOpen()) {
        Fail(EBADF, "not open");
        return false;
    }
    FFile->SetTimeout(boundMs);
    const bool ok = FFile->Write(bytes) == 0;
    written = FFile->Written();
    if (!ok)
        Fail(FFile->SystemError(), std::strerror(FFile->SystemError()));
    return ok;
}

void TParallelPort::DoClose() {
    // Closing a file that never opened raises the I/O error that ends the calling action.
    std::unique_ptr<TDeviceWriter> file = std::move(FFile);
    if (!file)
        file = std::make_unique<TDeviceWriter>(Device());
    file->CloseFile();
}

bool TParallelPort::WriteOnce(const std::string& bytes) {
    const std::string path = Device();
    int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // No sharing: someone else holds the port.
        ::close(fd);
        fd = -1;
        errno = EBUSY;
    }
    if (fd < 0) {
        const int err = errno;
        Fail(err, std::strerror(err));
        ReportOpenFailure(Name(), path, err);
        return false;
    }
    [[maybe_unused]] ssize_t n = WriteNoSignal(fd, bytes.data(), bytes.size());
    ::close(fd);
    return true;
}
