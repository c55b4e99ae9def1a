#include "NumEdit/NumberText.h"

#include "Rtl/Exceptions.h"

#include <charconv>
#include <cmath>
#include <locale.h>
#include <string>
#include <vector>

namespace {

// A magnitude as significant digits: value = 0.d1d2d3... x 10^Exp10. No trailing zeros in
// Digits; empty Digits is zero.
struct TDigits {
    std::string Digits;
    int Exp10 = 0;
};

void DropTrailingZeros(std::string& digits) {
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
}

// Keeps the first `keep` digits, rounding halves away from zero (the magnitude goes up).
void RoundDigits(TDigits& d, int keep);

// The magnitude of a finite X rounded to 18 significant digits, halves away from zero.
TDigits ToDigits(long double x) {
    TDigits d;
    if (x == 0)
        return d;
    // Ask for every digit of the exact expansion, so that a half is seen as a half: a value
    // m * 2^e (m of 64 bits) has at most 20 + 0.7 * -e significant digits when e < 0, and
    // at most the 4933 digits of the largest integer otherwise.
    int k = 0;
    std::frexp(std::fabs(x), &k);
    const int e = k - 64;
    const int precision = e < 0 ? 24 + (-e * 7) / 10 : 4940;
    // "d.ddd...de+XX", with a '.' whatever the process locale says the point is.
    std::vector<char> buffer(precision + 32);
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(x),
                                       std::chars_format::scientific, precision);
    const char* p = buffer.data();
    const char* end = written.ptr;
    d.Digits += *p++;
    if (p < end && *p == '.')
        ++p;
    while (p < end && *p >= '0' && *p <= '9')
        d.Digits += *p++;
    if (p < end && *p == 'e') {
        int exponent = 0;
        const char* from = p + 1;
        if (from < end && *from == '+')
            ++from; // from_chars takes a '-' but no '+'
        std::from_chars(from, end, exponent);
        d.Exp10 = exponent + 1;
    }
    DropTrailingZeros(d.Digits);
    RoundDigits(d, 18);
    return d;
}

// Keeps the first `keep` digits, rounding halves away from zero (the magnitude goes up).
void RoundDigits(TDigits& d, int keep) {
    if (static_cast<int>(d.Digits.size()) <= keep)
        return;
    if (keep < 0) { // everything lies below half of the last place kept
        d.Digits.clear();
        return;
    }
    const bool up = d.Digits[keep] >= '5';
    d.Digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[i] == '9')
            d.Digits[i--] = '0';
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exp10;
        } else {
            ++d.Digits[i];
        }
    }
    DropTrailingZeros(d.Digits);
    if (d.Digits.empty())
        d.Exp10 = 0;
}

char DigitAt(const TDigits& d, int index) {
    return index >= 0 && index < static_cast<int>(d.Digits.size()) ? d.Digits[index] : '0';
}

QString Grouped(const std::string& integer, QChar thousand) {
    QString out;
    const int n = static_cast<int>(integer.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += thousand;
        out += QChar(integer[i]);
    }
    return out;
}

struct TPattern {
    bool Group = false;
    int Fixed = 0;    // "0" after the point
    int Optional = 0; // "#" after the point
    bool Exponent = false;
};

TPattern ParsePattern(const QString& pattern) {
    TPattern p;
    int i = 0;
    const int n = pattern.size();
    if (i < n && pattern[i] == u',') {
        p.Group = true;
        ++i;
    }
    while (i < n && pattern[i] == u'0')
        ++i;
    if (i < n && pattern[i] == u'.') {
        ++i;
        while (i < n && pattern[i] == u'0') {
            ++p.Fixed;
            ++i;
        }
        while (i < n && pattern[i] == u'#') {
            ++p.Optional;
            ++i;
        }
    }
    p.Exponent = pattern.mid(i).startsWith(QStringLiteral("E-"));
    return p;
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Reads an ASCII literal the C way, whatever the process locale says the point is.
long double ReadAscii(const std::string& literal) {
    return strtold_l(literal.c_str(), nullptr, CLocale());
}

int CountDigitsBefore(const QString& s, QChar decimal) {
    int n = 0;
    for (QChar c : s) {
        if (c == decimal)
            break;
        if (c >= u'0' && c <= u'9')
            ++n;
    }
    return n;
}

} // namespace

