#pragma once
// The ports by name: what the window's port group offers, each with its implementation and
// device. Every command string the window sends goes through one of these.
#include "Ports/NetPort.h"
#include "Ports/ParallelPort.h"
#include "Ports/PortSettings.h"
#include "Ports/SerialPort.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class TWaitCancel;

class TPortRegistry {
  public:
    // The waits of every port end when cancel is cancelled.
    TPortRegistry(TSerialDriver& driver, const TWaitCancel* cancel);

    // The router's names: "COM1".."COM4", "LPT1", "LPT2", "NET".
    static const QStringList& Names();
    // The port of one of those names; nullptr for any other name.
    TPort* Find(const QString& name);

    // COM1..COM4 (n from 1).
    TSerialPort& Serial(int n) { return *FSerial.at(static_cast<std::size_t>(n - 1)); }
    // The driver with whatever port number it already has.
    TSerialPort& DriverPort() { return *FDriverPort; }
    // LPT1..LPT3 (n from 1).
    TParallelPort& Parallel(int n) { return *FParallel.at(static_cast<std::size_t>(n - 1)); }
    TNetPort& Net() { return *FNet; }

    // Uses the devices of these settings from now on.
    void Apply(const TPortSettings& settings);
    const TPortSettings& Settings() const { return FSettings; }

    // A new job begins: ports that timed out in the last one wait for their devices again.
    void NewJob();

    // A command string's cycle runs on some port, the window's or the console's: a timer that
    // would start another waits for its end, and the console reads nothing meanwhile.
    void BeginCycle() { ++FCycles; }
    void EndCycle() { --FCycles; }
    bool CycleRunning() const { return FCycles > 0; }

    // One port at a time may be held open between cycles (the console's); letGo closes it and
    // tells its holder. Cycles on the held port use it as it is (TPort::Held).
    void Hold(TPort& port, std::function<void()> letGo);
    // The holder let go of it itself.
    void Unhold(TPort& port);
    TPort* Held() const { return FHeld; }
    // Before a cycle on port: a held port that is another name for the same device lets go
    // first (the serial ports share one driver), so that no device is ever opened twice.
    void Claim(TPort& port);
    // The held port lets go, whichever it is.
    void LetGoHeld();

  private:
    std::array<std::unique_ptr<TSerialPort>, 4> FSerial;
    std::unique_ptr<TSerialPort> FDriverPort;
    std::array<std::unique_ptr<TParallelPort>, 3> FParallel;
    std::unique_ptr<TNetPort> FNet;
    TPortSettings FSettings;
    int FCycles = 0;
    TPort* FHeld = nullptr;
    std::function<void()> FLetGo;
};
