// "START" and "TP-3688": the program's own commands from its table, initialise and the bytes
// every printer takes (LF prints, FF ends the page, CR is ignored).
#include "Commands/ControlBytes.h"
#include "Commands/RuleKit.h"

namespace {

using namespace Ctl;
using namespace RuleKit;

// The set's cut: its code and the argument byte the table gives it.
TRule CutRule(TCommandSet set) {
    return Byte<Cmd::CutN>(SeedCode(set, cwCut));
}

void AddCommon(std::vector<TRule>& rules) {
    rules.push_back(Byte<Cmd::CharSpacing>(FontCommand().Code));
    rules.push_back(Flag<Cmd::Init>({ESC, '@'}));
    rules.push_back(Flag<Cmd::CarriageReturn>({CR}));
}

} // namespace

std::vector<TRule> StartRules() {
    std::vector<TRule> rules;
    rules.push_back(Flag<Cmd::LineFeed>(SeedCode(csSTART, cwLineFeed)));
    rules.push_back(Flag<Cmd::FormFeed>(SeedCode(csSTART, cwFormFeed)));
    rules.push_back(Flag<Cmd::DrawerPulse>(SeedCode(csSTART, cwOpenDrawer)));
    rules.push_back(Byte<Cmd::FeedLines>(SeedCode(csSTART, cwFeedLines)));
    rules.push_back(CutRule(csSTART));
    AddCommon(rules);
    for (TRule& rule : StarLineRules())
        rules.push_back(std::move(rule));
    return rules;
}

// TP-3688 has no line feed, form feed or drawer of its own in the table; it still prints on LF
// and ends the page on FF. Its line feed is a feed of n lines.
std::vector<TRule> Tp3688Rules() {
    std::vector<TRule> rules;
    rules.push_back(ReadOnly(Flag<Cmd::LineFeed>({LF})));
    rules.push_back(ReadOnly(Flag<Cmd::FormFeed>({FF})));
    rules.push_back(ReadOnly(Byte<Cmd::FeedLines>(SeedCode(csTP3688, cwLineFeed))));
    rules.push_back(Byte<Cmd::FeedLines>(SeedCode(csTP3688, cwFeedLines)));
    rules.push_back(CutRule(csTP3688));
    AddCommon(rules);
    return rules;
}
