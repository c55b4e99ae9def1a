#include "Commands/CommandText.h"

#include "Commands/ControlBytes.h"
#include "Commands/Grammar.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace {

bool IsHex(QChar c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(QChar c) {
    const char l = c.toLatin1();
    return l <= '9' ? l - '0' : (l | 0x20) - 'a' + 10;
}

class TParser {
  public:
    TParser(const QString& text, const TCodePage& page) : FText(text), FPage(page) {}
    TCommandText Run();

  private:
    bool Fail(TTextProblem problem, qsizetype at, QString item);
    bool Token(qsizetype& i);
    bool Word(qsizetype start, qsizetype end);
    bool Hex(const QString& word, qsizetype at);
    bool TextRun(qsizetype from, qsizetype end, bool quoted, qsizetype& next);
    bool Escape(qsizetype& i, qsizetype end);
    bool Characters(qsizetype at, const QString& chars);

    const QString& FText;
    const TCodePage& FPage;
    std::string FBytes;
    TCommandText FResult;
};

TCommandText TParser::Run() {
    qsizetype i = 0;
    while (i < FText.size()) {
        if (FText[i].isSpace()) {
            ++i;
            continue;
        }
        if (!Token(i))
            return FResult;
    }
    if (FBytes.empty()) {
        Fail(tpEmpty, 0, {});
        return FResult;
    }
    FResult.Ok = true;
    FResult.Bytes = std::move(FBytes);
    return FResult;
}

bool TParser::Fail(TTextProblem problem, qsizetype at, QString item) {
    FResult = TCommandText{};
    FResult.Problem = problem;
    FResult.Position = at;
    FResult.Item = std::move(item);
    return false;
}

// One token from i (not a space); i moves past it.
bool TParser::Token(qsizetype& i) {
    if (FText[i] == '"')
        return TextRun(i + 1, FText.size(), true, i);
    qsizetype end = i;
    while (end < FText.size() && !FText[end].isSpace())
        ++end;
    const qsizetype start = i;
    i = end;
    return Word(start, end);
}

bool TParser::Word(qsizetype start, qsizetype end) {
    const QString word = FText.mid(start, end - start);
    bool allHex = true;
    for (const QChar c : word)
        allHex = allHex && IsHex(c);
    if (allHex && word.size() > 1)
        return Hex(word, start);
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        const QString digits = word.mid(2);
        if (digits.size() > 2 || !std::all_of(digits.begin(), digits.end(), IsHex))
            return Fail(tpBadHex, start, word);
        FBytes.push_back(static_cast<char>(digits.toInt(nullptr, 16)));
        return true;
    }
    if (const auto control = ControlByName(word.toStdString())) {
        FBytes.push_back(static_cast<char>(*control));
        return true;
    }
    if (word.contains('\\')) {
        qsizetype next = end;
        return TextRun(start, end, false, next);
    }
    // One character (a surrogate pair is one); one digit is its number.
    if (word.size() == 1 || (word.size() == 2 && word[0].isHighSurrogate())) {
        if (word[0] >= '0' && word[0] <= '9') {
            FBytes.push_back(static_cast<char>(word[0].toLatin1() - '0'));
            return true;
        }
        return Characters(start, word);
    }
    return Fail(tpUnknownWord, start, word);
}

bool TParser::Hex(const QString& word, qsizetype at) {
    if (word.size() % 2 != 0)
        return Fail(tpOddHex, at, word);
    for (qsizetype k = 0; k < word.size(); k += 2)
        FBytes.push_back(static_cast<char>(HexValue(word[k]) * 16 + HexValue(word[k + 1])));
    return true;
}

// Text from `from` with escapes, up to end or (quoted) the closing quote; next is after it.
bool TParser::TextRun(qsizetype from, qsizetype end, bool quoted, qsizetype& next) {
    qsizetype segment = from;
    for (qsizetype i = from; i < end;) {
        const QChar c = FText[i];
        if (c != '\\' && !(quoted && c == '"')) {
            ++i;
            continue;
        }
        if (!Characters(segment, FText.mid(segment, i - segment)))
            return false;
        if (c == '"') {
            next = i + 1;
            return true;
        }
        if (!Escape(i, end))
            return false;
        segment = i;
    }
    if (quoted)
        return Fail(tpOpenQuote, from - 1, QStringLiteral("\""));
    next = end;
    return Characters(segment, FText.mid(segment, end - segment));
}

