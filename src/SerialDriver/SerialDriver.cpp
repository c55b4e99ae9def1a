#include "SerialDriver/SerialDriver.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Application.h"
#include "Rtl/OsVersion.h"
#include "Rtl/Strings.h"
#include "Rtl/Tick.h"
#include "SerialDriver/LineSettings.h"

#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

// The window system's shortest timer period: a period of 0 must not turn into a busy loop.
constexpr int kMinimumTimerPeriod = 10;
// Largest packet whose doubled size still fits the 16-bit input size.
constexpr std::int16_t kMaxPacketSize = 16383;
// Most input the kernel's line buffer holds (its 4096 bytes less one): larger packets are
// gathered from several reads.
constexpr std::int16_t kLineBufferHolds = 4095;
// Bytes of one send shown in the trace.
constexpr std::uint32_t kTraceBytes = 1024;

bool DeviceGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

// A port without modem lines answers their ioctls so.
bool NoModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

// Takes the port for this process alone; 0 or the reason it cannot be used. `holdSet` tells
// whether the exclusive flag is now this program's to clear.
int PreparePort(int fd, termios& saved, bool& holdSet) {
    holdSet = false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    // Root opens a port in spite of another program's exclusive hold: honour it here, and
    // leave it in place.
    int held = 0;
    if (ioctl(fd, TIOCGEXCL, &held) != 0)
        return errno;
    if (held)
        return EBUSY;
    if (ioctl(fd, TIOCEXCL) != 0)
        return errno;
    holdSet = true;
    // A UART node with no chip behind it opens but never sends.
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN)
        return ENODEV;
    if (tcgetattr(fd, &saved) != 0)
        return errno;
    return 0;
}

} // namespace

TSerialDriver::TSerialDriver(QObject* owner) : QObject(owner) {
    FReceiveBuffer.resize(static_cast<std::size_t>(FComPortInBufSize));
    FPollWindow = new QTimer(this);
    connect(FPollWindow, &QTimer::timeout, this, [this] { Guarded([this] { PollTimerProc(); }); });
}

TSerialDriver::~TSerialDriver() {
    Disconnect();
}

std::string TSerialDriver::PortName() const {
    return "COM" + std::to_string(FComPort + 1);
}

// ---- properties

void TSerialDriver::SetComPort(TComPortNumber value) {
    if (!Connected())
        FComPort = value;
}

void TSerialDriver::SettingChanged() {
    if (Connected())
        ApplySettings();
}

void TSerialDriver::SetComPortSpeed(TComPortBaudRate value) {
    FLine.Speed = value;
    SettingChanged();
}

void TSerialDriver::SetComPortDataBits(TComPortDataBits value) {
    FLine.DataBits = value;
    SettingChanged();
}

void TSerialDriver::SetComPortStopBits(TComPortStopBits value) {
    FLine.StopBits = value;
    SettingChanged();
}

void TSerialDriver::SetComPortParity(TComPortParity value) {
    FLine.Parity = value;
    SettingChanged();
}

void TSerialDriver::SetComPortHwHandshaking(TComPortHwHandshaking value) {
    FLine.HwHandshaking = value;
    SettingChanged();
}

void TSerialDriver::SetComPortSwHandshaking(TComPortSwHandshaking value) {
    FLine.SwHandshaking = value;
    SettingChanged();
}

void TSerialDriver::ResizeReceiveBuffer() {
    std::vector<std::uint8_t> fresh(static_cast<std::size_t>(FComPortInBufSize));
    // Input gathered for a packet keeps its place at the front.
    FGathered = std::min(FGathered, static_cast<std::uint32_t>(fresh.size()));
    std::memcpy(fresh.data(), FReceiveBuffer.data() + FGatherStart, FGathered);
    FGatherStart = 0;
    FReceiveBuffer.swap(fresh);
}

void TSerialDriver::SetComPortInBufSize(std::int16_t value) {
    if (Connected() || value < 1)
        return;
    FComPortInBufSize = value;
    ResizeReceiveBuffer();
    SetPacketSize(FPacketSize);
}

void TSerialDriver::SetComPortOutBufSize(std::int16_t value) {
    if (Connected() || value < 1)
        return;
    FComPortOutBufSize = value;
}

