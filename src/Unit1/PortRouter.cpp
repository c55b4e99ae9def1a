// The port router: every command string is one open-write-close cycle of the chosen port,
// through the port layer; the window's own messages are said here.
#include "Unit1/PortRouter.h"

#include "Unit1/Form1.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Events.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"
#include "Unit1/PortSettingsDialog.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// The lists the two paths look a port name up in hold both kinds of name: the serial path
// takes COM1 to COM4 of the window's names, the parallel path LPT1 to LPT3 of the longer list.
const QStringList WindowPortNames{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2"};
const QStringList PortNamesToLpt3{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "LPT3"};
constexpr int LastCom = 3, FirstLpt = 4;

void NameOutsideList(const QString& what, const QString& port) {
    ShowError(what + port + "\n\r" + QStringLiteral(" (列印可能會異常)！"));
    ProcessMessages();
}

void Trace(const TPort& port) {
    if (TraceEnabled())
        std::fprintf(stderr, "vemix: %s\n", port.TraceLine().c_str());
}

// Why the port's last step failed, as standard error says it: "COM1 (/dev/ttyS0): No such
// file or directory", with the hint for a port that did not open.
QString FailureDetails(const TPort& port, bool opening) {
    const TPortFailure& failure = port.Failure();
    std::string reason = failure.Text;
    if (reason.empty())
        reason = failure.Code ? std::strerror(failure.Code) : "failed";
    if (opening) {
        const std::string hint = OpenFailureHint(port.Name(), port.Device(), failure.Code);
        if (!hint.empty())
            reason += "; " + hint;
    }
    return QString::fromStdString(port.Name() + " (" + port.Device() + "): " + reason);
}

// The details of a step after the open: a port that never opened failed for that reason.
QString WriteDetails(const TPort& port, bool opened, const QString& openDetails) {
    return opened ? FailureDetails(port, false) : openDetails;
}

} // namespace

void TPortRouter::Send(const std::string& bytes) {
    FForm.SendToPort(bytes);
}

void TForm1::PortError(const QString& text, const QString& details) {
    // Once the window is closing its job ends; what a cut-short wait left undone is no fault.
    if (!Closing())
        ShowError(text, details);
}

void TForm1::SendToPort(const std::string& data) {
    // Nothing goes out after the window was asked to close.
    if (Closing())
        return;
    TPort* port = FPorts->Find(FPortName);
    if (!port) {
        NameOutsideList(QStringLiteral("無法判斷發票機 PORT "), FPortName);
        return;
    }
    switch (port->Kind()) {
    case pkSerial:
        SendToCom(data);
        break;
    case pkParallel:
        SendToLpt(data);
        break;
    case pkNetwork:
        SendToNet(data);
        break;
    }
}

void TForm1::SendToCom(const std::string& data) {
    TPortCycle cycle(*this);
    const int index = IndexOfText(WindowPortNames, FPortName);
    TSerialPort* port = nullptr;
    if (index >= 0 && index <= LastCom) {
        port = &FPorts->Serial(index + 1);
    } else {
        NameOutsideList(QStringLiteral("無法判斷發票機 COM PORT "), FPortName);
        port = &FPorts->DriverPort();
    }
    // The console may hold another serial port open on the same driver.
    FPorts->Claim(*port);

    // Each step is tried whatever the one before it did.
    bool opened = false;
    try {
        opened = port->Open();
    } catch (...) {
    }
    const QString openDetails = opened ? QString() : FailureDetails(*port, true);
    if (!opened)
        PortError(FPortName + QStringLiteral(" PORT 開啟失敗！"), openDetails);

    bool sent = false;
    try {
        sent = port->Write(data);
    } catch (...) {
    }
    if (!sent)
        PortError(QStringLiteral("RS232 元件,傳送命令異常！"),
                  WriteDetails(*port, opened, openDetails));
    Trace(*port);

    try {
        port->Close();
    } catch (const std::exception& e) {
        PortError(FPortName + QStringLiteral(" PORT 關閉失敗！"),
                  QString::fromStdString(port->Name() + " (" + port->Device() + "): ") +
                      QString::fromUtf8(e.what()));
    } catch (...) {
        PortError(FPortName + QStringLiteral(" PORT 關閉失敗！"));
    }
}

void TForm1::SendToLpt(const std::string& data) {
    TPortCycle cycle(*this);
    const int index = IndexOfText(PortNamesToLpt3, FPortName);
    if (index < FirstLpt) {
        NameOutsideList(QStringLiteral("無法判斷發票機 LPT PORT "), FPortName);
        return;
    }
    TParallelPort& port = FPorts->Parallel(index - FirstLpt + 1);
    port.SetBound(LptTimeoutMs);
    const bool opened = port.Open();
    const QString openDetails = opened ? QString() : FailureDetails(port, true);
    if (!opened)
        PortError(FPortName + QStringLiteral(" ReWrite(F) 失敗！"), openDetails);
    if (!port.Write(data))
        PortError(QStringLiteral("LPT 元件,傳送命令異常！"),
                  WriteDetails(port, opened, openDetails));
    Trace(port);
    // A window closed while a box was up ends the job here, without the error report.
    if (!opened && Closing())
        return;
    // Closing a device that never opened raises the I/O error that ends the whole action.
    port.Close();
}

void TForm1::SendToNet(const std::string& data) {
    TPortCycle cycle(*this);
    TNetPort& port = FPorts->Net();
    // As on a serial port: an open that failed is followed by a send that fails too.
    const bool opened = port.Open();
    const QString openDetails = opened ? QString() : FailureDetails(port, true);
    if (!opened)
        PortError(FPortName + QStringLiteral(" PORT 開啟失敗！"), openDetails);
    if (!port.Write(data))
        PortError(FPortName + QStringLiteral(" 元件,傳送命令異常！"),
                  WriteDetails(port, opened, openDetails));
    Trace(port);
    port.Close();
}

void TForm1::Button_PortSettingsClick() {
    // The dialog's test opens the devices itself.
    FPorts->LetGoHeld();
    TPortSettingsDialog dialog(*FPorts, this);
    dialog.exec();
}

void TForm1::Button7Click() {
    TJob job(*this);
    TPortCycle cycle(*this);
    static const std::string line = "1234567890\r\n";
    TParallelPort& port = FPorts->Parallel(1);
    if (!port.WriteOnce(line))
        ShowMessage(QStringLiteral("CreateFile error"), FailureDetails(port, true));
}
