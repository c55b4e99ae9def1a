#pragma once
// The virtual printer's condition (paper, cover, drawer, on line) and what it answers the
// ESC/POS status and identity requests with: the answers are written from the status facts
// its condition gives.
#include "Commands/StatusFacts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

enum class TPaperLevel : std::uint8_t { Ok, NearEnd, Out };

struct TPrinterState {
    TPaperLevel Paper = TPaperLevel::Ok;
    bool CoverOpen = false;
    bool DrawerOpen = false; // the drawer's switch puts its pin 3 high
    bool Offline = false;    // taken off line by its operator
    bool Silent = false;     // answers nothing, like a printer wired to receive only

    // Off line for whatever reason: asked to be, the cover open, or out of paper.
    bool IsOffline() const { return Offline || CoverOpen || Paper == TPaperLevel::Out; }
    bool operator==(const TPrinterState&) const = default;
};

// "ok", "near-end", "out"; nothing for another word.
std::optional<TPaperLevel> PaperLevelByName(std::string_view name);

// What the printer's condition says: an open cover stops it with an error; a virtual printer
// has no mechanism, cutter or other error, and nobody presses its feed button.
TStatusFacts FactsOf(const TPrinterState& state);

// GS I n: n = 1, 2, 3 one byte (model, type, version); n = 0x41..0x45 a block 5F, text, NUL
// (firmware, maker, model, serial number, fonts: the double-byte set and the code page).
std::optional<std::string> IdentityAnswer(int n, std::string_view codePage);

// GS ( k function 82: 37 76, the width and height in dots as decimal digits, each followed by
// 1F, then '0' when the symbol prints ('1' and sizes 0 when it does not), then NUL.
std::string QrSizeAnswer(std::optional<std::pair<int, int>> size);
