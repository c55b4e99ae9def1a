#include "Decoder.h"

#include "DeviceIo/Devices.h"

#include <QString>
#include <algorithm>

namespace {

constexpr char ESC = 0x1B, GS = 0x1D, DLE = 0x10, EOT = 0x04;
constexpr unsigned char LF = 0x0A, FF = 0x0C, CR = 0x0D;

// A mismatching byte that cannot start anything of its own belongs to the unknown command.
bool Swallowed(unsigned char b) {
    return b >= 0x20 && b <= 0x7E;
}

std::string Num(int n) {
    return std::to_string(n);
}

} // namespace

enum class Decoder::Op {
    FeedN,
    AlignN,
    Drawer,
    CutGsV,
    Font,
    Init,
    CutN,
    PageEnd,
    Marker,
    RealTimeStatus,
    AutoStatus,
    SensorStatus,
    Identity
};

// A command: its code, how many argument bytes follow, what it does, and the word of the
// program's table it came from (none for what only the printer knows).
struct Decoder::Pattern {
    std::string prefix;
    std::size_t args;
    Op op;
    std::optional<TCommandWord> word;
    // The whole command's length from the bytes read so far (more than their count while it
    // cannot be told yet), for commands whose parameters say how long they are.
    std::size_t (*length)(const std::string& seq) = nullptr;
    // The marker of a command that only shows on paper; empty when the bytes make no sense.
    std::string (*marker)(const std::string& seq) = nullptr;
};

std::optional<CommandSet> CommandSetByName(const std::string& name) {
    QString n = QString::fromStdString(name).toUpper();
    if (n == "EPSON")
        return CommandSet::Epson;
    if (n == "START")
        return CommandSet::Start;
    if (n == "TP-3688")
        return CommandSet::Tp3688;
    return std::nullopt;
}

const char* CommandSetName(CommandSet set) {
    switch (set) {
    case CommandSet::Epson:
        return "EPSON";
    case CommandSet::Start:
        return "START";
    case CommandSet::Tp3688:
        return "TP-3688";
    }
    return "";
}

TCommandSet TableSet(CommandSet set) {
    switch (set) {
    case CommandSet::Start:
        return csSTART;
    case CommandSet::Tp3688:
        return csTP3688;
    case CommandSet::Epson:
        break;
    }
    return csEPSON;
}

namespace {

// What a command of the table does on paper. GS V is the ESC/POS cut with its mode byte.
std::optional<Decoder::Op> OpOf(TCommandWord word, const std::string& code) {
    using Op = Decoder::Op;
    switch (word) {
    case cwLineFeed:
    case cwFeedLines:
        return Op::FeedN;
    case cwFormFeed:
        return Op::PageEnd;
    case cwOpenDrawer:
        return Op::Drawer;
    case cwCut:
        return code == std::string{GS, 'V'} ? Op::CutGsV : Op::CutN;
    case cwFont:
        return Op::Font;
    case cwPrint:
        break;
    }
    return std::nullopt;
}

} // namespace

namespace {

int ArgByte(const std::string& seq, std::size_t i) {
    return i < seq.size() ? static_cast<unsigned char>(seq[i]) : 0;
}
int ArgWord(const std::string& seq, std::size_t i) {
    return ArgByte(seq, i) + 256 * ArgByte(seq, i + 1);
}
// 0/1 and '0'/'1' switch a mode off and on.
std::string OnOff(const std::string& what, int n) {
    return what + ((n & 1) ? " on" : " off");
}

// GS ( L, GS ( k: pL pH, then that many bytes.
std::size_t Prefixed(const std::string& seq) {
    return seq.size() < 5 ? 5 : 5 + static_cast<std::size_t>(ArgWord(seq, 3));
}
// An image larger than any receipt printer's buffer is taken for stray bytes.
constexpr std::size_t MaxRaster = std::size_t{1} << 20;
std::size_t RasterBytes(const std::string& seq) {
    return static_cast<std::size_t>(ArgWord(seq, 4)) * static_cast<std::size_t>(ArgWord(seq, 6));
}
// GS v 0 m xL xH yL yH, then x bytes by y rows.
std::size_t Raster(const std::string& seq) {
    if (seq.size() < 8)
        return 8;
    return RasterBytes(seq) > MaxRaster ? 8 : 8 + RasterBytes(seq);
}
// GS k m: form A data up to its NUL, form B a count n and n bytes.
std::size_t Barcode(const std::string& seq) {
    if (seq.size() < 3)
        return 3;
    const int m = ArgByte(seq, 2);
    if (m <= 6) {
        // Data ends with NUL; a barcode never holds more than 255 characters.
        if (seq.size() > 3 && (seq.back() == 0 || seq.size() >= 3 + 256))
            return seq.size();
        return seq.size() + 1;
    }
    if (m >= 65 && m <= 73)
        return seq.size() < 4 ? 4 : 4 + static_cast<std::size_t>(ArgByte(seq, 3));
    return 3;
}

std::string BarcodeMarker(const std::string& seq) {
    static const char* const names[] = {"UPC-A", "UPC-E",   "JAN13",  "JAN8",   "CODE39",
                                        "ITF",   "CODABAR", "CODE93", "CODE128"};
    const int m = ArgByte(seq, 2);
    std::string data;
    int kind = -1;
    if (m <= 6 && !seq.empty() && seq.back() == 0) {
        kind = m;
        data = seq.substr(3, seq.size() - 4);
    } else if (m >= 65 && m <= 73) {
        kind = m - 65;
        data = seq.substr(4);
    }
    if (kind < 0)
        return {};
    for (char& c : data)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '.';
    return std::string("barcode ") + names[kind] + " " + data;
}

std::string TwoDimensionalMarker(const std::string& seq) {
    const int cn = ArgByte(seq, 5), fn = ArgByte(seq, 6);
    const int size = ArgWord(seq, 3);
    if (cn == 49 && fn == 80)
        return "QR " + std::to_string(size - 3) + " bytes";
    if (cn == 49 && fn == 81)
        return "QR print";
    if (cn == 49)
        return "QR setting";
    return "2D code " + std::to_string(size) + " bytes";
}

} // namespace

