#pragma once
// What a printer says about itself, as plain facts: read from the answers of DLE EOT n, GS a
// and GS r and from the status register of a printer device, and the answers written from
// facts (the virtual printer answers with them). The bits of every answer are named here and
// nowhere else; the words the window shows for the facts are the window's.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The real-time status requests DLE EOT n, in the order they are asked.
enum TStatusRequest : std::uint8_t {
    srPrinter = 1, // printer
    srOffline = 2, // off-line cause
    srError = 3,   // error cause
    srPaper = 4    // roll paper sensor
};
constexpr int StatusRequestCount = 4;

struct TStatusFacts {
    // DLE EOT 1: the printer
    bool DrawerPin3 = false; // the drawer connector's pin 3 is high
    bool Offline = false;
    bool WaitingRecovery = false;
    bool FeedButton = false; // held down
    // DLE EOT 2: why it is off line
    bool CoverOpen = false;
    bool FeedingByButton = false;
    bool StoppedByPaperEnd = false;
    bool ErrorOccurred = false;
    // DLE EOT 3: errors
    bool MechanicalError = false;
    bool AutoCutterError = false;
    bool UnrecoverableError = false;
    bool AutoRecoverableError = false;
    // DLE EOT 4: the roll paper sensor
    bool PaperNearEnd = false;
    bool PaperOut = false;

    bool operator==(const TStatusFacts&) const = default;
};
using TStatusFact = bool TStatusFacts::*;

// The facts the answer to a request carries, in the order of their bits, lowest first.
std::span<const TStatusFact> FactsOfRequest(TStatusRequest request);
// True when the byte's fixed bits are as every answer to DLE EOT n has them.
bool StatusByteRecognised(std::uint8_t answer);
// The one-byte answer to DLE EOT n.
std::uint8_t RealTimeStatusByte(TStatusRequest request, const TStatusFacts& facts);
// Sets the facts that answer carries; false (nothing set) when its fixed bits are wrong.
bool ReadRealTimeStatus(TStatusRequest request, std::uint8_t answer, TStatusFacts& facts);
// Off line, the cover open, stopped at the paper end, an error, or the roll used up: the
// printer cannot print now (near its end it still prints).
bool CannotPrint(const TStatusFacts& facts);

// GS a: the four bytes of the automatic status back.
std::string AutoStatusBlock(const TStatusFacts& facts);
bool ReadAutoStatus(std::string_view block, TStatusFacts& facts);
// The facts the block carries, byte by byte, lowest bit first.
std::span<const TStatusFact> FactsOfAutoStatus();

// GS r 1 (paper sensor) and GS r 2 (drawer).
std::uint8_t PaperSensorByte(const TStatusFacts& facts);
std::uint8_t DrawerSensorByte(const TStatusFacts& facts);
bool ReadPaperSensor(std::uint8_t answer, TStatusFacts& facts);
bool ReadDrawerSensor(std::uint8_t answer, TStatusFacts& facts);
// The facts the paper sensor's or the drawer's answer carries.
std::span<const TStatusFact> FactsOfSensor(bool paper);

// The status lines of a Linux printer device (LPGETSTATUS), read from the byte of the port's
// status register: paper out and selected are active high, error and busy active low.
struct TDeviceLines {
    bool PaperOut = false;
    bool Selected = false;
    bool Error = false;
    bool Busy = false;
    bool operator==(const TDeviceLines&) const = default;
};
TDeviceLines ReadDeviceLines(int status);
// Paper out, not selected or an error.
bool CannotPrint(const TDeviceLines& lines);
