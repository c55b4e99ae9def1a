// The port router: every command string is one open-write-close cycle of the chosen port,
// through the port layer; the window's own messages are said here.
#include "Unit1/Form1.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Events.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"
#include "Unit1/PortSettingsDialog.h"

#include <cstdio>

namespace {

const QStringList SerialPorts{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2"};
const QStringList ParallelPorts{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "LPT3"};

void NameOutsideList(const QString& what, const QString& port) {
    ShowError(what + port + "\n\r" + QStringLiteral(" (列印可能會異常)！"));
    ProcessMessages();
}

void Trace(const TPort& port) {
    if (TraceEnabled())
        std::fprintf(stderr, "vemix: %s\n", port.TraceLine().c_str());
}

} // namespace

void TForm1::PortError(const QString& text) {
    // Once the window is closing its job ends; what a cut-short wait left undone is no fault.
    if (!Closing())
        ShowError(text);
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
    const int index = IndexOfText(SerialPorts, FPortName);
    TSerialPort* port = nullptr;
    if (index >= 0 && index <= 3) {
        port = &FPorts->Serial(index + 1);
    } else {
        NameOutsideList(QStringLiteral("無法判斷發票機 COM PORT "), FPortName);
        port = &FPorts->DriverPort();
    }

    // Each step is tried whatever the one before it did.
    bool opened = false;
    try {
        opened = port->Open();
    } catch (...) {
    }
    if (!opened)
        PortError(FPortName + QStringLiteral(" PORT 開啟失敗！"));

    bool sent = false;
    try {
        sent = port->Write(data);
    } catch (...) {
    }
    if (!sent)
        PortError(QStringLiteral("RS232 元件,傳送命令異常！"));
    Trace(*port);

    try {
        port->Close();
    } catch (...) {
        PortError(FPortName + QStringLiteral(" PORT 關閉失敗！"));
    }
}

void TForm1::SendToLpt(const std::string& data) {
    TPortCycle cycle(*this);
    const int index = IndexOfText(ParallelPorts, FPortName);
    if (index < 4) {
        NameOutsideList(QStringLiteral("無法判斷發票機 LPT PORT "), FPortName);
        return;
    }
    TParallelPort& port = FPorts->Parallel(index - 3);
    port.SetBound(LptTimeoutMs);
    if (!port.Open())
        PortError(FPortName + QStringLiteral(" ReWrite(F) 失敗！"));
    if (!port.Write(data))
        PortError(QStringLiteral("LPT 元件,傳送命令異常！"));
    Trace(port);
    // Closing a device that never opened raises the I/O error that ends the whole action.
    port.Close();
}

void TForm1::SendToNet(const std::string& data) {
    TPortCycle cycle(*this);
    TNetPort& port = FPorts->Net();
    // As on a serial port: an open that failed is followed by a send that fails too.
    if (!port.Open())
        PortError(FPortName + QStringLiteral(" PORT 開啟失敗！"));
    if (!port.Write(data))
        PortError(FPortName + QStringLiteral(" 元件,傳送命令異常！"));
    Trace(port);
    port.Close();
}

void TForm1::Button_PortSettingsClick() {
    TPortSettingsDialog dialog(*FPorts, this);
    dialog.exec();
}

void TForm1::Button7Click() {
    TJob job(*this);
    TPortCycle cycle(*this);
    static const std::string line = "1234567890\r\n";
    if (!FPorts->Parallel(1).WriteOnce(line))
        ShowMessage(QStringLiteral("CreateFile error"));
}