// The ESC/POS commands the program never sends but receipts are made of: each is read whole,
// parameters and image data included, and shows as a marker.
void Decoder::AddEscPos(std::vector<Pattern>& p) {
    using Op = Decoder::Op;
    auto marker = [&p](std::string prefix, std::size_t args,
                       std::string (*text)(const std::string&),
                       std::size_t (*length)(const std::string&) = nullptr) {
        p.push_back({std::move(prefix), args, Op::Marker, std::nullopt, length, text});
    };
    marker({ESC, '!'}, 1,
           [](const std::string& s) { return "print mode " + std::to_string(ArgByte(s, 2)); });
    marker({ESC, '-'}, 1, [](const std::string& s) {
        const int n = ArgByte(s, 2) >= '0' ? ArgByte(s, 2) - '0' : ArgByte(s, 2);
        return n == 2 ? std::string("underline 2 dots") : OnOff("underline", n);
    });
    marker({ESC, 'E'}, 1, [](const std::string& s) { return OnOff("bold", ArgByte(s, 2)); });
    marker({ESC, 'G'}, 1,
           [](const std::string& s) { return OnOff("double strike", ArgByte(s, 2)); });
    marker({ESC, 't'}, 1,
           [](const std::string& s) { return "code table " + std::to_string(ArgByte(s, 2)); });
    marker({ESC, 'J'}, 1,
           [](const std::string& s) { return "feed " + std::to_string(ArgByte(s, 2)) + " dots"; });
    marker({ESC, '$'}, 2,
           [](const std::string& s) { return "position " + std::to_string(ArgWord(s, 2)); });
    marker({ESC, 'W'}, 8, [](const std::string& s) {
        return "print area " + std::to_string(ArgWord(s, 6)) + "x" + std::to_string(ArgWord(s, 8)) +
               " at " + std::to_string(ArgWord(s, 2)) + "," + std::to_string(ArgWord(s, 4));
    });
    marker({ESC, 'T'}, 1,
           [](const std::string& s) { return "direction " + std::to_string(ArgByte(s, 2) & 3); });
    marker({ESC, 'L'}, 0, [](const std::string&) { return std::string("page mode"); });
    marker({ESC, 'S'}, 0, [](const std::string&) { return std::string("standard mode"); });
    marker({GS, '!'}, 1, [](const std::string& s) {
        return "size " + std::to_string((ArgByte(s, 2) >> 4) + 1) + "x" +
               std::to_string((ArgByte(s, 2) & 7) + 1);
    });
    marker({GS, 'B'}, 1, [](const std::string& s) { return OnOff("reverse", ArgByte(s, 2)); });
    marker({GS, 'H'}, 1, [](const std::string& s) {
        static const char* const where[] = {"none", "above", "below", "both"};
        const int n = ArgByte(s, 2) >= '0' ? ArgByte(s, 2) - '0' : ArgByte(s, 2);
        return n <= 3 ? std::string("barcode text ") + where[n] : std::string();
    });
    marker({GS, 'h'}, 1,
           [](const std::string& s) { return "barcode height " + std::to_string(ArgByte(s, 2)); });
    marker({GS, 'w'}, 1,
           [](const std::string& s) { return "barcode width " + std::to_string(ArgByte(s, 2)); });
    marker({GS, 'L'}, 2,
           [](const std::string& s) { return "left margin " + std::to_string(ArgWord(s, 2)); });
    marker({GS, 'W'}, 2,
           [](const std::string& s) { return "print width " + std::to_string(ArgWord(s, 2)); });
    marker({GS, '$'}, 2, [](const std::string& s) {
        return "vertical position " + std::to_string(ArgWord(s, 2));
    });
    marker({GS, '\\'}, 2, [](const std::string& s) {
        return "relative vertical position " +
               std::to_string(static_cast<std::int16_t>(ArgWord(s, 2)));
    });
    marker(
        {GS, 'v', '0'}, 0,
        [](const std::string& s) {
            if (RasterBytes(s) > MaxRaster)
                return std::string();
            return "image " + std::to_string(ArgWord(s, 4) * 8) + "x" +
                   std::to_string(ArgWord(s, 6));
        },
        Raster);
    marker(
        {GS, '(', 'L'}, 0,
        [](const std::string& s) { return "graphics " + std::to_string(ArgWord(s, 3)) + " bytes"; },
        Prefixed);
    marker({GS, '(', 'k'}, 0, TwoDimensionalMarker, Prefixed);
    marker({GS, 'k'}, 0, BarcodeMarker, Barcode);
    p.push_back({{DLE, EOT}, 1, Op::RealTimeStatus, std::nullopt});
    p.push_back({{GS, 'a'}, 1, Op::AutoStatus, std::nullopt});
    p.push_back({{GS, 'r'}, 1, Op::SensorStatus, std::nullopt});
    p.push_back({{GS, 'I'}, 1, Op::Identity, std::nullopt});
}

