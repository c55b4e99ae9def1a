#include "Ports/PortRegistry.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Strings.h"

TPortRegistry::TPortRegistry(TSerialDriver& driver, const TWaitCancel* cancel) {
    for (int i = 0; i < 4; ++i)
        FSerial[static_cast<std::size_t>(i)] = std::make_unique<TSerialPort>(
            "COM" + std::to_string(i + 1), driver, static_cast<TComPortNumber>(pnCOM1 + i));
    FDriverPort = std::make_unique<TSerialPort>("COM", driver, std::nullopt);
    for (int i = 0; i < 3; ++i)
        FParallel[static_cast<std::size_t>(i)] =
            std::make_unique<TParallelPort>("LPT" + std::to_string(i + 1));
    FNet = std::make_unique<TNetPort>();
    for (TPort* port : std::initializer_list<TPort*>{FDriverPort.get(), FNet.get()})
        port->SetCancel(cancel);
    for (auto& port : FSerial)
        port->SetCancel(cancel);
    for (auto& port : FParallel)
        port->SetCancel(cancel);
}

const QStringList& TPortRegistry::Names() {
    return TPortSettings::Names();
}

TPort* TPortRegistry::Find(const QString& name) {
    const int index = IndexOfText(Names(), name);
    if (index >= 0 && index <= 3)
        return &Serial(index + 1);
    if (index == 4 || index == 5)
        return &Parallel(index - 3);
    if (index == 6)
        return &Net();
    return nullptr;
}

void TPortRegistry::Apply(const TPortSettings& settings) {
    // A held port may be bound to a device it no longer has.
    LetGoHeld();
    FSettings = settings;
    for (const QString& name : TPortSettings::Names())
        if (name != QLatin1String("NET"))
            SetConfiguredDevice(name.toStdString(), settings.Stored(name));
    FNet->SetAddress(settings.NetAddress());
}

void TPortRegistry::NewJob() {
    for (auto& port : FSerial)
        port->NewJob();
    FDriverPort->NewJob();
    for (auto& port : FParallel)
        port->NewJob();
    FNet->NewJob();
}

void TPortRegistry::Hold(TPort& port, std::function<void()> letGo) {
    if (FHeld && FHeld != &port)
        LetGoHeld();
    FHeld = &port;
    FLetGo = std::move(letGo);
    port.SetHeld(true);
}

void TPortRegistry::Unhold(TPort& port) {
    if (FHeld != &port)
        return;
    FHeld = nullptr;
    FLetGo = nullptr;
    port.SetHeld(false);
}

void TPortRegistry::Claim(TPort& port) {
    if (FHeld && FHeld != &port && FHeld->Kind() == pkSerial && port.Kind() == pkSerial)
        LetGoHeld();
}

void TPortRegistry::LetGoHeld() {
    if (!FHeld)
        return;
    TPort& port = *FHeld;
    // The holder closes the port and says so; whatever it does, the port is let go.
    const std::function<void()> letGo = std::move(FLetGo);
    Unhold(port);
    if (letGo)
        letGo();
    if (port.IsOpen())
        port.Close();
}