// The escape at i (a backslash); i moves past it.
bool TParser::Escape(qsizetype& i, qsizetype end) {
    const qsizetype at = i;
    const QChar kind = i + 1 < end ? FText[i + 1] : QChar();
    static const char simple[][2] = {{'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                                     {'\\', '\\'}, {'"', '"'},  {'0', '\0'}};
    for (const auto& [letter, byte] : simple)
        if (kind == QLatin1Char(letter)) {
            FBytes.push_back(byte);
            i += 2;
            return true;
        }
    if (kind == 'x' && i + 3 < end && IsHex(FText[i + 2]) && IsHex(FText[i + 3])) {
        FBytes.push_back(static_cast<char>(HexValue(FText[i + 2]) * 16 + HexValue(FText[i + 3])));
        i += 4;
        return true;
    }
    return Fail(tpBadEscape, at, FText.mid(at, kind == 'x' ? 4 : 2));
}

// Characters of text at `at`, in the code page; one it lacks is an error, never a "?".
bool TParser::Characters(qsizetype at, const QString& chars) {
    if (chars.isEmpty())
        return true;
    std::vector<qsizetype> unmapped;
    const std::string bytes = FPage.Encode(chars, &unmapped);
    if (!unmapped.empty()) {
        const qsizetype k = unmapped.front();
        const qsizetype width = chars[k].isHighSurrogate() ? 2 : 1;
        return Fail(tpUnmappable, at + k, chars.mid(k, width));
    }
    FBytes += bytes;
    return true;
}

} // namespace

TCommandText ParseCommandText(const QString& text, const TCodePage& codePage) {
    return TParser(text, codePage).Run();
}

std::string CommandTextProblem(const TCommandText& parsed) {
    const std::string item = parsed.Item.toStdString();
    std::string what;
    switch (parsed.Problem) {
    case tpNone:
        return {};
    case tpEmpty:
        return "nothing to send";
    case tpOddHex:
        what = item + ": hex digits come in pairs";
        break;
    case tpBadHex:
        what = item + ": 0x takes one or two hex digits";
        break;
    case tpUnknownWord:
        what = item + " is not hex, a control name, a character or quoted text";
        break;
    case tpOpenQuote:
        what = "the quote does not end";
        break;
    case tpBadEscape:
        what = item + " is not an escape (\\xHH \\n \\r \\t \\\\ \\\" \\0)";
        break;
    case tpUnmappable:
        what = item + " is not in the printer's code page";
        break;
    }
    return "column " + std::to_string(parsed.Position + 1) + ": " + what;
}

namespace {

QString HexWord(unsigned char b) {
    static const char digits[] = "0123456789ABCDEF";
    return QString(QChar(digits[b >> 4])) + QChar(digits[b & 15]);
}

// A byte a word of its own reads back as: a printable character other than a digit (which
// would be a number), a quote or a backslash.
bool CharacterWord(unsigned char b) {
    return b > 0x20 && b < 0x7F && !(b >= '0' && b <= '9') && b != '"' && b != '\\';
}

// A control byte by its name, unless the name reads as hex (FF is the byte FF).
QString LeadWord(unsigned char b) {
    const char* name = ControlName(b);
    if (name &&
        !std::all_of(name, name + std::strlen(name), [](char c) { return IsHex(QChar(c)); }))
        return QString::fromLatin1(name);
    return CharacterWord(b) ? QString(QChar(b)) : HexWord(b);
}

QString ArgumentWord(unsigned char b) {
    if (b <= 9)
        return QString::number(b);
    return CharacterWord(b) ? QString(QChar(b)) : HexWord(b);
}

// The rule of the command that starts the bytes, when they hold all of it.
const TRule* CommandAt(const TGrammar& grammar, std::string_view bytes, std::size_t& length) {
    for (const TRule* rule : grammar.Starting(static_cast<unsigned char>(bytes[0]))) {
        if (bytes.substr(0, rule->Prefix.size()) != rule->Prefix)
            continue;
        length = rule->LengthOf(bytes);
        if (length <= bytes.size())
            return rule;
    }
    return nullptr;
}

QString QuotedText(std::string_view text) {
    QString out = QStringLiteral("\"");
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += QChar(c);
    }
    return out + '"';
}

} // namespace

QString FormatCommandText(std::string_view bytes, TCommandSet set) {
    const TGrammar& grammar = GrammarOf(set);
    QStringList words;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 && b < 0x7F) {
            std::size_t end = i;
            while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] < 0x7F)
                ++end;
            words << QuotedText(bytes.substr(i, end - i));
            i = end;
            continue;
        }
        std::size_t length = 0;
        const TRule* rule = b < 0x20 ? CommandAt(grammar, bytes.substr(i), length) : nullptr;
        if (!rule) {
            words << LeadWord(b);
            ++i;
            continue;
        }
        for (std::size_t k = 0; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            words << (k < rule->Prefix.size() ? LeadWord(c) : ArgumentWord(c));
        }
        i += length;
    }
    return words.join(' ');
}
