// "EPSON": ESC/POS. The program's own commands come from its table; the rest are the commands
// receipts are made of, each read whole, parameters and image data included.
#include "Commands/ControlBytes.h"
#include "Commands/RuleKit.h"

namespace {

using namespace Ctl;
using namespace RuleKit;

// An image larger than any receipt printer's buffer is taken for stray bytes.
constexpr std::size_t MaxRaster = std::size_t{1} << 20;

// n or '0' + n.
int Digit(int n) {
    return n >= '0' ? n - '0' : n;
}

// GS V m [n]: m 65 and 66 feed n lines before the cut.
std::size_t CutLength(std::string_view s) {
    return s.size() >= 3 && (ByteAt(s, 2) == 65 || ByteAt(s, 2) == 66) ? 4 : 3;
}
// GS ( L, GS ( k: pL pH, then that many bytes.
std::size_t Prefixed(std::string_view s) {
    return s.size() < 5 ? 5 : 5 + static_cast<std::size_t>(WordAt(s, 3));
}
std::size_t RasterBytes(std::string_view args) {
    return static_cast<std::size_t>(WordAt(args, 1)) * static_cast<std::size_t>(WordAt(args, 3));
}
// GS v 0 m xL xH yL yH, then x bytes by y rows.
std::size_t RasterLength(std::string_view s) {
    if (s.size() < 8)
        return 8;
    const std::size_t bytes = RasterBytes(s.substr(3));
    return bytes > MaxRaster ? 8 : 8 + bytes;
}
// GS k m: form A data up to its NUL, form B a count n and n bytes.
std::size_t BarcodeLength(std::string_view s) {
    if (s.size() < 3)
        return 3;
    const int m = ByteAt(s, 2);
    if (m <= 6) {
        // Data ends with NUL; a barcode never holds more than 255 characters.
        if (s.size() > 3 && (s.back() == 0 || s.size() >= 3 + 256))
            return s.size();
        return s.size() + 1;
    }
    if (m >= 65 && m < 65 + SymbologyCount)
        return s.size() < 4 ? 4 : 4 + static_cast<std::size_t>(ByteAt(s, 3));
    return 3;
}

bool Fits(std::size_t size, std::size_t most, const char* what, std::string& why) {
    if (size <= most)
        return true;
    why = std::string(what) + " of " + std::to_string(size) + " bytes is more than " +
          std::to_string(most);
    return false;
}

std::vector<TRule> SeedRules() {
    std::vector<TRule> r;
    r.push_back(Flag<Cmd::LineFeed>(SeedCode(csEPSON, cwLineFeed)));
    r.push_back(Flag<Cmd::FormFeed>(SeedCode(csEPSON, cwFormFeed)));
    r.push_back(Rule<Cmd::Drawer>(
        SeedCode(csEPSON, cwOpenDrawer), 3,
        [](std::string_view a) -> std::optional<Cmd::Drawer> {
            const int pin = Digit(ByteAt(a, 0));
            if (pin < 0 || pin > 1)
                return std::nullopt;
            return Cmd::Drawer{static_cast<std::uint8_t>(pin),
                               static_cast<std::uint8_t>(ByteAt(a, 1)),
                               static_cast<std::uint8_t>(ByteAt(a, 2))};
        },
        [](const Cmd::Drawer& d, std::string& out, std::string& why) {
            if (d.Pin > 1) {
                why = "the drawer pin is 0 (connector pin 2) or 1 (pin 5)";
                return false;
            }
            PutByte(out, '0' + d.Pin);
            PutByte(out, d.On);
            PutByte(out, d.Off);
            return true;
        }));
    r.push_back(Byte<Cmd::FeedLines>(SeedCode(csEPSON, cwFeedLines)));
    r.push_back(Rule<Cmd::Cut>(
        SeedCode(csEPSON, cwCut), 1,
        [](std::string_view a) -> std::optional<Cmd::Cut> {
            const int m = ByteAt(a, 0);
            if (m == 0 || m == '0' || m == 1 || m == '1')
                return Cmd::Cut{m == 1 || m == '1', std::nullopt};
            if (m == 65 || m == 66)
                return Cmd::Cut{m == 66, static_cast<std::uint8_t>(ByteAt(a, 1))};
            return std::nullopt;
        },
        [](const Cmd::Cut& c, std::string& out, std::string&) {
            PutByte(out, c.Feed ? (c.Partial ? 66 : 65) : (c.Partial ? 1 : 0));
            if (c.Feed)
                PutByte(out, *c.Feed);
            return true;
        },
        CutLength));
    r.push_back(Byte<Cmd::CharSpacing>(FontCommand().Code));
    return r;
}

std::vector<TRule> StyleRules() {
    std::vector<TRule> r;
    r.push_back(Rule<Cmd::Align>(
        {ESC, 'a'}, 1,
        [](std::string_view a) -> std::optional<Cmd::Align> {
            const int n = Digit(ByteAt(a, 0));
            if (n < 0 || n > 2)
                return std::nullopt;
            return Cmd::Align{static_cast<TPrintAlign>(n)};
        },
        [](const Cmd::Align& v, std::string& out, std::string&) {
            PutByte(out, v.Where);
            return true;
        }));
    r.push_back(Byte<Cmd::PrintMode>({ESC, '!'}));
    r.push_back(Byte<Cmd::Underline>({ESC, '-'}));
    r.push_back(Byte<Cmd::Emphasis>({ESC, 'E'}));
    r.push_back(Byte<Cmd::DoubleStrike>({ESC, 'G'}));
    r.push_back(Byte<Cmd::CodeTable>({ESC, 't'}));
    r.push_back(Byte<Cmd::FeedDots>({ESC, 'J'}));
    return r;
}

std::vector<TRule> LayoutRules() {
    std::vector<TRule> r;
    r.push_back(Word<Cmd::AbsolutePosition>({ESC, '$'}));
    r.push_back(Rule<Cmd::PrintArea>(
        {ESC, 'W'}, 8,
        [](std::string_view a) {
            auto w = [a](std::size_t i) { return static_cast<std::uint16_t>(WordAt(a, i)); };
            return std::optional<Cmd::PrintArea>(Cmd::PrintArea{w(0), w(2), w(4), w(6)});
        },
        [](const Cmd::PrintArea& v, std::string& out, std::string&) {
            for (const int word : {v.X, v.Y, v.Width, v.Height})
                PutWord(out, word);
            return true;
        }));
    r.push_back(Byte<Cmd::PrintDirection>({ESC, 'T'}));
    r.push_back(Flag<Cmd::PageMode>({ESC, 'L'}));
    r.push_back(Flag<Cmd::StandardMode>({ESC, 'S'}));
    r.push_back(Byte<Cmd::CharSize>({GS, '!'}));
    r.push_back(Byte<Cmd::Reverse>({GS, 'B'}));
    r.push_back(Byte<Cmd::BarcodeText>({GS, 'H'}, [](int n) { return Digit(n) <= 3; }));
    r.push_back(Byte<Cmd::BarcodeHeight>({GS, 'h'}));
    r.push_back(Byte<Cmd::BarcodeWidth>({GS, 'w'}));
    r.push_back(Word<Cmd::LeftMargin>({GS, 'L'}));
    r.push_back(Word<Cmd::PrintWidth>({GS, 'W'}));
    r.push_back(Word<Cmd::VerticalPosition>({GS, '$'}));
    r.push_back(Word<Cmd::RelativeVertical>({GS, '\\'}));
    return r;
}

TRule RasterRule() {
    return Rule<Cmd::RasterImage>(
        {GS, 'v', '0'}, 5,
        [](std::string_view a) -> std::optional<Cmd::RasterImage> {
            if (a.size() < 5 || RasterBytes(a) > MaxRaster)
                return std::nullopt;
            return Cmd::RasterImage{
                static_cast<std::uint8_t>(ByteAt(a, 0)), static_cast<std::uint16_t>(WordAt(a, 1)),
                static_cast<std::uint16_t>(WordAt(a, 3)), std::string(a.substr(5))};
        },
        [](const Cmd::RasterImage& v, std::string& out, std::string& why) {
            const std::size_t size = std::size_t{v.WidthBytes} * v.Height;
            if (v.Data.size() != size) {
                why = "the image holds " + std::to_string(v.Data.size()) + " bytes, not " +
                      std::to_string(v.WidthBytes) + " x " + std::to_string(v.Height);
                return false;
            }
            if (!Fits(size, MaxRaster, "an image", why))
                return false;
            PutByte(out, v.Mode);
            PutWord(out, v.WidthBytes);
            PutWord(out, v.Height);
            out += v.Data;
            return true;
        },
        RasterLength);
}

TRule BarcodeRule() {
    return Rule<Cmd::Barcode>(
        {GS, 'k'}, 1,
        [](std::string_view a) -> std::optional<Cmd::Barcode> {
            const int m = ByteAt(a, 0);
            if (m <= 6 && a.size() >= 2 && a.back() == 0)
                return Cmd::Barcode{static_cast<TSymbology>(m),
                                    std::string(a.substr(1, a.size() - 2))};
            if (m >= 65 && m < 65 + SymbologyCount)
                return Cmd::Barcode{static_cast<TSymbology>(m - 65), std::string(a.substr(2))};
            return std::nullopt;
        },
        // Form B: its count carries any byte, NUL included.
        [](const Cmd::Barcode& v, std::string& out, std::string& why) {
            if (v.Kind >= SymbologyCount) {
                why = "no such barcode system";
                return false;
            }
            if (!Fits(v.Data.size(), 255, "barcode data", why))
                return false;
            PutByte(out, 65 + v.Kind);
            PutByte(out, static_cast<int>(v.Data.size()));
            out += v.Data;
            return true;
        },
        BarcodeLength);
}

std::optional<TCommand> ReadTwoD(std::string_view body);

// Writes a body with its pL pH.
bool PutBody(std::string& out, const std::string& body, std::string& why) {
    if (!Fits(body.size(), 0xFFFF, "a body", why))
        return false;
    PutWord(out, static_cast<int>(body.size()));
    out += body;
    return true;
}

// GS ( k with cn 49 and a function's fixed parameters.
std::string QrBody(int fn, std::initializer_list<int> params) {
    std::string body{'1', static_cast<char>(fn)};
    for (const int p : params)
        PutByte(body, p);
    return body;
}

// A QR code function: written with its own body, read by the one GS ( k rule.
template <class T> TRule QrWriter(std::function<std::string(const T&)> body) {
    TRule rule = Rule<T>(
        {GS, '(', 'k'}, 2, nullptr,
        [body = std::move(body)](const T& v, std::string& out, std::string& why) {
            return PutBody(out, body(v), why);
        },
        Prefixed);
    rule.Read = nullptr;
    return rule;
}

TRule TwoDRule() {
    TRule rule = Rule<Cmd::TwoDCode>(
        {GS, '(', 'k'}, 2, nullptr,
        [](const Cmd::TwoDCode& v, std::string& out, std::string& why) {
            // A body that reads as a QR code command is written as that command.
            if (!std::holds_alternative<Cmd::TwoDCode>(*ReadTwoD(v.Body))) {
                why = "that body is a QR code command";
                return false;
            }
            return PutBody(out, v.Body, why);
        },
        Prefixed);
    rule.Read = [](std::string_view a) {
        return ReadTwoD(a.substr(std::min<std::size_t>(2, a.size())));
    };
    return rule;
}

std::optional<TCommand> ReadTwoD(std::string_view body) {
    const int fn = ByteAt(body, 1), m = ByteAt(body, 2);
    if (ByteAt(body, 0) == '1' && body.size() >= 2) {
        if (fn == 65 && body.size() == 4 && ByteAt(body, 3) == 0)
            return Cmd::QrModel{static_cast<std::uint8_t>(m)};
        if (fn == 67 && body.size() == 3)
            return Cmd::QrModuleSize{static_cast<std::uint8_t>(m)};
        if (fn == 69 && body.size() == 3)
            return Cmd::QrErrorLevel{static_cast<std::uint8_t>(m)};
        if (fn == 80 && body.size() >= 3 && m == '0')
            return Cmd::QrStore{std::string(body.substr(3))};
        if (fn == 81 && body.size() == 3 && m == '0')
            return Cmd::QrPrint{};
    }
    return Cmd::TwoDCode{std::string(body)};
}

std::vector<TRule> SymbolRules() {
    std::vector<TRule> r;
    r.push_back(RasterRule());
    TRule graphics = Rule<Cmd::Graphics>(
        {GS, '(', 'L'}, 2,
        [](std::string_view a) {
            return std::optional<Cmd::Graphics>(
                Cmd::Graphics{std::string(a.substr(std::min<std::size_t>(2, a.size())))});
        },
        [](const Cmd::Graphics& v, std::string& out, std::string& why) {
            return PutBody(out, v.Body, why);
        },
        Prefixed);
    r.push_back(std::move(graphics));
    r.push_back(TwoDRule());
    r.push_back(QrWriter<Cmd::QrModel>([](const Cmd::QrModel& v) { return QrBody(65, {v.N, 0}); }));
    r.push_back(
        QrWriter<Cmd::QrModuleSize>([](const Cmd::QrModuleSize& v) { return QrBody(67, {v.N}); }));
    r.push_back(
        QrWriter<Cmd::QrErrorLevel>([](const Cmd::QrErrorLevel& v) { return QrBody(69, {v.N}); }));
    r.push_back(
        QrWriter<Cmd::QrStore>([](const Cmd::QrStore& v) { return QrBody(80, {'0'}) + v.Data; }));
    r.push_back(QrWriter<Cmd::QrPrint>([](const Cmd::QrPrint&) { return QrBody(81, {'0'}); }));
    r.push_back(BarcodeRule());
    return r;
}

// GS ( A pL pH n m: the printer's test print; a body of other values is not one.
TRule SelfTestRule() {
    auto valid = [](int paper, int type) {
        return Digit(paper) >= 0 && Digit(paper) <= 2 && Digit(type) >= 1 && Digit(type) <= 3;
    };
    return Rule<Cmd::SelfTest>(
        {GS, '(', 'A'}, 2,
        [valid](std::string_view a) -> std::optional<Cmd::SelfTest> {
            if (a.size() != 4 || WordAt(a, 0) != 2 || !valid(ByteAt(a, 2), ByteAt(a, 3)))
                return std::nullopt;
            return Cmd::SelfTest{static_cast<std::uint8_t>(ByteAt(a, 2)),
                                 static_cast<std::uint8_t>(ByteAt(a, 3))};
        },
        [valid](const Cmd::SelfTest& v, std::string& out, std::string& why) {
            if (!valid(v.Paper, v.Type)) {
                why = "the self-test takes paper 0 to 2 and test 1 to 3";
                return false;
            }
            return PutBody(out, std::string{static_cast<char>(v.Paper), static_cast<char>(v.Type)},
                           why);
        },
        Prefixed);
}

std::vector<TRule> StatusRules() {
    std::vector<TRule> r;
    r.push_back(Byte<Cmd::RealTimeStatus>({DLE, EOT}, [](int n) { return n >= 1 && n <= 4; }));
    r.push_back(Byte<Cmd::AutoStatus>({GS, 'a'}));
    r.push_back(Byte<Cmd::SensorStatus>(
        {GS, 'r'}, [](int n) { return n == 1 || n == 2 || n == '1' || n == '2'; }));
    r.push_back(Byte<Cmd::Identity>(
        {GS, 'I'}, [](int n) { return (n >= 1 && n <= 3) || (n >= 0x41 && n <= 0x45); }));
    r.push_back(SelfTestRule());
    return r;
}

// Font, line spacing and the double-byte mode.
std::vector<TRule> TextRules() {
    std::vector<TRule> r;
    r.push_back(Byte<Cmd::Font>({ESC, 'M'}));
    r.push_back(Rule<Cmd::LineSpacing>(
        {ESC, '2'}, 0, [](std::string_view) { return std::optional(Cmd::LineSpacing{}); },
        [](const Cmd::LineSpacing& v, std::string&, std::string&) { return !v.Dots; }));
    r.push_back(Rule<Cmd::LineSpacing>(
        {ESC, '3'}, 1,
        [](std::string_view a) {
            return std::optional(Cmd::LineSpacing{static_cast<std::uint8_t>(ByteAt(a, 0))});
        },
        [](const Cmd::LineSpacing& v, std::string& out, std::string&) {
            if (!v.Dots)
                return false;
            PutByte(out, *v.Dots);
            return true;
        }));
    for (const bool on : {true, false})
        r.push_back(Rule<Cmd::ChineseMode>(
            {FS, on ? '&' : '.'}, 0,
            [on](std::string_view) { return std::optional(Cmd::ChineseMode{on}); },
            [on](const Cmd::ChineseMode& v, std::string&, std::string&) { return v.On == on; }));
    return r;
}

} // namespace

std::vector<TRule> EscPosRules() {
    std::vector<TRule> rules;
    for (auto part : {SeedRules, StyleRules, LayoutRules, SymbolRules, StatusRules, TextRules})
        for (TRule& rule : part())
            rules.push_back(std::move(rule));
    rules.push_back(Flag<Cmd::Init>({ESC, '@'}));
    rules.push_back(Flag<Cmd::CarriageReturn>({CR}));
    return rules;
}