const std::vector<Decoder::Pattern>& Decoder::Table(CommandSet set) {
    // The program's commands first, from its own table; then what only the printer knows.
    auto build = [](CommandSet s) {
        std::vector<Pattern> patterns;
        for (int w = 0; w < CommandWordCount; ++w) {
            const auto word = static_cast<TCommandWord>(w);
            const TCommandCode& code = CommandCode(TableSet(s), word);
            const std::optional<Op> op = OpOf(word, code.Code);
            if (!code.Supported || code.Code.size() < 2 || !op)
                continue;
            patterns.push_back(
                {code.Code, code.Args.size() + (code.TakesCount ? 1u : 0u), *op, word});
        }
        if (s == CommandSet::Epson) {
            patterns.push_back({{ESC, 'a'}, 1, Op::AlignN, std::nullopt});
            AddEscPos(patterns);
        }
        patterns.push_back({{ESC, '@'}, 0, Op::Init, std::nullopt});
        return patterns;
    };
    static const std::vector<Pattern> epson = build(CommandSet::Epson);
    static const std::vector<Pattern> start = build(CommandSet::Start);
    static const std::vector<Pattern> tp3688 = build(CommandSet::Tp3688);
    switch (set) {
    case CommandSet::Start:
        return start;
    case CommandSet::Tp3688:
        return tp3688;
    case CommandSet::Epson:
        break;
    }
    return epson;
}

std::optional<TCommandWord> Decoder::SingleByteCommand(unsigned char b) const {
    for (int w = 0; w < CommandWordCount; ++w) {
        const auto word = static_cast<TCommandWord>(w);
        const TCommandCode& code = CommandCode(TableSet(set_), word);
        if (code.Supported && code.Code.size() == 1 && code.Args.empty() && !code.TakesCount &&
            static_cast<unsigned char>(code.Code[0]) == b && word != cwPrint)
            return word;
    }
    return std::nullopt;
}

void Decoder::Read(TCommandWord word) {
    if (onCommand_)
        onCommand_(word);
}

Decoder::Decoder(CommandSet set, TextCodec& codec, Paper& paper)
    : set_(set), codec_(codec), paper_(paper) {}

void Decoder::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        Byte(static_cast<unsigned char>(data[i]));
}

void Decoder::Byte(unsigned char b) {
    const std::uint64_t at = offset_++;
    if (!seq_.empty()) {
        seq_.push_back(static_cast<char>(b));
        const Pattern* p = nullptr;
        switch (Check(&p)) {
        case Match::More:
            return;
        case Match::Done: {
            std::string seq = std::move(seq_);
            seq_.clear();
            Execute(*p, seq);
            return;
        }
        case Match::Mismatch:
            if (Swallowed(b)) {
                std::string seq = std::move(seq_);
                seq_.clear();
                Unknown(seq, seqStart_);
                return;
            }
            seq_.pop_back();
            Unknown(seq_, seqStart_);
            seq_.clear();
            break; // b starts afresh
        }
    }
    if (b < 0x20)
        Control(b, at);
    else
        TextByte(b, at);
}

