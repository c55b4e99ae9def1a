#pragma once
// The printer devices present on this machine, for choosing one in the window.
#include <string>
#include <vector>

struct TFoundDevice {
    std::string Path;  // what the port opens
    std::string Label; // what the operator reads
};

// Serial devices: the stable names under /dev/serial/by-id (with their readable names), then
// /dev/ttyUSB*, /dev/ttyACM*, /dev/rfcomm* and the /dev/ttyS* that have a UART behind them;
// a node that a stable name already shows is not listed twice. root prefixes every path
// (tests build a tree of their own).
std::vector<TFoundDevice> FindSerialDevices(const std::string& root = {});
// Printer devices: /dev/usb/lp*, /dev/lp*.
std::vector<TFoundDevice> FindPrinterDevices(const std::string& root = {});

// "usb-FTDI_FT232R_USB_UART_A9A5K3VX-if00-port0" -> "FTDI FT232R USB UART A9A5K3VX".
std::string ReadableSerialName(const std::string& byIdName);
