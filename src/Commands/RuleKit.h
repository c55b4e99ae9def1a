#pragma once
// Building blocks of the command sets' rule tables: a rule from a reader and a writer of one
// command type, and the common shapes (no argument, one byte, one 16-bit word).
#include "Commands/CommandTable.h"
#include "Commands/Grammar.h"

#include <cstdint>

namespace RuleKit {

inline int ByteAt(std::string_view s, std::size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}
// Little-endian, as every ESC/POS length and position.
inline int WordAt(std::string_view s, std::size_t i) {
    return ByteAt(s, i) + 256 * ByteAt(s, i + 1);
}
inline void PutByte(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
}
inline void PutWord(std::string& out, int value) {
    PutByte(out, value);
    PutByte(out, value >> 8);
}

template <class T> using TReader = std::function<std::optional<T>(std::string_view args)>;
template <class T>
using TWriter = std::function<bool(const T&, std::string& args, std::string& why)>;

template <class T>
TRule Rule(std::string prefix, std::size_t args, TReader<T> read, TWriter<T> write,
           TLengthRule length = nullptr) {
    TRule rule;
    rule.Prefix = std::move(prefix);
    rule.Args = args;
    rule.Length = length;
    rule.Kind = KindOf<T>;
    if (read)
        rule.Read = [read = std::move(read)](std::string_view a) -> std::optional<TCommand> {
            std::optional<T> value = read(a);
            if (!value)
                return std::nullopt;
            return TCommand(std::move(*value));
        };
    if (write)
        rule.Write = [write = std::move(write)](const TCommand& c, std::string& out,
                                                std::string& why) {
            const T* value = std::get_if<T>(&c);
            return value && write(*value, out, why);
        };
    return rule;
}

// A spelling the set reads but writes another way. (A rule without a reader only writes: a
// prefix it shares with another rule is read by the first that reads.)
inline TRule ReadOnly(TRule rule) {
    rule.Write = nullptr;
    return rule;
}

// A command without arguments.
template <class T> TRule Flag(std::string prefix) {
    return Rule<T>(
        std::move(prefix), 0, [](std::string_view) { return std::optional<T>(T{}); },
        [](const T&, std::string&, std::string&) { return true; });
}

// One argument byte N; accept says which values the printer takes.
template <class T> TRule Byte(std::string prefix, bool (*accept)(int) = nullptr) {
    return Rule<T>(
        std::move(prefix), 1,
        [accept](std::string_view a) -> std::optional<T> {
            if (accept && !accept(ByteAt(a, 0)))
                return std::nullopt;
            return T{static_cast<std::uint8_t>(ByteAt(a, 0))};
        },
        [accept](const T& v, std::string& out, std::string& why) {
            if (accept && !accept(v.N)) {
                why = std::string("the printer does not take ") + std::to_string(v.N) + " for " +
                      CommandKindName(TCommand(v));
                return false;
            }
            PutByte(out, v.N);
            return true;
        });
}

// One 16-bit argument N.
template <class T> TRule Word(std::string prefix) {
    return Rule<T>(
        std::move(prefix), 2,
        [](std::string_view a) {
            return std::optional<T>(T{static_cast<decltype(T::N)>(WordAt(a, 0))});
        },
        [](const T& v, std::string& out, std::string&) {
            PutWord(out, static_cast<std::uint16_t>(v.N));
            return true;
        });
}

// The code bytes of a command of the program's own table, in a set.
inline std::string SeedCode(TCommandSet set, TCommandWord word) {
    return CommandCode(set, word).Code;
}

} // namespace RuleKit

// The rule tables of the sets.
std::vector<TRule> EscPosRules();
std::vector<TRule> StartRules();
std::vector<TRule> Tp3688Rules();
