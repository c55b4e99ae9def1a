// Fuzzes reading and formatting: nothing crashes, and what was read formats to a text that
// reads back as the same value within the precision of the format.
#include "NumEdit/NumberText.h"
#include "Rtl/Exceptions.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// Decimals a format keeps for V: the fixed-point rules take at most 15 significant digits.
int FixedPlaces(long double v, TNumberFormat f, int d) {
    int n = 1; // integer digits
    for (long double a = std::fabs(v); a >= 10 && n < 5000; a /= 10)
        ++n;
    if (d == -1)
        return f == Thousands ? std::max(0, 15 - n) : 14;
    if (d > 0 && 15 - n < d)
        return std::max(0, 15 - n);
    return std::max(d, 0);
}

long double Tolerance(long double v, const QString& text, TNumberFormat f, int d) {
    const long double digits18 = std::fabs(v) * 6e-17L; // the 18-digit rounding
    const int e = text.indexOf(u'E');
    if (e < 0)
        return 0.5L * std::pow(10.0L, -FixedPlaces(v, f, d)) * (1 + 1e-15L) + digits18;
    const long exponent = text.mid(e + 1).toLong();
    int places = 14;
    if (f == Engineering) {
        const long double m = v / std::pow(10.0L, static_cast<long double>(exponent));
        if (m > 9)
            places = 13;
        if (m > 99)
            places = 12;
    }
    if (d != -1 && d < places)
        places = d;
    return 0.5L * std::pow(10.0L, static_cast<long double>(exponent - places)) * (1 + 1e-15L) +
           digits18;
}

void Check(bool ok, const char* what, const QString& a, const QString& b) {
    if (ok)
        return;
    std::fprintf(stderr, "%s: '%s' -> '%s'\n", what, a.toUtf8().constData(),
                 b.toUtf8().constData());
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const TSeparators seps =
        data[0] & 1 ? TSeparators{u',', u'.'} : TSeparators{u'.', QChar(0x00A0)};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    long double v = 0;
    try {
        v = ReadNumber(text, seps);
    } catch (const EConvertError& e) {
        // The exception's message is a C string: a NUL in the text ends it early.
        Check(text.contains(QChar(0)) ||
                  e.Message().endsWith(QStringLiteral("' is not a valid floating point value")),
              "message", text, e.Message());
        return 0;
    }
    Check(std::isfinite(v), "finite", text, {});
    for (int f = Standard; f <= Engineering; ++f) {
        for (int d = -1; d <= 14; ++d) {
            const auto format = static_cast<TNumberFormat>(f);
            const QString shown = FormatValue(v, format, d, seps);
            const auto back = TextToFloat(StripThousands(shown, seps.Thousand), seps.Decimal);
            Check(back.has_value(), "reads back", text, shown);
            Check(std::fabs(*back - v) <= Tolerance(v, shown, format, d), "same value", text,
                  shown);
        }
    }
    try {
        TruncToInt32(v, text);
        Check(std::fabs(std::trunc(v)) <= 0x1p63L, "64-bit range", text, {});
    } catch (const EConvertError&) {
        Check(std::fabs(std::trunc(v)) >= 0x1p63L, "integer error", text, {});
    }
    return 0;
}
