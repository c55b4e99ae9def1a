#include "LinkEdit/LinkFilter.h"

#include "EditCore/EditKeys.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {
int HexValue(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

int SkipBlanks(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    return i;
}

bool KeepsPasted(QChar ch, TTextType textType, bool first) {
    switch (textType) {
    case IntegerText:
        return ch == u'-' || IsAsciiDigit(ch);
    case FloatText:
        return ch == u'-' || ch == u'.' || IsAsciiDigit(ch);
    case IdentText:
        return IsIdentifierChar(ch, first);
    case NormalText:
        break;
    }
    return true;
}
} // namespace

bool IsAsciiDigit(QChar ch) {
    return ch >= u'0' && ch <= u'9';
}

bool IsIdentifierChar(QChar ch, bool first) {
    const char16_t c = ch.unicode();
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_')
        return true;
    return !first && c >= u'0' && c <= u'9';
}

bool IsPassingControlChar(char16_t ch) {
    switch (ch) {
    case CtrlA:
    case CtrlC:
    case BackspaceChar:
    case CtrlV:
    case CtrlX:
    case CtrlZ:
        return true;
    default:
        return false;
    }
}

QString FilterPastedText(const QString& text, TTextType textType) {
    QString result = text;
    // From the last character to the first, so that deleting never shifts what is still to
    // be tested; the identifier rule looks at the position a character had in the clipboard.
    for (int i = result.size() - 1; i >= 0; --i) {
        if (!KeepsPasted(result[i], textType, i == 0))
            result.remove(i, 1);
    }
    return result;
}

std::optional<std::int32_t> TextToInteger(const QString& text) {
    int i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt; // no digit
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<double> TextToDecimal(const QString& text) {
    int i = SkipBlanks(text);
    const int start = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    int digits = 0;
    while (i < text.size() && IsAsciiDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && IsAsciiDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        int exponentDigits = 0;
        while (i < text.size() && IsAsciiDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    // Only ASCII is left between start and the end, so the C conversion sees the same text;
    // its "C" locale keeps "." the decimal point whatever the user's locale says.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string ascii = text.mid(start).toStdString();
    errno = 0;
    const double value = strtod_l(ascii.c_str(), nullptr, cLocale);
    if (!std::isfinite(value) || (errno == ERANGE && std::fabs(value) > 1.0))
        return std::nullopt; // beyond the range of a double
    return value;
}

QString RepairText(const QString& text, TTextType textType) {
    switch (textType) {
    case IntegerText:
        return TextToInteger(text) ? text : QStringLiteral("0");
    case FloatText: {
        QString result = text;
        if (result.indexOf(u'.') == 0)
            result.prepend(u'0');
        const int point = result.indexOf(u'.');
        if (result.isEmpty() || (point >= 0 && point == result.size() - 1))
            result.append(u'0');
        return TextToDecimal(result) ? result : QStringLiteral("0");
    }
    case NormalText:
    case IdentText:
        break;
    }
    return text;
}
