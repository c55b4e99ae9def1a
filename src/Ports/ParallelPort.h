#pragma once
// A parallel port: LPT1..LPT3 written as a text file (a printer device, a FIFO or a file).
// A file collects every command string at its end, across jobs, as paper does.
#include "DeviceIo/DeviceWriter.h"
#include "Ports/Port.h"

#include <memory>

class TParallelPort : public TPort {
  public:
    // name: "LPT1".."LPT3"; the device is DevicePath(name) at the moment of each open.
    explicit TParallelPort(std::string name) : TPort(std::move(name), pkParallel) {}

    std::string Device() const override;
    bool IsOpen() const override { return FFile && FFile->IsOpen(); }
    // A printer device's driver reports its status lines; nothing is read back from any.
    TAnswerKind Answers() const override;
    int Read(std::string& into, std::size_t max, int timeoutMs) override;

    // The direct device test: opens an existing device without sharing, writes the bytes with
    // one call whose result is not examined, closes. False when the device did not open.
    bool WriteOnce(const std::string& bytes);

  protected:
    bool DoOpen() override;
    bool DoWrite(const std::string& bytes, int boundMs, std::size_t& written,
                 bool answerFollows) override;
    void DoClose() override;

  private:
    std::unique_ptr<TDeviceWriter> FFile;
};

// /dev/lp*, /dev/usb/lp*: the devices whose drivers report the status lines.
bool IsPrinterDevice(const std::string& path);
