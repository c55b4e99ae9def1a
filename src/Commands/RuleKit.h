#pragma once
// Building blocks of the command sets' rule tables: a rule from a reader and a writer of one
// command type, and the common shapes (no argument, one byte, one 16-bit word).
#include "Commands/CommandTable.h"
#include "Commands/Grammar.h"

#include <cstdint>

namespace RuleKit {

// An image or graphics body larger than any receipt printer's buffer is taken for stray bytes.
constexpr std::size_t MaxImageBytes = std::size_t{1} << 23;

// n or '0' + n, as many ESC/POS parameters may be written.
inline int Digit(int n) {
    return n >= '0' ? n - '0' : n;
}

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

// Two argument bytes.
template <class T, class A, class B> TRule Pair(std::string prefix, A T::*first, B T::*second) {
    return Rule<T>(
        std::move(prefix), 2,
        [first, second](std::string_view a) {
            T v{};
            v.*first = static_cast<A>(ByteAt(a, 0));
            v.*second = static_cast<B>(ByteAt(a, 1));
            return std::optional<T>(v);
        },
        [first, second](const T& v, std::string& out, std::string&) {
            PutByte(out, v.*first);
            PutByte(out, v.*second);
            return true;
        });
}

// The length of a command of a three-byte prefix, pL pH and that many bytes (GS ( L, FS ( A).
inline std::size_t PrefixedBody(std::string_view s) {
    return s.size() < 5 ? 5 : 5 + static_cast<std::size_t>(WordAt(s, 3));
}

// A body after a three-byte prefix and its 16-bit length, kept whole in Body.
template <class T> TRule Body(std::string prefix) {
    return Rule<T>(
        std::move(prefix), 2,
        [](std::string_view a) {
            return std::optional<T>(T{std::string(a.substr(std::min<std::size_t>(2, a.size())))});
        },
        [](const T& v, std::string& out, std::string& why) {
            if (v.Body.size() > 0xFFFF) {
                why = "a body of " + std::to_string(v.Body.size()) + " bytes is more than 65535";
                return false;
            }
            PutWord(out, static_cast<int>(v.Body.size()));
            out += v.Body;
            return true;
        },
        PrefixedBody);
}

inline bool Fits(std::size_t size, std::size_t most, const char* what, std::string& why) {
    if (size <= most)
        return true;
    why = std::string(what) + " of " + std::to_string(size) + " bytes is more than " +
          std::to_string(most);
    return false;
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
