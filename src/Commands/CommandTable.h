#pragma once
// The printer command sets: for every set and every command word, the bytes that the printer
// expects, or "unsupported". The window's builders write from it and the virtual printer reads
// with it, so a new set or a new command is a change here.
#include "Commands/CommandSet.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

// The six words of the dispatcher, then the font selection.
enum TCommandWord : std::uint8_t {
    cwPrint,
    cwLineFeed,
    cwFormFeed,
    cwOpenDrawer,
    cwFeedLines,
    cwCut,
    cwFont
};
constexpr int CommandWordCount = 7;

// One command as one set writes it: Code, then the fixed Args, then the count byte when
// TakesCount. A print line is its text followed by Code.
struct TCommandCode {
    bool Supported = false;
    std::string Code;
    std::string Args;
    bool TakesCount = false;
};

// "列印", "跳行", "跳頁", "開抽屜", "跳多行", "切紙": the dispatcher's words, in TCommandWord
// order.
const QStringList& CommandWords();
std::optional<TCommandWord> CommandWordOf(const QString& word);
// A name for traces and tests: "print", "line feed", ... "font".
const char* CommandWordName(TCommandWord word);

const TCommandCode& CommandCode(TCommandSet set, TCommandWord word);
// The font selection: the same bytes in every set.
const TCommandCode& FontCommand();

// The bytes of a supported command: text (already in the code page) first for a print line,
// the count's low byte for a command that takes one.
std::string EncodeCommand(const TCommandCode& code, std::int32_t count = 0,
                          const std::string& text = {});

// How the message for a set that lacks the word ends, e.g. " (列印-可能會異常)！".
QString UnsupportedNote(TCommandWord word);