void TSerialDriver::SetPacketSize(std::int16_t value) {
    if (value < 1)
        value = -1;
    value = std::min(value, kMaxPacketSize);
    if (value > FComPortInBufSize) {
        // Accepted also while connected: the port learns the larger size at the next
        // programming, the buffer follows at once.
        FComPortInBufSize = static_cast<std::int16_t>(value * 2);
        ResizeReceiveBuffer();
    }
    FPacketSize = value;
}

void TSerialDriver::SetPacketTimeout(std::int32_t value) {
    if (value < 1)
        value = -1;
    else if (value < FComPortPollingDelay)
        value = FComPortPollingDelay + 150;
    FPacketTimeout = value;
}

void TSerialDriver::SetComPortPollingDelay(std::uint16_t value) {
    if (value == FComPortPollingDelay)
        return;
    FComPortPollingDelay = value;
    if (Connected()) {
        FPollWindow->stop();
        StartPollTimer();
    }
    SetPacketTimeout(FPacketTimeout);
}

void TSerialDriver::StartPollTimer() {
    FPollWindow->start(std::max<int>(FComPortPollingDelay, kMinimumTimerPeriod));
}

// ---- port cycle

bool TSerialDriver::Connect() {
    if (Connected())
        return true;
    Fail(0, {});
    const std::string name = PortName();
    const std::string path = DevicePath(name);
    // Never O_CREAT: a missing device must not become a file.
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        Fail(err, path + ": " + std::strerror(err));
        ReportOpenFailure(name, path, err);
        return false;
    }
    auto saved = std::make_unique<termios>();
    bool holdSet = false;
    if (int err = PreparePort(fd, *saved, holdSet)) {
        if (holdSet)
            ioctl(fd, TIOCNXCL);
        ::close(fd);
        Fail(err, path + ": " + std::strerror(err));
        ReportOpenFailure(name, path, err);
        return false;
    }
    FHandle = fd;
    FHoldSet = holdSet;
    FSavedTermios = std::move(saved);
    FDevicePath = path;
    FConnectTick = GetTickCount();
    FOutputAbandoned = false;
    FDeviceLost = false;
    FPacketBeginTick = NoTick;
    FGathered = 0;
    FGatherStart = 0;
    int bits = 0;
    FHasModemLines = ioctl(fd, TIOCMGET, &bits) == 0 || !NoModemLines(errno);
    // Reads never block and every write waits at most 1 ms for room (see SendData).
    // The output queue of a port just opened holds only what an earlier cycle handed over
    // (on a pseudo-terminal: bytes the other end has not read yet), so it is kept.
    ProgramPort(false);
    StartPollTimer();
    Trace("open, " + DescribeLineSettings(LineSettings()));
    return true;
}

