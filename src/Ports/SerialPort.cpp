#include "Ports/SerialPort.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Events.h"
#include "Rtl/Tick.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace {

// A wait for input is woken by the line itself, in steps this long: the driver's own poll timer
// may take the bytes meanwhile, and they are then found at the next step.
constexpr long long kWaitStepMs = 10;
// What a held port keeps of bytes nobody read yet; a printer that floods loses the rest.
constexpr std::size_t kHeldKept = 64 * 1024;

// The driver's receive settings for one read: every byte handed on as it comes; put back after.
class TReceiveHook {
  public:
    TReceiveHook(TSerialDriver& driver, std::string& into)
        : FDriver(driver), FData(driver.OnReceiveData()), FPacket(driver.OnReceivePacket()),
          FSize(driver.PacketSize()), FTimeout(driver.PacketTimeout()), FMode(driver.PacketMode()) {
        FDriver.SetPacketSize(-1);
        FDriver.SetOnReceivePacket(nullptr);
        // One poll reads at most the driver's receive buffer, so this stays small.
        FDriver.SetOnReceiveData(
            [&into](TSerialDriver*, const std::uint8_t* data, std::uint32_t size) {
                into.append(reinterpret_cast<const char*>(data), size);
            });
    }
    ~TReceiveHook() {
        FDriver.SetOnReceiveData(FData);
        FDriver.SetOnReceivePacket(FPacket);
        FDriver.SetPacketSize(FSize);
        FDriver.SetPacketTimeout(FTimeout);
        FDriver.SetPacketMode(FMode);
    }
    TReceiveHook(const TReceiveHook&) = delete;
    TReceiveHook& operator=(const TReceiveHook&) = delete;

  private:
    TSerialDriver& FDriver;
    TComPortReceiveDataEvent FData;
    TComPortReceivePacketEvent FPacket;
    std::int16_t FSize;
    std::int32_t FTimeout;
    TPacketMode FMode;
};

} // namespace

std::string TSerialPort::Device() const {
    const TComPortNumber number = FNumber.value_or(FDriver.ComPort());
    return DevicePath("COM" + std::to_string(number + 1));
}

bool TSerialPort::DoOpen() {
    FReceived.clear();
    if (FNumber)
        FDriver.SetComPort(*FNumber);
    if (FDriver.Connect())
        return true;
    // The driver has said why on standard error; its text leads with the path.
    const int err = FDriver.LastError();
    Fail(err ? err : EIO, err ? std::strerror(err) : "the serial driver did not open the port");
    return false;
}

bool TSerialPort::DoWrite(const std::string& bytes, int, std::size_t& written, bool) {
    // The driver keeps its own output time-out (OutputTimeout); an empty string always
    // succeeds, connected or not.
    if (FDriver.SendString(bytes)) {
        written = bytes.size();
        return true;
    }
    // How much went out is in the driver's own trace.
    if (FDriver.DeviceLost())
        Fail(EIO, "the device went away");
    else if (FDriver.LastError() != 0)
        Fail(FDriver.LastError(), FDriver.LastErrorText());
    else
        Fail(FDriver.Connected() ? ETIMEDOUT : EBADF,
             FDriver.Connected() ? "output made no progress" : "not open");
    return false;
}

int TSerialPort::Await(long long deadline) {
    TReceiveHook hook(FDriver, FReceived);
    bool wokenEmpty = false;
    for (;;) {
        FDriver.PollTimerProc();
        if (!FReceived.empty())
            return 0;
        if (FDriver.DeviceLost())
            return EIO;
        const long long left = deadline - SteadyMs();
        if (left <= 0)
            return 0;
        // Woken without bytes (a hang-up the driver has not noticed yet stays reported): look
        // again a moment later instead of at once.
        if (wokenEmpty && Pause(1, Cancel()) == weCancelled)
            return ECANCELED;
        const TWaitEnd end = WaitForFd(FDriver.Handle(), POLLIN,
                                       static_cast<int>(std::min(left, kWaitStepMs)), Cancel());
        if (end == weCancelled)
            return ECANCELED;
        wokenEmpty = end == weReady;
    }
}

void TSerialPort::HeldChanged() {
    if (!Held()) {
        FDriver.SetOnReceiveData(nullptr);
        return;
    }
    FDriver.SetOnReceiveData([this](TSerialDriver*, const std::uint8_t* data, std::uint32_t size) {
        const std::size_t room = kHeldKept - std::min(kHeldKept, FReceived.size());
        FReceived.append(reinterpret_cast<const char*>(data), std::min<std::size_t>(room, size));
    });
}

int TSerialPort::Read(std::string& into, std::size_t max, int timeoutMs) {
    if (!FDriver.Connected())
        return EBADF;
    if (FReceived.empty()) {
        if (const int err = Await(SteadyMs() + std::max(0, timeoutMs)); err != 0)
            return err;
    }
    const std::size_t n = std::min(max, FReceived.size());
    into.append(FReceived, 0, n);
    FReceived.erase(0, n);
    return 0;
}

void TSerialPort::DoClose() {
    FReceived.clear();
    FDriver.Disconnect();
}
