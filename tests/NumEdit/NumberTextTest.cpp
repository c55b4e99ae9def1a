// Formatting, stripping and reading the numeric edit's number text.
#include "NumEdit/NumberText.h"
#include "Locales.h"
#include "QtPrint.h"
#include "Rtl/Exceptions.h"

#include <QString>
#include <QStringList>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {
const TSeparators Dot{u'.', u','};
const TSeparators Comma{u',', u'.'};

QString Fmt(long double x, TNumberFormat f, int d, const TSeparators& s = Dot) {
    return FormatValue(x, f, d, s);
}

QString ReadError(const QString& text, const TSeparators& s = Dot) {
    try {
        ReadNumber(text, s);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return QStringLiteral("(read)");
}
} // namespace

TEST(FormatValue, TheWindowsTable) {
    EXPECT_EQ(Fmt(900, Standard, -1), "900");
    EXPECT_EQ(Fmt(1.5L, Standard, -1), "1.5");
    EXPECT_EQ(Fmt(1.0L / 3, Standard, -1), "0.33333333333333");
    EXPECT_EQ(Fmt(2.5L, Standard, 0), "3");
    EXPECT_EQ(Fmt(1.5L, Standard, 2), "1.50");
    EXPECT_EQ(Fmt(12345678901234.5L, Standard, 4), "12345678901234.5000");
    EXPECT_EQ(Fmt(1234567, Thousands, -1), "1,234,567");
    EXPECT_EQ(Fmt(1234.5L, Thousands, -1), "1,234.5");
    EXPECT_EQ(Fmt(-1234567.891L, Thousands, 2), "-1,234,567.89");
    EXPECT_EQ(Fmt(12345, Scientific, -1), "1.2345E4");
    EXPECT_EQ(Fmt(0.00123L, Scientific, 2), "1.23E-3");
    EXPECT_EQ(Fmt(12345, Engineering, -1), "12.345E3");
    EXPECT_EQ(Fmt(0.0005L, Engineering, -1), "0.5E-3");
    EXPECT_EQ(Fmt(0, Engineering, -1), "0E0");
}

TEST(FormatValue, RoundingAndSigns) {
    // Halves away from zero, on both sides.
    EXPECT_EQ(Fmt(0.5L, Standard, 0), "1");
    EXPECT_EQ(Fmt(-0.5L, Standard, 0), "-1");
    EXPECT_EQ(Fmt(-2.5L, Standard, 0), "-3");
    EXPECT_EQ(Fmt(0.125L, Standard, 2), "0.13");
    EXPECT_EQ(Fmt(-0.125L, Standard, 2), "-0.13");
    EXPECT_EQ(Fmt(0.375L, Standard, 2), "0.38");
    // A carry that runs through the nines into a new integer digit and a new group.
    EXPECT_EQ(Fmt(9.999L, Standard, 2), "10.00");
    EXPECT_EQ(Fmt(999999.995L, Thousands, 2), "1,000,000.00");
    EXPECT_EQ(Fmt(9.96L, Scientific, 1), "1.0E1");
    EXPECT_EQ(Fmt(0.999996L, Scientific, 4), "1.0000E0");
    // A negative value keeps its sign when it rounds to zero; the -0 that "-" reads as is
    // not negative and shows "0".
    EXPECT_EQ(Fmt(-0.001L, Standard, 2), "-0.00");
    EXPECT_EQ(Fmt(-0.004L, Thousands, 2), "-0.00");
    EXPECT_EQ(Fmt(-1e-15L, Standard, -1), "-0");
    EXPECT_EQ(Fmt(-0.0L, Standard, -1), "0");
    EXPECT_EQ(Fmt(-0.4L, Standard, 0), "-0");
    EXPECT_EQ(Fmt(-0.004L, Scientific, 0), "-4E-3");
    EXPECT_EQ(Fmt(0.0006L, Standard, 2), "0.00");
    EXPECT_EQ(Fmt(0.006L, Standard, 2), "0.01");
    // Free decimals drop trailing zeros and a separator left alone; 14 at most.
    EXPECT_EQ(Fmt(2.0L, Standard, -1), "2");
    EXPECT_EQ(Fmt(0.1L, Standard, -1), "0.1");
    EXPECT_EQ(Fmt(1e-15L, Standard, -1), "0");
    EXPECT_EQ(Fmt(1e-14L, Standard, -1), "0.00000000000001");
    EXPECT_EQ(Fmt(-7, Standard, -1), "-7");
    EXPECT_EQ(Fmt(0, Standard, 3), "0.000");
    EXPECT_EQ(Fmt(100, Standard, 0), "100");
}