void TSerialDriver::DrainBeforeClose() {
    // close() would wait up to 30 s for unsent output; wait here only while it moves.
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    std::uint32_t last = 0xFFFFFFFFu;
    for (;;) {
        int queued = 0;
        if (ioctl(FHandle, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return;
        auto q = static_cast<std::uint32_t>(queued);
        if (q < last) {
            last = q;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress > std::chrono::milliseconds(FOutputTimeout)) {
            tcflush(FHandle, TCOFLUSH);
            FOutputAbandoned = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TSerialDriver::Disconnect() {
    if (!Connected())
        return;
    FPollWindow->stop();
    if (!FDeviceLost) {
        if (FOutputAbandoned)
            tcflush(FHandle, TCOFLUSH);
        else
            DrainBeforeClose();
        if (FHoldSet)
            ioctl(FHandle, TIOCNXCL);
        if (FSavedTermios)
            tcsetattr(FHandle, TCSANOW, FSavedTermios.get());
    }
    ::close(FHandle);
    FHandle = -1;
    FHoldSet = false;
    FSavedTermios.reset();
    FGathered = 0;
    FGatherStart = 0;
    Trace("close after " + std::to_string(TicksSince(FConnectTick, GetTickCount())) + " ms" +
          (FDeviceLost        ? ", device gone"
           : FOutputAbandoned ? ", unsent output dropped"
                              : ""));
}

void TSerialDriver::ApplySettings() {
    if (Connected())
        ProgramPort(true);
}

void TSerialDriver::ProgramPort(bool purgeOutput) {
    const TComPortLineSettings settings = LineSettings();
    ApplyTermios(FHandle, BuildTermios(settings));
    SetModemLines(BuildModemLines(settings));
    PurgeBuffers(true, purgeOutput);
    // The kernel sizes its own queues and flow-control thresholds; the sizes stay remembered
    // in ComPortInBufSize / ComPortOutBufSize.
}

void TSerialDriver::SetModemLines(const TModemLineChange& lines) {
    if (!FHasModemLines) {
        // Once per device: the window opens the port for every command string.
        if (FNoModemLinesSaid != FDevicePath) {
            FNoModemLinesSaid = FDevicePath;
            Report("no modem lines (DTR and RTS are not set, the line-status check is "
                   "skipped)");
        }
        return;
    }
    const char* failed = nullptr;
    if (lines.Set && ioctl(FHandle, TIOCMBIS, &lines.Set) != 0)
        failed = "raise";
    else if (lines.Clear && ioctl(FHandle, TIOCMBIC, &lines.Clear) != 0)
        failed = "drop";
    if (failed) {
        const int err = errno;
        const std::string what =
            std::string("cannot ") + failed + " DTR/RTS: " + std::strerror(err);
        Report(what);
        Fail(err, what);
        NoteFailure(err);
    }
}

void TSerialDriver::PurgeBuffers(bool InBuffer, bool OutBuffer) {
    if (!Connected())
        return;
    if (InBuffer && OutBuffer)
        tcflush(FHandle, TCIOFLUSH);
    else if (InBuffer)
        tcflush(FHandle, TCIFLUSH);
    else if (OutBuffer)
        tcflush(FHandle, TCOFLUSH);
    if (InBuffer) {
        FGathered = 0;
        FGatherStart = 0;
    }
    FPacketBeginTick = NoTick;
}

void TSerialDriver::Report(const std::string& what) const {
    std::fprintf(stderr, "vemix: %s (%s): %s\n", PortName().c_str(), FDevicePath.c_str(),
                 what.c_str());
}

void TSerialDriver::Trace(const std::string& what) const {
    if (TraceEnabled())
        Report(what);
}

void TSerialDriver::Fail(int err, std::string text) {
    FLastError = err;
    FLastErrorText = std::move(text);
}

void TSerialDriver::NoteFailure(int err) {
    if (!DeviceGone(err) || FDeviceLost)
        return;
    FDeviceLost = true;
    FPollWindow->stop();
    const std::string what = std::string("the device went away (") + std::strerror(err) +
                             "): the other end closed or the adapter was unplugged";
    Fail(err, what);
    Report(what);
}

bool TSerialDriver::QueueCount(unsigned long request, std::uint32_t& count) {
    int value = 0;
    if (ioctl(FHandle, request, &value) != 0) {
        NoteFailure(errno);
        return false;
    }
    count = value > 0 ? static_cast<std::uint32_t>(value) : 0;
    return true;
}

std::uint16_t TSerialDriver::OutputFreeSpace() {
    if (!Connected())
        return 0xFFFF;
    std::uint32_t queued = 0;
    if (!QueueCount(TIOCOUTQ, queued) && FDeviceLost)
        return 0;
    // A queue beyond the remembered size means no room, not a wrapped 16-bit count.
    if (queued >= static_cast<std::uint32_t>(FComPortOutBufSize))
        return 0;
    return static_cast<std::uint16_t>(FComPortOutBufSize - static_cast<std::int32_t>(queued));
}

TComPortLineStatusSet TSerialDriver::ReadLineStatus() {
    if (!Connected())
        return {};
    int bits = 0;
    if (ioctl(FHandle, TIOCMGET, &bits) != 0) {
        NoteFailure(errno);
        return {};
    }
    return LineStatusFromModemBits(bits);
}

void TSerialDriver::WaitWritable() {
    pollfd p{FHandle, POLLOUT, 0};
    poll(&p, 1, 1);
}

std::uint32_t TSerialDriver::SendData(const void* DataPtr, std::uint32_t DataSize,
                                      std::uint32_t Timeout) {
    std::uint32_t written = 0;
    if (!Connected()) {
        Fail(EBADF, "the port is not open");
        return 0;
    }
    Fail(0, {});
    const auto* data = static_cast<const std::uint8_t*>(DataPtr);
    std::uint32_t left = DataSize;
    const std::uint32_t start = GetTickCount();
    std::uint32_t lastProgress = start;
    while (left > 0 && !FDeviceLost) {
        const std::uint16_t room = OutputFreeSpace();
        if (FDeviceLost)
            break;
        if (room > 0) {
            // Without modem lines there is nothing to check: the send goes ahead.
            if (FCheckLineStatus && FHasModemLines && ReadLineStatus().Empty()) {
                if (!FDeviceLost)
                    Fail(ECOMM, "the line status shows no device (CTS, DSR, RING and RLSD off)");
                break;
            }
            // Wait for room at most 1 ms, so that a stalled line blocks instead of spinning.
            WaitWritable();
            const ssize_t n = ::write(FHandle, data + written, std::min<std::uint32_t>(left, room));
            if (n > 0) {
                written += static_cast<std::uint32_t>(n);
                left -= static_cast<std::uint32_t>(n);
                lastProgress = GetTickCount();
                continue;
            }
            if (n < 0)
                NoteFailure(errno);
        } else {
            WaitWritable();
        }
        if (TicksSince(lastProgress, GetTickCount()) > Timeout) {
            Fail(ETIMEDOUT, "the device took no bytes for " + std::to_string(Timeout) + " ms");
            break;
        }
    }
    if (written < DataSize) {
        FOutputAbandoned = true;
        if (FLastError == 0 && FDeviceLost)
            Fail(EIO, "the device went away");
    }
    if (TraceEnabled()) {
        // Command strings are short; a bulk transfer is logged by its first bytes only.
        std::string bytes(static_cast<const char*>(DataPtr), std::min(DataSize, kTraceBytes));
        bytes = FormatHex(bytes) + (DataSize > kTraceBytes ? " ..." : "");
        Trace("wrote " + std::to_string(written) + " of " + std::to_string(DataSize) +
              " bytes in " + std::to_string(TicksSince(start, GetTickCount())) + " ms" +
              (FDeviceLost ? ", device gone" : "") + ": " + bytes);
    }
    return written;
}

std::uint32_t TSerialDriver::SendData(const void* DataPtr, std::uint32_t DataSize) {
    return SendData(DataPtr, DataSize, FOutputTimeout);
}

bool TSerialDriver::SendString(const std::string& S) {
    const auto size = static_cast<std::uint32_t>(S.size());
    if (size != S.size()) {
        Fail(EFBIG, "more bytes than one send can count");
        return false;
    }
    return SendData(S.data(), size) == size;
}

// ---- reception

std::int32_t TSerialDriver::ReadInto(std::uint32_t offset, std::uint32_t count) {
    const auto size = static_cast<std::uint32_t>(FReceiveBuffer.size());
    count = offset < size ? std::min(count, size - offset) : 0;
    if (count == 0)
        return 0;
    const ssize_t n = ::read(FHandle, FReceiveBuffer.data() + offset, count);
    if (n < 0) {
        NoteFailure(errno);
        return -1;
    }
    return static_cast<std::int32_t>(n);
}

void TSerialDriver::CompactGathered() {
    if (FGatherStart > 0 && FGathered > 0)
        std::memmove(FReceiveBuffer.data(), FReceiveBuffer.data() + FGatherStart, FGathered);
    FGatherStart = 0;
}

void TSerialDriver::GatherInput(std::uint32_t count) {
    CompactGathered();
    const std::int32_t n = ReadInto(FGathered, count);
    if (n > 0)
        FGathered += static_cast<std::uint32_t>(n);
}

// The next `count` bytes of input, gathered ones first, then read from the port; `taken` may
// come out smaller when the port had fewer. Valid until the next call.
const std::uint8_t* TSerialDriver::TakeInput(std::uint32_t count, std::uint32_t& taken) {
    if (FGathered >= count) {
        const std::uint8_t* front = FReceiveBuffer.data() + FGatherStart;
        FGatherStart += count;
        FGathered -= count;
        if (FGathered == 0)
            FGatherStart = 0;
        taken = count;
        return front;
    }
    GatherInput(count - FGathered);
    taken = FGathered;
    FGathered = 0;
    return FReceiveBuffer.data();
}

void TSerialDriver::PollTimerProc() {
    if (!Connected() || FDeviceLost || FPolling)
        return;
    FPolling = true;
    struct Done {
        bool& polling;
        ~Done() { polling = false; }
    } done{FPolling};
    std::uint32_t inQueue = 0;
    if (!QueueCount(FIONREAD, inQueue))
        return; // a hang-up is noticed here
    if (FPacketSize <= 0)
        PollStream(inQueue);
    else
        PollPackets(inQueue);
}

void TSerialDriver::PollStream(std::uint32_t inQueue) {
    // The bytes leave the port also when nobody listens; input gathered for a packet before
    // the switch to stream mode goes first.
    if (inQueue == 0 && FGathered == 0)
        return;
    std::uint32_t n = 0;
    const std::uint8_t* data = TakeInput(FGathered + inQueue, n);
    if (n > 0 && FOnReceiveData)
        FOnReceiveData(this, data, n);
}

// Start-tick bookkeeping after a complete packet, done before its handler runs.
void TSerialDriver::PacketTaken(std::uint32_t size, std::uint32_t stillWaiting, std::uint32_t now) {
    if (stillWaiting == 0) {
        FPacketBeginTick = NoTick;
    } else if (FPacketBeginTick == NoTick) {
        // The rest came with complete packets between two ticks: its wait starts now.
        FPacketBeginTick = now;
    } else {
        // The next packet began about one transfer time later; bytes from a source faster
        // than the line speed (a pseudo-terminal) began no later than now.
        const std::uint32_t step = PacketTransferTime(FLine.Speed, static_cast<std::int32_t>(size));
        FPacketBeginTick = step < TicksSince(FPacketBeginTick, now) ? FPacketBeginTick + step : now;
    }
}

void TSerialDriver::PollPackets(std::uint32_t inQueue) {
    const std::uint32_t now = GetTickCount();
    std::uint32_t waiting = FGathered + inQueue;
    if (waiting >= static_cast<std::uint32_t>(FPacketSize)) {
        do {
            const auto size = static_cast<std::uint32_t>(FPacketSize);
            std::uint32_t n = 0;
            const std::uint8_t* packet = TakeInput(size, n);
            waiting -= size;
            PacketTaken(size, waiting, now);
            if (n > 0 && FOnReceivePacket)
                FOnReceivePacket(this, packet, n);
            if (!Connected())
                return; // the handler closed the port
        } while (FPacketSize > 0 && waiting >= static_cast<std::uint32_t>(FPacketSize));
        return;
    }
    // The start tick never lies after now, so the difference cannot wrap.
    if (FPacketTimeout > 0 && FPacketBeginTick != NoTick &&
        TicksSince(FPacketBeginTick, now) > static_cast<std::uint32_t>(FPacketTimeout)) {
        // Reset first: whatever the handler does, the next bytes start a packet of their own.
        FPacketBeginTick = NoTick;
        std::uint32_t n = 0;
        const std::uint8_t* packet = TakeInput(waiting, n);
        if (n > 0 && FPacketMode == pmPass && FOnReceivePacket)
            FOnReceivePacket(this, packet, n);
        return;
    }
    if (waiting > 0 && FPacketBeginTick == NoTick)
        FPacketBeginTick = now;
    // The kernel's line buffer cannot hold the whole packet: keep what came.
    if (FPacketSize > kLineBufferHolds && inQueue > 0)
        GatherInput(inQueue);
}

// ---- unit-level functions

std::string GetPlatformTag() {
    OsVersionInfo info;
    if (!QueryOsVersion(info))
        return "??";
    switch (info.platformId) {
    case 0:
        return "W32S";
    case 1:
        return "W95";
    case 2:
        return "WNT";
    default:
        return "";
    }
}

std::uint32_t GetOSVersion() {
    OsVersionInfo info;
    if (!QueryOsVersion(info))
        return 0;
    return ((info.major & 0xFFFFu) << 16) | (info.minor & 0xFFFFu);
}

std::uint32_t PacketTransferTime(TComPortBaudRate Speed, std::int32_t Size) {
    const std::uint32_t bps = BaudRateToValue(Speed);
    if (bps == 0 || Size <= 0)
        return 0;
    // 10 bit times per byte; nearbyint rounds halves to the even neighbour.
    const double ms = Size / (bps / 10.0) * 1000.0;
    return static_cast<std::uint32_t>(std::nearbyint(ms));
}

std::uint16_t XonXoffLimit(std::int16_t inBufSize, const std::string& platformTag,
                           std::uint32_t osVersion) {
    int limit = std::max<int>(inBufSize, 0) / 4;
    if (platformTag == "WNT" && (osVersion >> 16) >= 4)
        limit = std::min(limit, 4096);
    return static_cast<std::uint16_t>(limit);
}
