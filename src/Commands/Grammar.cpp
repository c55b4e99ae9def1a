#include "Commands/Grammar.h"

#include "Commands/ControlBytes.h"
#include "Commands/RuleKit.h"
#include "Rtl/Strings.h"

TGrammar::TGrammar(std::vector<TRule> rules)
    : FRules(std::move(rules)), FWriters(std::variant_size_v<TCommand>) {
    FSequence[static_cast<unsigned char>(Ctl::ESC)] = true;
    FSequence[static_cast<unsigned char>(Ctl::GS)] = true;
    for (const TRule& rule : FRules) {
        if (rule.Write)
            FWriters[rule.Kind].push_back(&rule);
        if (!rule.Read || rule.Prefix.empty())
            continue;
        const auto first = static_cast<unsigned char>(rule.Prefix[0]);
        FStarting[first].push_back(&rule);
        if (rule.Prefix.size() == 1 && rule.LengthOf(rule.Prefix) == 1)
            FSingle[first] = &rule;
        else
            FSequence[first] = true;
    }
}

const TGrammar& GrammarOf(TCommandSet set) {
    static const TGrammar epson(EscPosRules());
    static const TGrammar start(StartRules());
    static const TGrammar tp3688(Tp3688Rules());
    switch (set) {
    case csSTART:
        return start;
    case csTP3688:
        return tp3688;
    case csEPSON:
        break;
    }
    return epson;
}

namespace {

TEncoding Refused(std::string reason) {
    return {false, {}, std::move(reason)};
}

// Text, raw bytes and a cut-off command are their bytes in every set; text must not hold a byte
// that would start a command.
std::optional<TEncoding> BytesOf(const TCommand& command) {
    if (const auto* text = std::get_if<Cmd::Text>(&command)) {
        if (text->Bytes.empty())
            return Refused("no text");
        for (std::size_t i = 0; i < text->Bytes.size(); ++i)
            if (static_cast<unsigned char>(text->Bytes[i]) < 0x20)
                return Refused("text holds the control byte " +
                               FormatHex(text->Bytes.substr(i, 1)) + " at " + std::to_string(i));
        return TEncoding{true, text->Bytes, {}};
    }
    if (const auto* raw = std::get_if<Cmd::Raw>(&command))
        return TEncoding{true, raw->Bytes, {}};
    if (const auto* cut = std::get_if<Cmd::Incomplete>(&command))
        return TEncoding{true, cut->Bytes, {}};
    return std::nullopt;
}

} // namespace

TEncoding Encode(TCommandSet set, const TCommand& command) {
    if (std::optional<TEncoding> bytes = BytesOf(command))
        return *bytes;
    std::string why;
    for (const TRule* rule : GrammarOf(set).Writers(command.index())) {
        std::string args;
        if (rule->Write(command, args, why))
            return {true, rule->Prefix + args, {}};
        if (!why.empty())
            return Refused(why);
    }
    return Refused(std::string(CommandSetName(set)) + " has no " + CommandKindName(command));
}

TEncoding Encode(TCommandSet set, const std::vector<TCommand>& commands) {
    TEncoding job{true, {}, {}};
    for (const TCommand& command : commands) {
        TEncoding one = Encode(set, command);
        if (!one.Supported)
            return one;
        job.Bytes += one.Bytes;
    }
    return job;
}
