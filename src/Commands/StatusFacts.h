#pragma once
// What a printer's status answers say, as plain facts: read from the answers of DLE EOT n,
// GS a and GS r, and the answers written from facts (the virtual printer answers with them).
// The words the window shows for them are the window's.
#include "Commands/PrinterStatus.h"

#include <cstdint>
#include <string>
#include <string_view>

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

// The one-byte answer to DLE EOT n.
std::uint8_t RealTimeStatusByte(TStatusRequest request, const TStatusFacts& facts);
// Sets the facts that answer carries; false (nothing set) when its fixed bits are wrong.
bool ReadRealTimeStatus(TStatusRequest request, std::uint8_t answer, TStatusFacts& facts);

// GS a: the four bytes of the automatic status back.
std::string AutoStatusBlock(const TStatusFacts& facts);
bool ReadAutoStatus(std::string_view block, TStatusFacts& facts);

// GS r 1 (paper sensor) and GS r 2 (drawer).
std::uint8_t PaperSensorByte(const TStatusFacts& facts);
std::uint8_t DrawerSensorByte(const TStatusFacts& facts);
bool ReadPaperSensor(std::uint8_t answer, TStatusFacts& facts);
bool ReadDrawerSensor(std::uint8_t answer, TStatusFacts& facts);
