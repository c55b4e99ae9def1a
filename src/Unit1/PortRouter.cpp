// The port router: every command string is one open-write-close cycle of the chosen port.
#include "Unit1/Form1.h"

#include "Platform/Devices.h"
#include "Platform/Events.h"
#include "Platform/Messages.h"
#include "Platform/Strings.h"
#include "Platform/TextFile.h"

#include <QElapsedTimer>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QStringList RouterPorts{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2"};
const QStringList ParallelPorts{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "LPT3"};

void NameOutsideList(const QString& what, const QString& port) {
    ShowError(what + port + "\n\r" + QStringLiteral(" (列印可能會異常)！"));
    ProcessMessages();
}

void TraceLpt(const std::string& device, const std::string& path, const std::string& data,
              std::size_t written, qint64 ms) {
    if (TraceEnabled())
        std::fprintf(stderr, "vemix: %s (%s) [%s] %zu of %zu bytes, %lld ms\n", device.c_str(),
                     path.c_str(), HexBytes(data).c_str(), written, data.size(),
                     static_cast<long long>(ms));
}

} // namespace

void TForm1::SendToPort(const std::string& data) {
    int index = IndexOfText(RouterPorts, FPortName);
    if (index >= 0 && index <= 3)
        SendToCom(data);
    else if (index == 4 || index == 5)
        SendToLpt(data);
    else
        NameOutsideList(QStringLiteral("無法判斷發票機 PORT "), FPortName);
}

void TForm1::SendToCom(const std::string& data) {
    int index = IndexOfText(RouterPorts, FPortName);
    if (index >= 0 && index <= 3)
        SerialDriver1->SetComPort(static_cast<TComPortNumber>(pnCOM1 + index));
    else
        NameOutsideList(QStringLiteral("無法判斷發票機 COM PORT "), FPortName);

    // Each step is tried whatever the one before it did.
    bool opened = false;
    try {
        opened = SerialDriver1->Connect();
    } catch (...) {
    }
    if (!opened)
        ShowError(FPortName + QStringLiteral(" PORT 開啟失敗！"));

    bool sent = false;
    try {
        sent = SerialDriver1->SendString(data);
    } catch (...) {
    }
    if (!sent)
        ShowError(QStringLiteral("RS232 元件,傳送命令異常！"));

    try {
        SerialDriver1->Disconnect();
    } catch (...) {
        ShowError(FPortName + QStringLiteral(" PORT 關閉失敗！"));
    }
}

void TForm1::SendToLpt(const std::string& data) {
    int index = IndexOfText(ParallelPorts, FPortName);
    if (index < 4) {
        NameOutsideList(QStringLiteral("無法判斷發票機 LPT PORT "), FPortName);
        return;
    }
    const std::string device = "LPT" + std::to_string(index - 3);
    const std::string path = DevicePath(device);
    QElapsedTimer clock;
    clock.start();

    TTextFile file(path, LptTimeoutMs);
    if (file.Rewrite() != 0) {
        ReportOpenFailure(device, path, file.SystemError());
        ShowError(FPortName + QStringLiteral(" ReWrite(F) 失敗！"));
    }
    if (file.Write(data) != 0)
        ShowError(QStringLiteral("LPT 元件,傳送命令異常！"));
    TraceLpt(device, path, data, file.Written(), clock.elapsed());
    // Closing a device that never opened raises the I/O error that ends the whole action.
    file.CloseFile();
}

void TForm1::Button7Click() {
    const std::string path = DevicePath("LPT1");
    int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // No sharing: someone else holds the port.
        ::close(fd);
        fd = -1;
        errno = EBUSY;
    }
    if (fd < 0) {
        ReportOpenFailure("LPT1", path, errno);
        ShowMessage(QStringLiteral("CreateFile error"));
        return;
    }
    static const char line[] = "1234567890\r\n";
    [[maybe_unused]] ssize_t n = ::write(fd, line, sizeof line - 1);
    ::close(fd);
}
