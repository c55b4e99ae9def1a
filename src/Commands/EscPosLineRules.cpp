// "EPSON": the commands that place characters on the line (tabs, positions, directions,
// character sets) and the styles of the Chinese characters.
#include "Commands/ControlBytes.h"
#include "Commands/RuleKit.h"

namespace {

using namespace Ctl;
using namespace RuleKit;

// ESC D n1 ... nk NUL, at most 32 stops.
constexpr std::size_t MaxTabStops = 32;

std::size_t TabStopsLength(std::string_view s) {
    if (s.size() > 2 && (s.back() == 0 || s.size() >= 2 + MaxTabStops + 1))
        return s.size();
    return s.size() + 1;
}

TRule TabStopsRule() {
    return Rule<Cmd::TabStops>(
        {ESC, 'D'}, 0,
        [](std::string_view a) -> std::optional<Cmd::TabStops> {
            if (a.empty() || a.back() != 0)
                return std::nullopt;
            return Cmd::TabStops{std::string(a.substr(0, a.size() - 1))};
        },
        [](const Cmd::TabStops& v, std::string& out, std::string& why) {
            if (v.Columns.size() > MaxTabStops || v.Columns.find('\0') != std::string::npos) {
                why = "tab stops are at most 32 columns from 1 to 255";
                return false;
            }
            out += v.Columns;
            out.push_back('\0');
            return true;
        },
        TabStopsLength);
}

TRule RelativeRule() {
    return Rule<Cmd::RelativePosition>(
        {ESC, '\\'}, 2,
        [](std::string_view a) {
            return std::optional(
                Cmd::RelativePosition{static_cast<std::int16_t>(WordAt(a, 0) & 0xFFFF)});
        },
        [](const Cmd::RelativePosition& v, std::string& out, std::string&) {
            PutWord(out, static_cast<std::uint16_t>(v.N));
            return true;
        });
}

} // namespace

std::vector<TRule> EscPosLineRules() {
    std::vector<TRule> r;
    r.push_back(Flag<Cmd::Tab>({HT}));
    r.push_back(Flag<Cmd::VerticalTab>({VT}));
    r.push_back(TabStopsRule());
    r.push_back(RelativeRule());
    r.push_back(Byte<Cmd::International>({ESC, 'R'}));
    r.push_back(Byte<Cmd::UpsideDown>({ESC, '{'}));
    r.push_back(Byte<Cmd::Italic>({ESC, '4'}));
    r.push_back(Byte<Cmd::Rotate>({ESC, 'V'}));
    r.push_back(Byte<Cmd::Colour>({ESC, 'r'}));
    return r;
}

std::vector<TRule> EscPosKanjiRules() {
    std::vector<TRule> r;
    r.push_back(Byte<Cmd::KanjiMode>({FS, '!'}));
    r.push_back(Byte<Cmd::KanjiUnderline>({FS, '-'}));
    r.push_back(Pair<Cmd::KanjiSpacing>({FS, 'S'}, &Cmd::KanjiSpacing::Left,
                                        &Cmd::KanjiSpacing::Right));
    r.push_back(Byte<Cmd::KanjiQuadruple>({FS, 'W'}));
    r.push_back(Body<Cmd::KanjiStyle>({FS, '(', 'A'}));
    return r;
}
