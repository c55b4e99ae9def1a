#include "Commands/CommandTable.h"

#include "Commands/ControlBytes.h"
#include "Rtl/Strings.h"

namespace {

using namespace Ctl;

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TCommandCode Fixed(std::string code, std::string args = {}) {
    return {true, std::move(code), std::move(args), false};
}
TCommandCode Counted(std::string code) {
    return {true, std::move(code), {}, true};
}
const TCommandCode None{};

using SetTable = TCommandCode[CommandWordCount];

// Rows in TCommandWord order: print, line feed, form feed, drawer, feed n, cut, font.
const SetTable& Table(TCommandSet set) {
    static const TCommandCode font = Counted({ESC, ' '});
    static const SetTable epson{
        Fixed({LF}),
        Fixed({LF}),
        Fixed({FF}),
        Fixed({ESC, 'p'}, Bytes({0x30, 0x32, 0x64})),
        Counted({ESC, 'd'}),
        Fixed({GS, 'V'}, Bytes({0x01})),
        font,
    };
    static const SetTable start{
        Fixed({LF}),  Fixed({LF}),         Fixed({FF}),
        Fixed({BEL}), Counted({ESC, 'a'}), Fixed({ESC, 'C'}, Bytes({0x01})),
        font,
    };
    static const SetTable tp3688{
        None,
        Fixed({ESC, ESC, 'L', 'R'}, Bytes({0x01})),
        None,
        None,
        Counted({ESC, ESC, 'L', 'B'}),
        Fixed({ESC, ESC, 'C'}, Bytes({0x01})),
        font,
    };
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

} // namespace

const QStringList& CommandWords() {
    static const QStringList words{"列印", "跳行", "跳頁", "開抽屜", "跳多行", "切紙"};
    return words;
}

std::optional<TCommandWord> CommandWordOf(const QString& word) {
    const int index = IndexOfText(CommandWords(), word);
    if (index < 0)
        return std::nullopt;
    return static_cast<TCommandWord>(index);
}

const char* CommandWordName(TCommandWord word) {
    static const char* const names[CommandWordCount] = {
        "print", "line feed", "form feed", "open drawer", "feed lines", "cut", "font"};
    return word < CommandWordCount ? names[word] : "";
}

const TCommandCode& CommandCode(TCommandSet set, TCommandWord word) {
    if (set >= CommandSetCount || word >= CommandWordCount)
        return None;
    return Table(set)[word];
}

const TCommandCode& FontCommand() {
    return Table(csEPSON)[cwFont];
}

std::string EncodeCommand(const TCommandCode& code, std::int32_t count, const std::string& text) {
    if (!code.Supported)
        return {};
    std::string out = text + code.Code + code.Args;
    if (code.TakesCount)
        out.push_back(static_cast<char>(count & 0xFF));
    return out;
}

QString UnsupportedNote(TCommandWord word) {
    switch (word) {
    case cwPrint:
        return QStringLiteral(" (列印-可能會異常)！");
    case cwLineFeed:
    case cwFeedLines:
        return QStringLiteral(" (跳行-可能會異常)！");
    case cwFormFeed:
        return QStringLiteral(" (跳頁-可能會異常)！");
    case cwOpenDrawer:
        return QStringLiteral(" (開抽屜-可能會異常)！");
    case cwCut:
        return QStringLiteral(" (切紙-可能會異常)！");
    case cwFont:
        break;
    }
    return {};
}
