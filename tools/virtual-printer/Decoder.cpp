#include "Decoder.h"

#include "DeviceIo/Devices.h"

#include <QString>
#include <algorithm>

namespace {

constexpr char ESC = 0x1B, GS = 0x1D;
constexpr unsigned char LF = 0x0A, FF = 0x0C, CR = 0x0D;

// A mismatching byte that cannot start anything of its own belongs to the unknown command.
bool Swallowed(unsigned char b) {
    return b >= 0x20 && b <= 0x7E;
}

std::string Num(int n) {
    return std::to_string(n);
}

} // namespace

enum class Decoder::Op { FeedN, AlignN, Drawer, CutGsV, Font, Init, CutN, PageEnd };

// A command: its code, how many argument bytes follow, what it does, and the word of the
// program's table it came from (none for what only the printer knows).
struct Decoder::Pattern {
    std::string prefix;
    std::size_t args;
    Op op;
    std::optional<TCommandWord> word;
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
        if (s == CommandSet::Epson)
            patterns.push_back({{ESC, 'a'}, 1, Op::AlignN, std::nullopt});
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
        std::size_t need = p.prefix.size() + p.args;
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
    }
    return false;
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
