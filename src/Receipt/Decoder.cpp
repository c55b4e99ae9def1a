#include "Receipt/Decoder.h"

#include <algorithm>

namespace {

// A mismatching byte that cannot start anything of its own belongs to the unknown command.
bool Swallowed(unsigned char b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

TDecoder::TDecoder(TCommandSet set, THandler handler)
    : FGrammar(GrammarOf(set)), FHandler(std::move(handler)) {}

void TDecoder::Feed(const char* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        if (!FCommand.empty()) {
            i += InCommand(data + i, size - i);
            continue;
        }
        const auto b = static_cast<unsigned char>(data[i]);
        if (b >= 0x20) {
            // Text up to the next control byte, taken at once.
            std::size_t end = i + 1;
            const std::size_t room = TextPiece - FText.size();
            while (end < size && end - i < room && static_cast<unsigned char>(data[end]) >= 0x20)
                ++end;
            if (FText.empty())
                FTextStart = FOffset;
            FText.append(data + i, end - i);
            FOffset += end - i;
            i = end;
            if (FText.size() >= TextPiece)
                EndTextPiece();
            continue;
        }
        Control(b);
        ++i;
    }
}

void TDecoder::Control(unsigned char b) {
    EndText();
    const std::uint64_t at = FOffset++;
    const std::string one(1, static_cast<char>(b));
    if (const TRule* rule = FGrammar.Single(b)) {
        FHandler(*rule->Read({}), at, one);
        return;
    }
    if (!FGrammar.StartsSequence(b)) {
        Unknown(one, at);
        return;
    }
    FCommand = one;
    FCommandStart = at;
    // A prefix of one byte is complete at once.
    if (Match() == TMatch::Found && FCommand.size() >= FRule->LengthOf(FCommand))
        Done();
}

// Reads bytes of the command in progress; returns how many it took (0: the byte that ended
// the command is not part of it and starts afresh).
std::size_t TDecoder::InCommand(const char* data, std::size_t size) {
    if (!FRule)
        return Prefix(static_cast<unsigned char>(data[0]));
    // The arguments: as many as the rule can tell it needs, then ask again.
    const std::size_t need = FRule->LengthOf(FCommand);
    const std::size_t take = need > FCommand.size() ? std::min(need - FCommand.size(), size) : 0;
    FCommand.append(data, take);
    FOffset += take;
    if (FCommand.size() >= FRule->LengthOf(FCommand))
        Done();
    return take;
}

std::size_t TDecoder::Prefix(unsigned char b) {
    FCommand.push_back(static_cast<char>(b));
    ++FOffset;
    switch (Match()) {
    case TMatch::More:
        return 1;
    case TMatch::Found:
        if (FCommand.size() >= FRule->LengthOf(FCommand))
            Done();
        return 1;
    case TMatch::Mismatch:
        break;
    }
    if (Swallowed(b)) {
        Unknown(std::move(FCommand), FCommandStart);
        FCommand.clear();
        return 1;
    }
    FCommand.pop_back();
    --FOffset;
    Unknown(std::move(FCommand), FCommandStart);
    FCommand.clear();
    return 0;
}

// The first rule whose prefix the command has, or whether one may still come.
TDecoder::TMatch TDecoder::Match() {
    bool more = false;
    for (const TRule* rule : FGrammar.Starting(static_cast<unsigned char>(FCommand[0]))) {
        const std::string& p = rule->Prefix;
        const std::size_t common = std::min(FCommand.size(), p.size());
        // Prefixes are a few bytes: compared here, not through memcmp.
        std::size_t i = 1;
        while (i < common && FCommand[i] == p[i])
            ++i;
        if (i < common)
            continue;
        if (FCommand.size() < p.size()) {
            more = true;
            continue;
        }
        FRule = rule;
        return TMatch::Found;
    }
    return more ? TMatch::More : TMatch::Mismatch;
}

void TDecoder::Done() {
    std::optional<TCommand> command =
        FRule->Read(std::string_view(FCommand).substr(FRule->Prefix.size()));
    std::string bytes = std::move(FCommand);
    FCommand.clear();
    FRule = nullptr;
    if (!command) {
        Unknown(std::move(bytes), FCommandStart);
        return;
    }
    FHandler(*command, FCommandStart, bytes);
}

void TDecoder::Unknown(std::string bytes, std::uint64_t at) {
    const TCommand raw{Cmd::Raw{std::move(bytes)}};
    FHandler(raw, at, std::get<Cmd::Raw>(raw).Bytes);
}

void TDecoder::EndText() {
    if (FText.empty())
        return;
    const TCommand text{Cmd::Text{std::move(FText)}};
    FText.clear();
    FHandler(text, FTextStart, std::get<Cmd::Text>(text).Bytes);
}

// The piece ends after its last byte below 0x80, which no double-byte character starts; text
// of high bytes alone is pairs from its start, and ends after a whole one.
void TDecoder::EndTextPiece() {
    std::size_t keep = 0;
    const auto last = std::find_if(FText.rbegin(), FText.rend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (last != FText.rend())
        keep = static_cast<std::size_t>(last - FText.rbegin());
    else
        keep = FText.size() % 2;
    std::string rest = FText.substr(FText.size() - keep);
    FText.resize(FText.size() - keep);
    const std::uint64_t restStart = FTextStart + FText.size();
    EndText();
    FText = std::move(rest);
    FTextStart = restStart;
}

void TDecoder::Finish() {
    if (!FCommand.empty()) {
        const TCommand cut{Cmd::Incomplete{std::move(FCommand)}};
        FCommand.clear();
        FRule = nullptr;
        FHandler(cut, FCommandStart, std::get<Cmd::Incomplete>(cut).Bytes);
    }
    EndText();
}
