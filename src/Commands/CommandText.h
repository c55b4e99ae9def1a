#pragma once
// Commands typed as text, as a technician writes them; the forms mix freely, separated by
// spaces:
//   hex pairs        1B 40   1b40   0x1B
//   control names    ESC @   GS V 1   DLE EOT 1   LF   CR   NUL ... (upper case)
//   one character    @  V  a  is that character; one digit is that number (the 1 of GS V 1)
//   escapes in text  \x1b@   \n  \r  \t  \\  \"  \0
//   quoted text      "總計 100", in the printer's code page, escapes allowed
// FF is the hex byte FF; a form feed is 0C. A text that does not parse gives no bytes at all,
// only where and why.
#include "Commands/CommandSet.h"
#include "Rtl/CodePage.h"

#include <QString>
#include <string>

enum TTextProblem : std::uint8_t {
    tpNone,
    tpEmpty,       // nothing to send
    tpOddHex,      // "123": hex digits come in pairs
    tpBadHex,      // "0x1G", "0x123"
    tpUnknownWord, // "zz", "Hello": not hex, a name, a character or quoted text
    tpOpenQuote,   // a quote that does not end
    tpBadEscape,   // "\q", "\x4"
    tpUnmappable   // a character the code page lacks
};

struct TCommandText {
    bool Ok = false;
    std::string Bytes;
    TTextProblem Problem = tpNone;
    qsizetype Position = 0; // where the problem starts, in UTF-16 units of the text
    QString Item;           // the word, escape or character at fault
};

TCommandText ParseCommandText(const QString& text, const TCodePage& codePage);

// One line for a command line or a log, e.g. "at 3: zz is not hex, a control name or text".
std::string CommandTextProblem(const TCommandText& parsed);

// Bytes as a command text that parses back to the same bytes, each command read with the set's
// rules: its first bytes by name or character ("ESC @", "GS V"), its other bytes as a digit
// (0 to 9), a character or a hex pair, printable text quoted ("\"TOTAL 100\"").
QString FormatCommandText(std::string_view bytes, TCommandSet set);