void Decoder::TextByte(unsigned char b, std::uint64_t at) {
    textPending_ = true;
    if (runBytes_.empty())
        runStart_ = at;
    runBytes_.push_back(static_cast<char>(b));
    std::vector<Glyph> glyphs;
    codec_.Push(b, glyphs);
    for (const Glyph& g : glyphs) {
        runText_ += g.utf8;
        paper_.AddText(g);
    }
}

void Decoder::EndText() {
    std::vector<Glyph> glyphs;
    codec_.Flush(glyphs);
    for (const Glyph& g : glyphs) {
        runText_ += g.utf8;
        paper_.AddText(g);
    }
    if (!runBytes_.empty())
        paper_.Trace(runStart_, runBytes_, "text \"" + runText_ + "\"");
    runBytes_.clear();
    runText_.clear();
}

void Decoder::Control(unsigned char b, std::uint64_t at) {
    EndText();
    const std::string one(1, static_cast<char>(b));
    const std::optional<TCommandWord> word = SingleByteCommand(b);
    // Every printer prints on LF and ends the page on FF; the table names what they were.
    switch (b) {
    case LF:
        paper_.Trace(at, one, "line feed");
        paper_.PrintLine();
        if (word == cwLineFeed)
            Read(textPending_ && CommandCode(TableSet(set_), cwPrint).Supported ? cwPrint
                                                                                : cwLineFeed);
        textPending_ = false;
        return;
    case FF:
        paper_.Trace(at, one, "form feed");
        paper_.PageEnd();
        textPending_ = false;
        if (word)
            Read(*word);
        return;
    case CR:
        // Printers on a serial line ignore CR unless told to feed on it.
        paper_.Trace(at, one, "carriage return (ignored)");
        return;
    case ESC:
    case GS:
        seq_ = one;
        seqStart_ = at;
        return;
    default:
        break;
    }
    if (StartsCommand(b)) {
        seq_ = one;
        seqStart_ = at;
        return;
    }
    if (word == cwOpenDrawer) {
        paper_.Trace(at, one, "drawer pulse");
        paper_.Note("drawer pulse");
        Read(*word);
        return;
    }
    Unknown(one, at);
}

Decoder::Match Decoder::Check(const Pattern** found) const {
    bool prefix = false;
    for (const Pattern& p : Table(set_)) {
        const std::size_t common = std::min(seq_.size(), p.prefix.size());
        if (seq_.compare(0, common, p.prefix, 0, common) != 0)
            continue;
        if (seq_.size() < p.prefix.size()) {
            prefix = true;
            continue;
        }
        std::size_t need = p.length ? p.length(seq_) : p.prefix.size() + p.args;
        // GS V 65 n and GS V 66 n feed n lines before the cut.
        if (p.op == Op::CutGsV && seq_.size() > p.prefix.size() &&
            (seq_[p.prefix.size()] == 65 || seq_[p.prefix.size()] == 66))
            ++need;
        *found = &p;
        return seq_.size() < need ? Match::More : Match::Done;
    }
    return prefix ? Match::More : Match::Mismatch;
}

void Decoder::Execute(const Pattern& p, const std::string& seq) {
    if (!Perform(p, seq)) {
        Unknown(seq, seqStart_);
        return;
    }
    if (p.word)
        Read(*p.word);
}

