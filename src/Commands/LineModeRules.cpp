// "START" and "TP-3688": the program's own commands from its table, initialise and the bytes
// every printer takes (LF prints, FF ends the page, CR is ignored); for START also the
// line-mode commands of its receipts.
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

// The line-mode commands that receipts of the START family are made of, each read whole:
// styles, sizes, alignment, code table, cut, drawer setting, barcodes, QR codes and raster
// images. Most read as the typed command ESC/POS gives the same meaning; what has no such
// command is a command of its own.

// A command of no arguments that always reads as one value; only EPSON writes it.
template <class T> TRule Fixed(std::string prefix, T value) {
    return Rule<T>(
        std::move(prefix), 0, [value](std::string_view) { return std::optional<T>(value); },
        nullptr);
}

std::vector<TRule> StyleRules() {
    std::vector<TRule> r;
    r.push_back(Fixed({ESC, 'E'}, Cmd::Emphasis{1}));
    r.push_back(Fixed({ESC, 'F'}, Cmd::Emphasis{0}));
    r.push_back(Fixed({ESC, '4'}, Cmd::Reverse{1}));
    r.push_back(Fixed({ESC, '5'}, Cmd::Reverse{0}));
    r.push_back(ReadOnly(Byte<Cmd::Underline>({ESC, '-'})));
    // ESC i n1 n2: height and width, each one less than the multiplier.
    r.push_back(Rule<Cmd::CharSize>(
        {ESC, 'i'}, 2,
        [](std::string_view a) -> std::optional<Cmd::CharSize> {
            const int height = Digit(ByteAt(a, 0)), width = Digit(ByteAt(a, 1));
            if (height < 0 || height > 5 || width < 0 || width > 5)
                return std::nullopt;
            return Cmd::CharSize{static_cast<std::uint8_t>(width << 4 | height)};
        },
        nullptr));
    r.push_back(Rule<Cmd::Align>(
        {ESC, GS, 'a'}, 1,
        [](std::string_view a) -> std::optional<Cmd::Align> {
            const int n = Digit(ByteAt(a, 0));
            if (n < 0 || n > 2)
                return std::nullopt;
            return Cmd::Align{static_cast<TPrintAlign>(n)};
        },
        nullptr));
    r.push_back(Byte<Cmd::StarCodePage>({ESC, GS, 't'}));
    return r;
}

// ESC b n1 n2 n3 n4, then the data up to RS (at most 255 bytes).
std::size_t BarcodeLength(std::string_view s) {
    if (s.size() > 6 && (s.back() == RS || s.size() >= 6 + 256))
        return s.size();
    return s.size() + 1;
}

TRule BarcodeRule() {
    return Rule<Cmd::StarBarcode>(
        {ESC, 'b'}, 0,
        [](std::string_view a) -> std::optional<Cmd::StarBarcode> {
            if (a.size() < 5 || a.back() != RS)
                return std::nullopt;
            auto at = [a](std::size_t i) { return static_cast<std::uint8_t>(ByteAt(a, i)); };
            return Cmd::StarBarcode{at(0), at(1), at(2), at(3),
                                    std::string(a.substr(4, a.size() - 5))};
        },
        [](const Cmd::StarBarcode& v, std::string& out, std::string& why) {
            if (v.Data.size() > 255 || v.Data.find(RS) != std::string::npos) {
                why = "barcode data is at most 255 bytes without RS";
                return false;
            }
            for (const int b : {v.Kind, v.Text, v.Mode, v.Height})
                PutByte(out, b);
            out += v.Data;
            out.push_back(RS);
            return true;
        },
        BarcodeLength);
}

// ESC GS y D 1 m nL nH, then the data.
std::size_t QrDataLength(std::string_view s) {
    return s.size() < 8 ? 8 : 8 + static_cast<std::size_t>(WordAt(s, 6));
}

std::vector<TRule> QrRules() {
    const std::string qr{ESC, GS, 'y'};
    std::vector<TRule> r;
    r.push_back(Rule<Cmd::QrModel>(
        qr + "S0", 1,
        [](std::string_view a) -> std::optional<Cmd::QrModel> {
            const int n = Digit(ByteAt(a, 0));
            if (n != 1 && n != 2)
                return std::nullopt;
            return Cmd::QrModel{static_cast<std::uint8_t>(48 + n)};
        },
        nullptr));
    r.push_back(Rule<Cmd::QrErrorLevel>(
        qr + "S1", 1,
        [](std::string_view a) -> std::optional<Cmd::QrErrorLevel> {
            const int n = Digit(ByteAt(a, 0));
            if (n < 0 || n > 3)
                return std::nullopt;
            return Cmd::QrErrorLevel{static_cast<std::uint8_t>(48 + n)};
        },
        nullptr));
    r.push_back(Rule<Cmd::QrModuleSize>(
        qr + "S2", 1,
        [](std::string_view a) -> std::optional<Cmd::QrModuleSize> {
            const int n = ByteAt(a, 0);
            if (n < 1 || n > 8)
                return std::nullopt;
            return Cmd::QrModuleSize{static_cast<std::uint8_t>(n)};
        },
        nullptr));
    r.push_back(Rule<Cmd::QrStore>(
        qr + "D1", 3,
        [](std::string_view a) { return std::optional(Cmd::QrStore{std::string(a.substr(3))}); },
        nullptr, QrDataLength));
    r.push_back(Fixed(qr + "P", Cmd::QrPrint{}));
    return r;
}

// ESC GS S m xL xH yL yH n, then x bytes by y rows.
std::size_t RasterLength(std::string_view s) {
    if (s.size() < 9)
        return 9;
    const std::size_t bytes =
        static_cast<std::size_t>(WordAt(s, 4)) * static_cast<std::size_t>(WordAt(s, 6));
    return bytes > MaxImageBytes ? 9 : 9 + bytes;
}

TRule RasterRule() {
    return Rule<Cmd::RasterImage>(
        {ESC, GS, 'S'}, 6,
        [](std::string_view a) -> std::optional<Cmd::RasterImage> {
            const std::size_t bytes =
                static_cast<std::size_t>(WordAt(a, 1)) * static_cast<std::size_t>(WordAt(a, 3));
            if (a.size() != 6 + bytes)
                return std::nullopt;
            return Cmd::RasterImage{0, static_cast<std::uint16_t>(WordAt(a, 1)),
                                    static_cast<std::uint16_t>(WordAt(a, 3)),
                                    std::string(a.substr(6))};
        },
        nullptr, RasterLength);
}

std::vector<TRule> DeviceRules() {
    std::vector<TRule> r;
    // ESC d n: 0 full, 1 partial, 2 and 3 the same after feeding to the cutter.
    r.push_back(Rule<Cmd::Cut>(
        {ESC, 'd'}, 1,
        [](std::string_view a) -> std::optional<Cmd::Cut> {
            const int n = Digit(ByteAt(a, 0));
            if (n < 0 || n > 3)
                return std::nullopt;
            return Cmd::Cut{(n & 1) != 0, std::nullopt};
        },
        nullptr));
    r.push_back(
        Pair<Cmd::DrawerSettings>({ESC, BEL}, &Cmd::DrawerSettings::On, &Cmd::DrawerSettings::Off));
    r.push_back(Flag<Cmd::Cancel>({CAN}));
    r.push_back(BarcodeRule());
    for (TRule& rule : QrRules())
        r.push_back(std::move(rule));
    r.push_back(RasterRule());
    return r;
}

std::vector<TRule> StarLineRules() {
    std::vector<TRule> rules = StyleRules();
    for (TRule& rule : DeviceRules())
        rules.push_back(std::move(rule));
    return rules;
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