TEST(FormatValue, SignificantDigitLimits) {
    // 18 significant digits come from the value: 2^62 + 1 ends in ...905, shown as ...910.
    EXPECT_EQ(Fmt(4611686018427387905.0L, Standard, -1), "4611686018427387910");
    EXPECT_EQ(Fmt(123456789012345678.0L, Standard, 0), "123456789012345678");
    // Free decimals under Thousands stop at 15 significant digits.
    EXPECT_EQ(Fmt(1234.1234567890123L, Thousands, -1), "1,234.12345678901");
    EXPECT_EQ(Fmt(1234.1234567890123L, Standard, -1), "1234.1234567890123");
    EXPECT_EQ(Fmt(1234.1234567890123L, Standard, 14), "1234.12345678901000");
    EXPECT_EQ(Fmt(-1234.5L, Thousands, 14), "-1,234.50000000000000");
    // Fixed decimals beyond 15 integer digits: the integer, then only zeros.
    EXPECT_EQ(Fmt(1234567890123456.7L, Standard, 2), "1234567890123457.00");
    EXPECT_EQ(Fmt(123456789012345.25L, Thousands, 3), "123,456,789,012,345.000");
}

TEST(FormatValue, ScientificAndEngineering) {
    EXPECT_EQ(Fmt(0, Scientific, -1), "0E0");
    EXPECT_EQ(Fmt(0, Scientific, 2), "0.00E0");
    EXPECT_EQ(Fmt(-12345, Scientific, 0), "-1E4");
    EXPECT_EQ(Fmt(1, Scientific, -1), "1E0");
    EXPECT_EQ(Fmt(1e-300L, Scientific, -1), "1E-300");
    EXPECT_EQ(Fmt(12345, Engineering, 2), "12.35E3");
    EXPECT_EQ(Fmt(12345, Engineering, 0), "12E3");
    EXPECT_EQ(Fmt(0.5L, Engineering, -1), "0.5E0");
    EXPECT_EQ(Fmt(-12345, Engineering, -1), "-12.345E3");
    EXPECT_EQ(Fmt(123456, Engineering, -1), "123.456E3");
    // The exponent's third is truncated toward zero, so small values keep a small mantissa.
    EXPECT_EQ(Fmt(2e-6L, Engineering, -1), "0.002E-3");
    EXPECT_EQ(Fmt(-2e-6L, Engineering, 4), "-0.0020E-3");
    EXPECT_EQ(Fmt(1.5L, Engineering, 3), "1.500E0");
    EXPECT_EQ(Fmt(1000, Engineering, -1), "1E3");
    EXPECT_EQ(Fmt(-0.001L, Engineering, 2), "-1.00E-3");
    EXPECT_EQ(Fmt(999.9999999L, Engineering, 2), "1000.00E0");
    EXPECT_EQ(Fmt(0, Engineering, 2), "0.00E0");
    // Values at the edges of the number type still format and read back.
    EXPECT_EQ(Fmt(1e4900L, Engineering, 2), "10.00E4899");
    EXPECT_EQ(Fmt(1e-4900L, Engineering, -1), "0.1E-4899");
    EXPECT_EQ(Fmt(-1e-4900L, Engineering, 0), "-0E-4899");
}

TEST(FormatValue, RegionalSeparators) {
    EXPECT_EQ(Fmt(1234567.5L, Thousands, 2, Comma), "1.234.567,50");
    EXPECT_EQ(Fmt(0.25L, Standard, -1, Comma), "0,25");
    EXPECT_EQ(Fmt(12345, Engineering, -1, Comma), "12,345E3");
    const TSeparators space{u',', QChar(0x00A0)};
    EXPECT_EQ(Fmt(-1234567, Thousands, 0, space), QString::fromUtf8("-1\u00A0234\u00A0567"));
    EXPECT_EQ(ReadNumber(QString::fromUtf8("-1\u00A0234,5"), space), -1234.5L);
    EXPECT_EQ(ReadNumber("1.234,5", Comma), 1234.5L);
    EXPECT_EQ(ReadNumber("1,234.5", Comma), 1.2345L);
    EXPECT_EQ(ReadError("1,234,5", Comma), "'1,234,5' is not a valid floating point value");
}

TEST(FormatValue, NonFiniteValuesDoNotRead) {
    EXPECT_EQ(Fmt(INFINITY, Standard, -1), "INF");
    EXPECT_EQ(Fmt(-INFINITY, Engineering, 2), "-INF");
    EXPECT_EQ(Fmt(NAN, Thousands, 2), "NAN");
    EXPECT_FALSE(TextToFloat("INF", u'.'));
    EXPECT_FALSE(TextToFloat("NAN", u'.'));
}

TEST(StripThousands, RemovesOnlyTheSeparator) {
    EXPECT_EQ(StripThousands("1,234.5", u','), "1234.5");
    EXPECT_EQ(StripThousands(",", u','), "0");
    EXPECT_EQ(StripThousands("", u','), "0");
    EXPECT_EQ(StripThousands("-", u','), "-0");
    EXPECT_EQ(StripThousands("-,", u','), "-0");
    EXPECT_EQ(StripThousands("-,5", u','), "-5");
    EXPECT_EQ(StripThousands("1,2E-3", u','), "12E-3");
    EXPECT_EQ(StripThousands("1.234,5", u'.'), "1234,5");
}