QString FormatFloat(const QString& pattern, long double x, const TSeparators& seps) {
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const TPattern p = ParsePattern(pattern);
    const int places = p.Fixed + p.Optional;
    TDigits d = ToDigits(x);
    std::string integer;
    std::string fraction;
    int exponent = 0;
    if (p.Exponent) {
        RoundDigits(d, 1 + places);
        if (d.Digits.empty()) {
            integer = "0";
        } else {
            integer = std::string(1, d.Digits[0]);
            exponent = d.Exp10 - 1;
        }
        for (int i = 0; i < places; ++i)
            fraction += DigitAt(d, 1 + i);
    } else {
        RoundDigits(d, d.Exp10 + places);
        if (d.Digits.empty() || d.Exp10 <= 0)
            integer = "0";
        else
            for (int i = 0; i < d.Exp10; ++i)
                integer += DigitAt(d, i);
        for (int i = 0; i < places; ++i)
            fraction += DigitAt(d, d.Exp10 + i);
    }
    while (static_cast<int>(fraction.size()) > p.Fixed && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    if (x < 0) // also when it rounds to zero: "-0.00"
        out += u'-';
    out += p.Group ? Grouped(integer, seps.Thousand) : QString::fromLatin1(integer);
    if (!fraction.empty()) {
        out += seps.Decimal;
        out += QString::fromLatin1(fraction);
    }
    if (p.Exponent) {
        out += u'E';
        out += QString::number(exponent);
    }
    return out;
}

QString FormatValue(long double x, TNumberFormat format, int decimals, const TSeparators& seps) {
    const int d = decimals;
    if (format == Engineering && x != 0 && std::isfinite(x)) {
        const long long k =
            static_cast<long long>(std::trunc(std::log(std::fabs(x)) / std::log(10.0L) / 3));
        const long long e = 3 * k;
        const QString suffix = QStringLiteral("E%1").arg(e);
        long double m;
        if (e < -4800) // 10^e alone would be denormal and imprecise: scale in two steps
            m = (x * 1e2400L) / ReadAscii("1e" + std::to_string(e + 2400));
        else
            m = x / ReadAscii("1e" + std::to_string(e));
        int places = 14;
        if (m > 9)
            places = 13;
        if (m > 99)
            places = 12;
        if (d != -1 && d < places)
            places = d;
        QString pattern;
        if (d == -1)
            pattern = QStringLiteral("0.") + QString(places, u'#');
        else if (d == 0)
            pattern = QStringLiteral("0");
        else
            pattern = QStringLiteral("0.") + QString(places, u'0');
        return FormatFloat(pattern, m, seps) + suffix;
    }

    const QString lead = format == Thousands ? QStringLiteral(",0") : QStringLiteral("0");
    QString pattern = lead;
    if (d > 0)
        pattern += u'.' + QString(d, u'0');
    else if (d == -1)
        pattern += u'.' + QString(14, u'#');
    if (format == Scientific || format == Engineering)
        pattern += QStringLiteral("E-");
    QString result = FormatFloat(pattern, x, seps);
    if (result.contains(u'E') || !result.contains(seps.Decimal))
        return result;
    const int n = CountDigitsBefore(result, seps.Decimal);
    if (d == -1) {
        if (format == Thousands)
            result =
                FormatFloat(QStringLiteral(",0.") + QString(std::max(0, 15 - n), u'#'), x, seps);
    } else if (d > 0 && 15 - n < d) {
        // At most 15 significant digits come from the value; further decimals are zeros.
        if (n >= 15) // no decimal is left to take: the integer, then only zeros
            result = FormatFloat(lead, x, seps) + seps.Decimal + QString(d, u'0');
        else
            result = FormatFloat(lead + u'.' + QString(15 - n, u'0'), x, seps) +
                     QString(d + n - 15, u'0');
    }
    return result;
}

QString StripThousands(const QString& s, QChar thousand) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s)
        if (c != thousand)
            out += c;
    if (out.isEmpty())
        return QStringLiteral("0");
    if (out == QStringLiteral("-"))
        return QStringLiteral("-0");
    return out;
}

std::optional<long double> TextToFloat(const QString& s, QChar decimal) {
    const int n = s.size();
    int i = 0;
    auto digit = [&](int at) { return at < n && s[at] >= u'0' && s[at] <= u'9'; };
    while (i < n && s[i] == u' ')
        ++i;
    std::string literal;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-')
            literal += '-';
        ++i;
    }
    bool mantissa = false;
    std::string integer;
    std::string fraction;
    while (digit(i)) {
        integer += static_cast<char>(s[i++].unicode());
        mantissa = true;
    }
    if (i < n && s[i] == decimal) {
        ++i;
        mantissa = true;
        while (digit(i))
            fraction += static_cast<char>(s[i++].unicode());
    }
    if (!mantissa)
        return std::nullopt;
    literal += integer.empty() ? "0" : integer;
    if (!fraction.empty())
        literal += '.' + fraction;
    if (i < n && (s[i] == u'E' || s[i] == u'e')) {
        ++i;
        std::string exponent = "e";
        if (i < n && (s[i] == u'+' || s[i] == u'-')) {
            if (s[i] == u'-')
                exponent += '-';
            ++i;
        }
        bool any = false;
        while (digit(i)) {
            exponent += static_cast<char>(s[i++].unicode());
            any = true;
        }
        if (any) // "E" without digits is exponent 0
            literal += exponent;
    }
    while (i < n && s[i] == u' ')
        ++i;
    if (i != n)
        return std::nullopt;
    const long double value = ReadAscii(literal);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

long double ReadNumber(const QString& text, const TSeparators& seps) {
    const QString stripped = StripThousands(text, seps.Thousand);
    if (const auto value = TextToFloat(stripped, seps.Decimal))
        return *value;
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(stripped));
}

std::int32_t TruncToInt32(long double x, const QString& text) {
    const long double t = std::trunc(x);
    // The 64-bit range is [-2^63, 2^63); both bounds are exact in the 80-bit type.
    if (!(t >= -0x1p63L && t < 0x1p63L))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    const auto wide = static_cast<std::int64_t>(t);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
}
