#pragma once
// The program's own serial port driver: opens a port by number, programs its line settings,
// writes with a stall time-out and polls the port on a timer to hand on received bytes, as
// they come or cut into packets of a fixed size. Port failures are reported through results;
// the driver never shows a message (what the system says about a port goes to standard error).
//
// Waiting for an answer (for example the one status byte a printer returns to a request):
// - Keep the port open for the whole request: Connect, send, wait, Disconnect. Bytes that come
//   while the port is closed are lost, and Connect drops whatever waits in the input.
// - Purge the input (PurgeBuffers(true, false)) before sending on a port that stayed open, so
//   that an old byte is not taken for the answer.
// - Wait from ordinary code, never from inside OnReceiveData or OnReceivePacket: the poll timer
//   does not fire again while its own handler runs, and PollTimerProc called from a handler
//   does nothing. Install the handler for the request, then either run a local event loop
//   bounded by a single-shot timer (QEventLoop::exec, quit by the handler or by the timer), or
//   call PollTimerProc about every millisecond until the handler saw the answer or the bound
//   passed. Remove the handler afterwards.
// - At the default poll period (50 ms) an answer is handed on at the first tick after it
//   arrived: within one period plus what the event loop takes. Calling PollTimerProc every
//   millisecond hands it on within about a millisecond.
// - DeviceLost() tells that the other end went away while waiting; nothing more will come.
#include "SerialDriver/ComPortTypes.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;
struct termios;
struct TModemLineChange;

class TSerialDriver;
// DataPtr points into the driver's receive buffer and is valid only during the call.
using TComPortReceiveDataEvent =
    std::function<void(TSerialDriver* Sender, const std::uint8_t* DataPtr, std::uint32_t DataSize)>;
using TComPortReceivePacketEvent =
    std::function<void(TSerialDriver* Sender, const std::uint8_t* Packet, std::uint32_t DataSize)>;

class TSerialDriver : public QObject {
    Q_OBJECT
  public:
    explicit TSerialDriver(QObject* owner = nullptr);
    ~TSerialDriver() override;
    TSerialDriver(const TSerialDriver&) = delete;
    TSerialDriver& operator=(const TSerialDriver&) = delete;

    // Ignored while connected.
    TComPortNumber ComPort() const { return FComPort; }
    void SetComPort(TComPortNumber value);
    // The six line settings: stored; while connected the port is reprogrammed at once, which
    // drops whatever waits in both queues.
    TComPortBaudRate ComPortSpeed() const { return FLine.Speed; }
    void SetComPortSpeed(TComPortBaudRate value);
    TComPortDataBits ComPortDataBits() const { return FLine.DataBits; }
    void SetComPortDataBits(TComPortDataBits value);
    TComPortStopBits ComPortStopBits() const { return FLine.StopBits; }
    void SetComPortStopBits(TComPortStopBits value);
    TComPortParity ComPortParity() const { return FLine.Parity; }
    void SetComPortParity(TComPortParity value);
    TComPortHwHandshaking ComPortHwHandshaking() const { return FLine.HwHandshaking; }
    void SetComPortHwHandshaking(TComPortHwHandshaking value);
    TComPortSwHandshaking ComPortSwHandshaking() const { return FLine.SwHandshaking; }
    void SetComPortSwHandshaking(TComPortSwHandshaking value);
    // Queue sizes: ignored while connected; a size below 1 is ignored too.
    std::int16_t ComPortInBufSize() const { return FComPortInBufSize; }
    void SetComPortInBufSize(std::int16_t value);
    std::int16_t ComPortOutBufSize() const { return FComPortOutBufSize; }
    void SetComPortOutBufSize(std::int16_t value);
    // Below 1: -1 (no packets). Above the input size: the input size becomes twice the value.
    // Above 16383 (twice no longer fits the input size): 16383. Every packet is handed on
    // whole, also one larger than the kernel's line buffer holds (4095 bytes): the driver then
    // gathers it from several reads.
    std::int16_t PacketSize() const { return FPacketSize; }
    void SetPacketSize(std::int16_t value);
    // Below 1: -1 (no time-out); below ComPortPollingDelay: ComPortPollingDelay + 150.
    std::int32_t PacketTimeout() const { return FPacketTimeout; }
    void SetPacketTimeout(std::int32_t value);
    TPacketMode PacketMode() const { return FPacketMode; }
    void SetPacketMode(TPacketMode value) { FPacketMode = value; }
    std::uint16_t ComPortPollingDelay() const { return FComPortPollingDelay; }
    void SetComPortPollingDelay(std::uint16_t value);
    bool EnableDTROnOpen() const { return FLine.EnableDTROnOpen; }
    void SetEnableDTROnOpen(bool value) { FLine.EnableDTROnOpen = value; }
    std::uint16_t OutputTimeout() const { return FOutputTimeout; }
    void SetOutputTimeout(std::uint16_t value) { FOutputTimeout = value; }
    std::uint32_t InputTimeout() const { return FInputTimeout; }
    void SetInputTimeout(std::uint32_t value) { FInputTimeout = value; }
    bool CheckLineStatus() const { return FCheckLineStatus; }
    void SetCheckLineStatus(bool value) { FCheckLineStatus = value; }
    const TComPortReceiveDataEvent& OnReceiveData() const { return FOnReceiveData; }
    void SetOnReceiveData(TComPortReceiveDataEvent handler) { FOnReceiveData = std::move(handler); }
    const TComPortReceivePacketEvent& OnReceivePacket() const { return FOnReceivePacket; }
    void SetOnReceivePacket(TComPortReceivePacketEvent handler) {
        FOnReceivePacket = std::move(handler);
    }

