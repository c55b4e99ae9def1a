#pragma once
// Stand-in for the serial port driver: holds the port and speed; Connect always fails.
#include <QObject>
#include <cstdint>
#include <string>

enum TComPortNumber : std::uint8_t {
    pnCOM1, pnCOM2, pnCOM3, pnCOM4, pnCOM5, pnCOM6, pnCOM7, pnCOM8,
    pnCOM9, pnCOM10, pnCOM11, pnCOM12, pnCOM13, pnCOM14, pnCOM15, pnCOM16
};
enum TComPortBaudRate : std::uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000,
    br57600, br115200
};
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhNONERTSON, hhRTSCTS };

class TSerialDriver : public QObject {
    Q_OBJECT
public:
    explicit TSerialDriver(QObject* owner = nullptr) : QObject(owner) {}

    TComPortNumber ComPort() const { return FComPort; }
    void SetComPort(TComPortNumber value) { FComPort = value; }
    TComPortBaudRate ComPortSpeed() const { return FComPortSpeed; }
    void SetComPortSpeed(TComPortBaudRate value) { FComPortSpeed = value; }
    TComPortHwHandshaking ComPortHwHandshaking() const { return FHw; }
    void SetComPortHwHandshaking(TComPortHwHandshaking value) { FHw = value; }

    bool Connect() { return false; }
    void Disconnect() {}
    bool Connected() const { return false; }
    bool SendString(const std::string& s) { return s.empty(); }

private:
    TComPortNumber FComPort = pnCOM2;
    TComPortBaudRate FComPortSpeed = br9600;
    TComPortHwHandshaking FHw = hhNONERTSON;
};
