#pragma once
// A serial port through the program's serial driver: the driver opens, programs and writes
// the line; this port chooses the driver's port number for each cycle and reads answers
// through the driver's receive path.
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
    TAnswerKind Answers() const override { return akStatusBytes; }
    // The driver polls about every millisecond while this waits; its handlers and packet
    // settings are as before afterwards.
    int Read(std::string& into, std::size_t max, int timeoutMs) override;

  protected:
    // While held, what the driver's poll takes between reads is kept for the next read.
    void HeldChanged() override;
    bool DoOpen() override;
    bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written,
                 bool answerFollows) override;
    void DoClose() override;

  private:
    // Polls the driver until bytes came, the device went away or the deadline passed.
    int Await(long long deadline);

    TSerialDriver& FDriver;
    std::optional<TComPortNumber> FNumber;
    // Received bytes beyond what a read took: one poll's worth at most, or while the port is
    // held what came since the last read (at most HeldKept bytes).
    std::string FReceived;
};