    // True when the port is open afterwards (also when it already was). A port that another
    // program holds (a lock, or the exclusive flag, which root would otherwise pass) is busy.
    bool Connect();
    void Disconnect();
    bool Connected() const { return FHandle >= 0; }
    // The open port's descriptor (-1 while disconnected), to wait for input without polling.
    int Handle() const { return FHandle; }
    // True once the open port's device went away (the other end closed, the adapter was
    // unplugged): nothing more is received or sent until the port is opened anew. Noticed at
    // the next poll, send or status read, and said once on standard error. False while
    // disconnected.
    bool DeviceLost() const { return Connected() && FDeviceLost; }
    // False when the open port has no modem lines (a pseudo-terminal): DTR and RTS are not
    // set, ReadLineStatus gives the empty set and CheckLineStatus does not stop a send. Said
    // once per device on standard error. False while disconnected.
    bool HasModemLines() const { return Connected() && FHasModemLines; }
    // Why the last Connect or send failed, or what last went wrong on the open port: an errno
    // code (ETIMEDOUT: the output stalled; ECOMM: the line status showed no device) and a
    // text for people. 0 and "" after a Connect or send that succeeded.
    int LastError() const { return FLastError; }
    const std::string& LastErrorText() const { return FLastErrorText; }

    // Bytes written; ends when all went out or the output made no progress for Timeout ms.
    std::uint32_t SendData(const void* DataPtr, std::uint32_t DataSize, std::uint32_t Timeout);
    std::uint32_t SendData(const void* DataPtr, std::uint32_t DataSize);
    // True when every byte of S was written; nothing is added to the bytes.
    bool SendString(const std::string& S);

    void PurgeBuffers(bool InBuffer, bool OutBuffer);
    // ComPortOutBufSize minus the bytes waiting in the output queue; 0xFFFF while disconnected.
    std::uint16_t OutputFreeSpace();
    TComPortLineStatusSet ReadLineStatus();
    void ApplySettings();

    // One tick of the poll timer: hands on what waits in the input queue. Does nothing when
    // called from inside a receive handler (the handler's bytes would be overwritten).
    void PollTimerProc();

    // The settings the next port programming uses.
    TComPortLineSettings LineSettings() const { return FLine; }
    // Start tick of the incomplete packet now waiting, or 0xFFFFFFFF for none.
    std::uint32_t PacketBeginTick() const { return FPacketBeginTick; }
    static constexpr std::uint32_t NoTick = 0xFFFFFFFFu;

  private:
    std::string PortName() const;
    void SettingChanged();
    void StartPollTimer();
    void ResizeReceiveBuffer();
    bool QueueCount(unsigned long request, std::uint32_t& count);
    std::int32_t ReadInto(std::uint32_t offset, std::uint32_t count);
    void CompactGathered();
    void GatherInput(std::uint32_t count);
    const std::uint8_t* TakeInput(std::uint32_t count, std::uint32_t& taken);
    void NoteFailure(int err);
    void Fail(int err, std::string text);
    void Report(const std::string& what) const;
    // Report, only when tracing.
    void Trace(const std::string& what) const;
    void WaitWritable();
    void DrainBeforeClose();
    void PollStream(std::uint32_t inQueue);
    void PollPackets(std::uint32_t inQueue);
    void PacketTaken(std::uint32_t size, std::uint32_t stillWaiting, std::uint32_t now);
    void ProgramPort(bool purgeOutput);
    void SetModemLines(const TModemLineChange& lines);

    TComPortNumber FComPort = pnCOM2;
    // The six line settings and EnableDTROnOpen.
    TComPortLineSettings FLine;
    std::int16_t FComPortInBufSize = 2048;
    std::int16_t FComPortOutBufSize = 2048;
    std::int16_t FPacketSize = -1;
    std::int32_t FPacketTimeout = -1;
    TPacketMode FPacketMode = pmDiscard;
    std::uint16_t FComPortPollingDelay = 50;
    std::uint16_t FOutputTimeout = 500;
    std::uint32_t FInputTimeout = 200;
    bool FCheckLineStatus = false;
    TComPortReceiveDataEvent FOnReceiveData;
    TComPortReceivePacketEvent FOnReceivePacket;

    int FHandle = -1;
    QTimer* FPollWindow = nullptr;
    std::vector<std::uint8_t> FReceiveBuffer;
    std::uint32_t FPacketBeginTick = NoTick;
    std::unique_ptr<termios> FSavedTermios;
    std::string FDevicePath;
    std::uint32_t FConnectTick = 0;
    // Output was left unsent (time-out or line check): flushed before closing so that
    // closing never waits for the kernel's drain.
    bool FOutputAbandoned = false;
    // The device went away (EIO): nothing more can be written or read.
    bool FDeviceLost = false;
    // This driver set the port's exclusive flag, so it clears it again at close.
    bool FHoldSet = false;
    bool FHasModemLines = true;
    // The device whose missing modem lines were already reported.
    std::string FNoModemLinesSaid;
    int FLastError = 0;
    std::string FLastErrorText;
    // Inside PollTimerProc: a nested call from a handler must not overwrite its bytes.
    bool FPolling = false;
    // Input already taken from the port for a packet larger than the kernel's line buffer:
    // FGathered bytes from FReceiveBuffer[FGatherStart], the oldest waiting input.
    std::uint32_t FGathered = 0;
    std::uint32_t FGatherStart = 0;
};

// Unit-level functions.
std::string GetPlatformTag();
std::uint32_t GetOSVersion();
std::uint32_t PacketTransferTime(TComPortBaudRate Speed, std::int32_t Size);
// XON and XOFF limit for an input size (a quarter), capped at 4096 from "WNT" 4.0 on.
std::uint16_t XonXoffLimit(std::int16_t inBufSize, const std::string& platformTag,
                           std::uint32_t osVersion);
