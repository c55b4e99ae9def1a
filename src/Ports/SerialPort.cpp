#include "Ports/SerialPort.h"

#include "DeviceIo/Devices.h"

#include <cerrno>
#include <cstring>

std::string TSerialPort::Device() const {
    const TComPortNumber number = FNumber.value_or(FDriver.ComPort());
    return DevicePath("COM" + std::to_string(number + 1));
}

bool TSerialPort::DoOpen() {
    if (FNumber)
        FDriver.SetComPort(*FNumber);
    if (FDriver.Connect())
        return true;
    // The driver has said why on standard error; its text leads with the path.
    const int err = FDriver.LastError();
    Fail(err ? err : EIO, err ? std::strerror(err) : "the serial driver did not open the port");
    return false;
}

bool TSerialPort::DoWrite(const std::string& bytes, int, std::size_t& written) {
    // The driver keeps its own output time-out (OutputTimeout); an empty string always
    // succeeds, connected or not.
    if (FDriver.SendString(bytes)) {
        written = bytes.size();
        return true;
    }
    // How much went out is in the driver's own trace.
    if (FDriver.LastError() != 0)
        Fail(FDriver.LastError(), FDriver.LastErrorText());
    else
        Fail(FDriver.Connected() ? ETIMEDOUT : EBADF,
             FDriver.Connected() ? "output made no progress" : "not open");
    return false;
}

void TSerialPort::DoClose() {
    FDriver.Disconnect();
}
