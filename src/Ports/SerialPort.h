#pragma once
// A serial port through the program's serial driver: the driver opens, programs and writes
// the line; this port only chooses the driver's port number for each cycle.
#include "Ports/Port.h"
#include "SerialDriver/SerialDriver.h"

#include <optional>

class TSerialPort : public TPort {
  public:
    // number: the driver's port for this name; none keeps whatever port the driver has.
    TSerialPort(std::string name, TSerialDriver& driver, std::optional<TComPortNumber> number)
        : TPort(std::move(name), pkSerial), FDriver(driver), FNumber(number) {}

    std::string Device() const override;
    bool IsOpen() const override { return FDriver.Connected(); }
    // The driver that carries this port, for requests that read the printer's answers.
    TSerialDriver& Driver() { return FDriver; }

  protected:
    bool DoOpen() override;
    bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written) override;
    void DoClose() override;

  private:
    TSerialDriver& FDriver;
    std::optional<TComPortNumber> FNumber;
};
