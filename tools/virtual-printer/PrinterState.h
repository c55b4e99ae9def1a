#pragma once
// What the virtual printer says about itself: its state (paper, cover, drawer, on line) and
// the bytes it answers the ESC/POS status and identity requests with.
#include <cstdint>
#include <optional>
#include <string>

struct PrinterState {
    enum class PaperLevel { Ok, NearEnd, Out };
    PaperLevel paper = PaperLevel::Ok;
    bool coverOpen = false;
    bool drawerOpen = false; // the drawer's switch puts its pin 3 high
    bool offline = false;    // taken off line by its operator
    bool silent = false;     // answers nothing, like a printer wired to receive only

    // Off line for whatever reason: asked to be, the cover open, or out of paper.
    bool Offline() const { return offline || coverOpen || paper == PaperLevel::Out; }
    bool operator==(const PrinterState&) const = default;
};

// "ok", "near-end", "out"; nothing for another word.
std::optional<PrinterState::PaperLevel> PaperLevelByName(const std::string& name);

// DLE EOT n (1..4): the one-byte answer; nothing for another n.
std::optional<std::uint8_t> RealTimeStatus(const PrinterState& state, int n);
// GS a: the four bytes of the automatic status back.
std::string AutoStatus(const PrinterState& state);
// GS r n: n = 1 or 49 the paper sensor, n = 2 or 50 the drawer; nothing for another n.
std::optional<std::uint8_t> SensorStatus(const PrinterState& state, int n);
// GS I n: n = 1, 2, 3 one byte (model, type, version); n = 0x41..0x45 a block 5F, text, NUL
// (firmware, maker, model, serial number, fonts); nothing for another n.
std::optional<std::string> PrinterIdentity(int n);