TEST(ReadNumber, StrictLiteralGrammar) {
    auto read = [](const char* s) { return ReadNumber(QString::fromLatin1(s), Dot); };
    EXPECT_EQ(read("1E"), 1.0L);
    EXPECT_EQ(read("."), 0.0L);
    EXPECT_EQ(read("-"), 0.0L);
    EXPECT_TRUE(std::signbit(read("-")));
    EXPECT_EQ(read("1,250.9"), 1250.9L);
    EXPECT_EQ(read("  -12.5e+2 "), -1250.0L);
    EXPECT_EQ(read("+.5"), 0.5L);
    EXPECT_EQ(read("5."), 5.0L);
    EXPECT_EQ(read("1.5E-3"), 0.0015L);
    EXPECT_EQ(read("2E-"), 2.0L);
    EXPECT_EQ(read("0E-3"), 0.0L);
    EXPECT_EQ(read("-.E"), 0.0L);
    EXPECT_EQ(read("1e-5000"), 0.0L); // below the smallest value: zero
    EXPECT_EQ(read("0.1"), 0.1L);     // nearest value of the 80-bit type
    EXPECT_EQ(ReadError("-E"), "'-E' is not a valid floating point value");
    EXPECT_EQ(ReadError("E-3"), "'E-3' is not a valid floating point value");
    EXPECT_EQ(ReadError("-,E"), "'-E' is not a valid floating point value");
    for (const char* bad : {"1.2.3", "1E5E", "--1", "1-", "1 2", "0x10", "1E+-2", "E", "abc",
                            "1e99999", "-1E5000", "\t1", "1..", "+", " - "})
        EXPECT_FALSE(TextToFloat(QString::fromLatin1(bad), u'.')) << bad;
    // Digits of other scripts are not decimal digits here.
    EXPECT_FALSE(TextToFloat(QString::fromUtf8("\u0661"), u'.'));
}

TEST(TruncToInt32, TowardZeroThenLow32Bits) {
    EXPECT_EQ(TruncToInt32(ReadNumber("1,250.9", Dot), ""), 1250);
    EXPECT_EQ(TruncToInt32(-3.7L, ""), -3);
    EXPECT_EQ(TruncToInt32(250, ""), 250);
    EXPECT_EQ(TruncToInt32(2.9L, ""), 2);
    EXPECT_EQ(TruncToInt32(-0.9L, ""), 0);
    EXPECT_EQ(TruncToInt32(2147483648.0L, ""), INT32_MIN);
    EXPECT_EQ(TruncToInt32(4294967297.5L, ""), 1);
    EXPECT_EQ(TruncToInt32(-4294967296.0L, ""), 0);
    EXPECT_EQ(TruncToInt32(-2147483649.0L, ""), INT32_MAX);
    EXPECT_EQ(TruncToInt32(9223372036854775807.0L, ""), -1);
    EXPECT_EQ(TruncToInt32(-9223372036854775808.0L, ""), 0);
    try {
        TruncToInt32(9223372036854775808.0L, "9223372036854775808");
        ADD_FAILURE() << "no error beyond 64 bits";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'9223372036854775808' is not a valid integer value");
    }
    EXPECT_THROW(TruncToInt32(-1e30L, "x"), EConvertError);
}

// The process locale (which the window system sets from LANG) must change nothing: only the
// separators passed in count. Under de_DE and fr_FR the C library's decimal mark is a comma.
TEST(NumberText, SameResultsUnderEveryProcessLocale) {
    struct Case {
        long double x;
        TNumberFormat f;
        int d;
    };
    const std::vector<Case> cases = {
        {900, Standard, -1},           {1, Standard, -1},        {0.1L, Standard, -1},
        {1.0L / 3, Standard, -1},      {2.5L, Standard, 0},      {1.5L, Standard, 2},
        {-1234567.891L, Thousands, 2}, {1234.5L, Thousands, -1}, {12345, Scientific, -1},
        {0.00123L, Scientific, 2},     {12345, Engineering, -1}, {0.0005L, Engineering, -1},
        {1e-300L, Scientific, -1},     {-0.001L, Standard, 2}};
    auto results = [&](const TSeparators& seps) {
        QStringList out;
        for (const Case& c : cases)
            out << FormatValue(c.x, c.f, c.d, seps);
        return out;
    };
    const QStringList dot = results(Dot);
    const QStringList comma = results(Comma);
    ASSERT_EQ(dot[0], "900");
    ASSERT_EQ(comma[6], "-1.234.567,89");

    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
        SCOPED_TRACE(name);
        const std::string why = PrepareLocale(name);
        if (!why.empty())
            GTEST_SKIP() << name << " cannot be made: " << why;
        ScopedProcessLocale locale(name);
        ASSERT_TRUE(locale.Active());
        ASSERT_STREQ(std::localeconv()->decimal_point, ","); // the locale is really in force
        EXPECT_EQ(results(Dot), dot);
        EXPECT_EQ(results(Comma), comma);
        EXPECT_EQ(ReadNumber("900", Dot), 900.0L);
        EXPECT_EQ(ReadNumber("1,250.9", Dot), 1250.9L);
        EXPECT_EQ(ReadNumber("1.250,9", Comma), 1250.9L);
        EXPECT_EQ(ReadNumber("1.5E-3", Dot), 0.0015L);
        EXPECT_EQ(TruncToInt32(ReadNumber("250", Dot), "250"), 250);
    }
}