bool Decoder::Perform(const Pattern& p, const std::string& seq) {
    const std::size_t at = p.prefix.size();
    const int n = at < seq.size() ? static_cast<unsigned char>(seq[at]) : 0;
    switch (p.op) {
    case Op::FeedN:
        paper_.Trace(seqStart_, seq, FeedText(n));
        paper_.FeedLines(n);
        return true;
    case Op::AlignN: {
        static const char* names[] = {"left", "center", "right"};
        const int a = n >= '0' ? n - '0' : n;
        if (a < 0 || a > 2)
            break;
        paper_.Trace(seqStart_, seq, std::string("align ") + names[a]);
        paper_.SetAlign(static_cast<Paper::Align>(a));
        paper_.Note(std::string("align ") + names[a]);
        return true;
    }
    case Op::Drawer: {
        if (seq.size() < at + 3) {
            paper_.Trace(seqStart_, seq, "drawer pulse");
            paper_.Note("drawer pulse");
            return true;
        }
        const int pin = n >= '0' ? n - '0' : n;
        if (pin < 0 || pin > 1)
            break;
        // Pulse times are in units of 2 ms.
        const int on = static_cast<unsigned char>(seq[at + 1]) * 2;
        const int off = static_cast<unsigned char>(seq[at + 2]) * 2;
        std::string what = "drawer pin " + Num(pin == 0 ? 2 : 5) + ", on " + Num(on) + " ms, off " +
                           Num(off) + " ms";
        paper_.Trace(seqStart_, seq, what);
        paper_.Note(what);
        return true;
    }
    case Op::CutGsV: {
        std::string how;
        if (n == 0 || n == '0')
            how = "full";
        else if (n == 1 || n == '1')
            how = "partial";
        else if (n == 65 || n == 66)
            how = std::string(n == 65 ? "full" : "partial") + ", feed " +
                  Num(static_cast<unsigned char>(seq[at + 1]));
        else
            break;
        paper_.Trace(seqStart_, seq, "cut " + how);
        paper_.Cut(how);
        return true;
    }
    case Op::CutN:
        paper_.Trace(seqStart_, seq, "cut n=" + Num(n));
        paper_.Cut("n=" + Num(n));
        return true;
    case Op::Font: {
        static const char* fonts[] = {"7x9", "9x9", "16x9"};
        std::string what = "font " + (n <= 2 ? std::string(fonts[n]) : "n=" + Num(n));
        paper_.Trace(seqStart_, seq, what);
        paper_.Note(what);
        return true;
    }
    case Op::Init:
        paper_.Trace(seqStart_, seq, "initialize");
        paper_.Init();
        textPending_ = false;
        return true;
    case Op::PageEnd:
        paper_.Trace(seqStart_, seq, "form feed");
        paper_.PageEnd();
        return true;
    case Op::Marker: {
        const std::string what = p.marker(seq);
        if (what.empty())
            break;
        paper_.Trace(seqStart_, seq, what);
        paper_.Note(what);
        return true;
    }
    case Op::RealTimeStatus: {
        const std::optional<std::uint8_t> answer = RealTimeStatus(state_, n);
        if (!answer)
            break;
        paper_.Trace(seqStart_, seq, "status request " + Num(n));
        paper_.Note("status request " + Num(n));
        Reply(std::string(1, static_cast<char>(*answer)));
        return true;
    }
    case Op::AutoStatus:
        autoStatus_ = n != 0;
        paper_.Trace(seqStart_, seq, OnOff("auto status", autoStatus_ ? 1 : 0));
        paper_.Note(OnOff("auto status", autoStatus_ ? 1 : 0));
        SendAutoStatus(true);
        return true;
    case Op::SensorStatus: {
        const std::optional<std::uint8_t> answer = SensorStatus(state_, n);
        if (!answer)
            break;
        const std::string what = (n == 1 || n == 49) ? "paper sensor request" : "drawer request";
        paper_.Trace(seqStart_, seq, what);
        paper_.Note(what);
        Reply(std::string(1, static_cast<char>(*answer)));
        return true;
    }
    case Op::Identity: {
        const std::optional<std::string> answer = PrinterIdentity(n);
        if (!answer)
            break;
        paper_.Trace(seqStart_, seq, "identity request " + Num(n));
        paper_.Note("identity request " + Num(n));
        Reply(*answer);
        return true;
    }
    }
    return false;
}

bool Decoder::StartsCommand(unsigned char b) const {
    for (const Pattern& p : Table(set_))
        if (p.prefix.size() > 1 && static_cast<unsigned char>(p.prefix[0]) == b)
            return true;
    return false;
}

void Decoder::Reply(const std::string& bytes) {
    if (!state_.silent && onReply_)
        onReply_(bytes);
}

void Decoder::SendAutoStatus(bool always) {
    if (!autoStatus_)
        return;
    const std::string status = AutoStatus(state_);
    if (always || status != lastAutoStatus_)
        Reply(status);
    lastAutoStatus_ = status;
}

void Decoder::SetState(const PrinterState& state) {
    state_ = state;
    SendAutoStatus(false);
}

void Decoder::Unknown(const std::string& bytes, std::uint64_t at) {
    std::string hex = HexBytes(bytes);
    paper_.Trace(at, bytes, "unknown");
    paper_.Note("unknown " + hex);
}

void Decoder::Finish() {
    if (!seq_.empty()) {
        paper_.Trace(seqStart_, seq_, "incomplete");
        paper_.Note("incomplete " + HexBytes(seq_));
        seq_.clear();
    }
    EndText();
    paper_.Finish();
}
