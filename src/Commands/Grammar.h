#pragma once
// How a command set writes each command and reads it back: one table of rules per set, each
// the bytes that start a command, how long its arguments are and which typed command it is.
// The decoder walks the table; the encoder writes with the same rules, so the two directions
// cannot drift apart.
#include "Commands/Command.h"
#include "Commands/CommandSet.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The whole length of a command from its bytes so far (prefix included): more than their
// count while it cannot be told yet. Length fields are read from bytes that arrived, so a
// claim is never allocated before its bytes are there.
using TLengthRule = std::size_t (*)(std::string_view bytes);

struct TRule {
    std::string Prefix;
    std::size_t Args = 0; // argument bytes after the prefix, when Length is null
    TLengthRule Length = nullptr;
    std::size_t Kind = 0; // the TCommand index of what it reads
    // The command of the argument bytes; none when the printer would not take them (the whole
    // command is then unknown bytes).
    std::function<std::optional<TCommand>(std::string_view args)> Read;
    // Appends the argument bytes of a command of its kind; false when this rule does not write
    // that value (why says so when no rule may). Empty for a spelling the set only reads.
    std::function<bool(const TCommand& command, std::string& args, std::string& why)> Write;

    std::size_t LengthOf(std::string_view bytes) const {
        return Length ? Length(bytes) : Prefix.size() + Args;
    }
};

class TGrammar {
  public:
    explicit TGrammar(std::vector<TRule> rules);

    const std::vector<TRule>& Rules() const { return FRules; }
    // The rules whose prefix begins with byte b, in table order (the first full match wins).
    const std::vector<const TRule*>& Starting(unsigned char b) const { return FStarting[b]; }
    // The one-byte command b, or null.
    const TRule* Single(unsigned char b) const { return FSingle[b]; }
    // b begins a command of more bytes. ESC and GS always do: a printer takes the byte after
    // them as part of the command, known or not.
    bool StartsSequence(unsigned char b) const { return FSequence[b]; }
    // The rules that write a kind of command, in table order.
    const std::vector<const TRule*>& Writers(std::size_t kind) const { return FWriters[kind]; }

  private:
    std::vector<TRule> FRules;
    std::array<std::vector<const TRule*>, 256> FStarting;
    std::array<const TRule*, 256> FSingle{};
    std::array<bool, 256> FSequence{};
    std::vector<std::vector<const TRule*>> FWriters;
};

const TGrammar& GrammarOf(TCommandSet set);

struct TEncoding {
    bool Supported = false;
    std::string Bytes;
    std::string Reason; // why not, e.g. "TP-3688 has no form feed"
};
// The bytes of a command in a set, or why the set cannot write it.
TEncoding Encode(TCommandSet set, const TCommand& command);
// A job: the bytes of every command in turn; the first that cannot be written ends it.
TEncoding Encode(TCommandSet set, const std::vector<TCommand>& commands);
