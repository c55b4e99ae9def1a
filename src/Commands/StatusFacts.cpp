#include "Commands/StatusFacts.h"

#include <array>
#include <vector>

namespace {

// One fact in an answer byte; a pair of bits means the fact only when both are set.
struct TBit {
    std::uint8_t Mask;
    TStatusFact Fact;
};
using Facts = TStatusFacts;

// Every answer to DLE EOT n has bit 0 and bit 7 clear, bits 1 and 4 set.
constexpr std::uint8_t FixedMask = 0x93, FixedValue = 0x12;
constexpr TBit PrinterBits[] = {{0x04, &Facts::DrawerPin3},
                                {0x08, &Facts::Offline},
                                {0x20, &Facts::WaitingRecovery},
                                {0x40, &Facts::FeedButton}};
constexpr TBit OfflineBits[] = {{0x04, &Facts::CoverOpen},
                                {0x08, &Facts::FeedingByButton},
                                {0x20, &Facts::StoppedByPaperEnd},
                                {0x40, &Facts::ErrorOccurred}};
constexpr TBit ErrorBits[] = {{0x04, &Facts::MechanicalError},
                              {0x08, &Facts::AutoCutterError},
                              {0x20, &Facts::UnrecoverableError},
                              {0x40, &Facts::AutoRecoverableError}};
// The roll sensor's two bits of a pair are set together.
constexpr TBit PaperBits[] = {{0x0C, &Facts::PaperNearEnd}, {0x60, &Facts::PaperOut}};

// The automatic status back: printer, errors, paper sensor, a reserved byte. The paper
// sensor byte is also the answer to GS r 1.
constexpr TBit AsbPrinterBits[] = {{0x04, &Facts::DrawerPin3},
                                   {0x08, &Facts::Offline},
                                   {0x20, &Facts::CoverOpen},
                                   {0x40, &Facts::FeedingByButton}};
constexpr TBit AsbPaperBits[] = {{0x03, &Facts::PaperNearEnd}, {0x0C, &Facts::PaperOut}};
constexpr TBit DrawerBits[] = {{0x01, &Facts::DrawerPin3}};
// Fixed bits: bit 4 of the first byte set, bits 0, 1 and 7 clear; bits 4 and 7 of the others
// clear.
constexpr std::uint8_t AsbFirstMask = 0x93, AsbFirstValue = 0x10, AsbOtherMask = 0x90;

std::span<const TBit> RealTimeBits(TStatusRequest request) {
    switch (request) {
    case srOffline:
        return OfflineBits;
    case srError:
        return ErrorBits;
    case srPaper:
        return PaperBits;
    case srPrinter:
        break;
    }
    return PrinterBits;
}

template <std::size_t N> std::array<TStatusFact, N> FactsIn(const TBit (&bits)[N]) {
    std::array<TStatusFact, N> facts{};
    for (std::size_t i = 0; i < N; ++i)
        facts[i] = bits[i].Fact;
    return facts;
}

std::uint8_t Write(std::span<const TBit> bits, const Facts& facts, std::uint8_t fixed) {
    std::uint8_t b = fixed;
    for (const TBit& bit : bits)
        if (facts.*bit.Fact)
            b |= bit.Mask;
    return b;
}

void Read(std::span<const TBit> bits, std::uint8_t b, Facts& facts) {
    for (const TBit& bit : bits)
        facts.*bit.Fact = (b & bit.Mask) == bit.Mask;
}

} // namespace

std::span<const TStatusFact> FactsOfRequest(TStatusRequest request) {
    static const auto printer = FactsIn(PrinterBits);
    static const auto offline = FactsIn(OfflineBits);
    static const auto error = FactsIn(ErrorBits);
    static const auto paper = FactsIn(PaperBits);
    switch (request) {
    case srOffline:
        return offline;
    case srError:
        return error;
    case srPaper:
        return paper;
    case srPrinter:
        break;
    }
    return printer;
}

bool StatusByteRecognised(std::uint8_t answer) {
    return (answer & FixedMask) == FixedValue;
}

std::uint8_t RealTimeStatusByte(TStatusRequest request, const TStatusFacts& facts) {
    return Write(RealTimeBits(request), facts, FixedValue);
}

bool ReadRealTimeStatus(TStatusRequest request, std::uint8_t answer, TStatusFacts& facts) {
    if (!StatusByteRecognised(answer))
        return false;
    Read(RealTimeBits(request), answer, facts);
    return true;
}

std::string AutoStatusBlock(const TStatusFacts& facts) {
    return std::string{static_cast<char>(Write(AsbPrinterBits, facts, AsbFirstValue)),
                       static_cast<char>(Write(ErrorBits, facts, 0)),
                       static_cast<char>(Write(AsbPaperBits, facts, 0)), 0};
}

bool ReadAutoStatus(std::string_view block, TStatusFacts& facts) {
    if (block.size() != 4)
        return false;
    const auto b = [block](std::size_t i) { return static_cast<std::uint8_t>(block[i]); };
    if ((b(0) & AsbFirstMask) != AsbFirstValue)
        return false;
    for (std::size_t i = 1; i < 4; ++i)
        if (b(i) & AsbOtherMask)
            return false;
    Read(AsbPrinterBits, b(0), facts);
    Read(ErrorBits, b(1), facts);
    Read(AsbPaperBits, b(2), facts);
    return true;
}

std::uint8_t PaperSensorByte(const TStatusFacts& facts) {
    return Write(AsbPaperBits, facts, 0);
}

std::uint8_t DrawerSensorByte(const TStatusFacts& facts) {
    return Write(DrawerBits, facts, 0);
}

std::span<const TStatusFact> FactsOfAutoStatus() {
    static const auto facts = [] {
        std::vector<TStatusFact> all;
        for (std::span<const TBit> bits :
             {std::span<const TBit>(AsbPrinterBits), std::span<const TBit>(ErrorBits),
              std::span<const TBit>(AsbPaperBits)})
            for (const TBit& bit : bits)
                all.push_back(bit.Fact);
        return all;
    }();
    return facts;
}

std::span<const TStatusFact> FactsOfSensor(bool paper) {
    static const auto paperFacts = FactsIn(AsbPaperBits);
    static const auto drawerFacts = FactsIn(DrawerBits);
    if (paper)
        return paperFacts;
    return drawerFacts;
}

bool ReadPaperSensor(std::uint8_t answer, TStatusFacts& facts) {
    if (answer & 0xF0)
        return false;
    Read(AsbPaperBits, answer, facts);
    return true;
}

bool ReadDrawerSensor(std::uint8_t answer, TStatusFacts& facts) {
    if (answer & 0xFE)
        return false;
    Read(DrawerBits, answer, facts);
    return true;
}

bool CannotPrint(const TStatusFacts& f) {
    return f.Offline || f.CoverOpen || f.StoppedByPaperEnd || f.ErrorOccurred ||
           f.MechanicalError || f.AutoCutterError || f.UnrecoverableError ||
           f.AutoRecoverableError || f.PaperOut;
}

TDeviceLines ReadDeviceLines(int status) {
    constexpr int NoError = 0x08, Selected = 0x10, PaperOut = 0x20, NotBusy = 0x80;
    return {(status & PaperOut) != 0, (status & Selected) != 0, (status & NoError) == 0,
            (status & NotBusy) == 0};
}

bool CannotPrint(const TDeviceLines& lines) {
    return lines.PaperOut || !lines.Selected || lines.Error;
}
