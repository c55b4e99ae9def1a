#include "PrinterState.h"

std::optional<PrinterState::PaperLevel> PaperLevelByName(const std::string& name) {
    if (name == "ok")
        return PrinterState::PaperLevel::Ok;
    if (name == "near-end")
        return PrinterState::PaperLevel::NearEnd;
    if (name == "out")
        return PrinterState::PaperLevel::Out;
    return std::nullopt;
}

std::optional<std::uint8_t> RealTimeStatus(const PrinterState& s, int n) {
    // Every answer: bit 1 and bit 4 set, bit 0 and bit 7 clear.
    std::uint8_t b = 0x12;
    const bool out = s.paper == PrinterState::PaperLevel::Out;
    switch (n) {
    case 1:
        if (s.drawerOpen)
            b |= 0x04;
        if (s.Offline())
            b |= 0x08;
        return b;
    case 2:
        if (s.coverOpen)
            b |= 0x04;
        if (out)
            b |= 0x20;
        if (s.coverOpen)
            b |= 0x40; // an open cover stops the printer with an error
        return b;
    case 3:
        return b; // no mechanism, cutter or other error in a virtual printer
    case 4:
        if (s.paper != PrinterState::PaperLevel::Ok)
            b |= 0x0C;
        if (out)
            b |= 0x60;
        return b;
    default:
        return std::nullopt;
    }
}

std::string AutoStatus(const PrinterState& s) {
    std::uint8_t first = 0x10;
    if (s.drawerOpen)
        first |= 0x04;
    if (s.Offline())
        first |= 0x08;
    if (s.coverOpen)
        first |= 0x20;
    std::uint8_t third = 0;
    if (s.paper != PrinterState::PaperLevel::Ok)
        third |= 0x03;
    if (s.paper == PrinterState::PaperLevel::Out)
        third |= 0x0C;
    return std::string{static_cast<char>(first), 0, static_cast<char>(third), 0};
}

std::optional<std::uint8_t> SensorStatus(const PrinterState& s, int n) {
    if (n == 1 || n == 49) {
        std::uint8_t b = 0;
        if (s.paper != PrinterState::PaperLevel::Ok)
            b |= 0x03;
        if (s.paper == PrinterState::PaperLevel::Out)
            b |= 0x0C;
        return b;
    }
    if (n == 2 || n == 50)
        return static_cast<std::uint8_t>(s.drawerOpen ? 0x01 : 0x00);
    return std::nullopt;
}

std::optional<std::string> PrinterIdentity(int n) {
    switch (n) {
    case 1:
        return std::string(1, '\x56'); // model
    case 2:
        return std::string(1, '\x02'); // type: auto-cutter fitted
    case 3:
        return std::string(1, '\x10'); // version
    default:
        break;
    }
    static const char* const blocks[] = {"1.00 VP", "VEMIX", "VP-32 Virtual", "VP000001",
                                         "BIG5 CP950"};
    if (n >= 0x41 && n <= 0x45)
        return std::string(1, '\x5F') + blocks[n - 0x41] + std::string(1, '\0');
    return std::nullopt;
}
