// Character rules of the link edit, without a widget.
#include "LinkEdit/LinkEditModel.h"

#include <gtest/gtest.h>

TEST(LinkFilter, IdentifierCharactersAreAsciiLettersUnderscoreAndLaterDigits) {
    for (const char16_t c : {u'A', u'Z', u'a', u'z', u'_'}) {
        EXPECT_TRUE(IsIdentifierChar(QChar(c), true));
        EXPECT_TRUE(IsIdentifierChar(QChar(c), false));
    }
    EXPECT_FALSE(IsIdentifierChar(QChar(u'0'), true));
    EXPECT_TRUE(IsIdentifierChar(QChar(u'9'), false));
    // Only the first position of the clipboard text is tested as first.
    EXPECT_EQ(FilterPastedText("12ab", IdentText), "2ab");
    for (const char16_t c : {u'@', u'[', u'`', u'{', u'/', u':', u'-', u' ', u'\u00e9', u'\u4e2d'})
        EXPECT_FALSE(IsIdentifierChar(QChar(c), false)) << int(c);
}

TEST(LinkFilter, OnlyTheListedControlCharactersPassEveryFilter) {
    TLinkEditModel model;
    model.AcceptCharList = QStringLiteral("abc");
    for (const TTextType type : {NormalText, IntegerText, FloatText, IdentText}) {
        model.TextType = type;
        for (const char16_t c : {1, 3, 8, 22, 24, 26})
            EXPECT_EQ(model.FilterKey(c), c) << int(type) << " " << int(c);
        // Tab, Escape and the other control characters meet the type's filter.
        for (const char16_t c : {9, 27, 2, 25})
            EXPECT_EQ(model.FilterKey(c), 0) << int(type) << " " << int(c);
    }
    model.TextType = NormalText;
    model.AcceptCharList.clear();
    EXPECT_EQ(model.FilterKey(9), 9); // no list: everything passes
}

TEST(LinkFilter, IntegerConversionTakesDecimalAndHexWithin32Bits) {
    EXPECT_EQ(TextToInteger("0"), 0);
    EXPECT_EQ(TextToInteger("  -12"), -12);
    EXPECT_EQ(TextToInteger("+7"), 7);
    EXPECT_EQ(TextToInteger("2147483647"), 2147483647);
    EXPECT_EQ(TextToInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(TextToInteger("$1F"), 31);
    EXPECT_EQ(TextToInteger("x1f"), 31);
    EXPECT_EQ(TextToInteger("X10"), 16);
    EXPECT_EQ(TextToInteger("0x7FFFFFFF"), 2147483647);
    EXPECT_EQ(TextToInteger("-0X10"), -16);
    EXPECT_EQ(TextToInteger("-$80000000"), INT32_MIN);
    for (const char* bad : {"", " ", "-", "+", "$", "0x", "2147483648", "-2147483649", "$80000000",
                            "99999999999999999999", "12 ", "1-2", "1.0", "12a", "$G", "--1", "\t1"})
        EXPECT_FALSE(TextToInteger(bad).has_value()) << bad;
}

TEST(LinkFilter, DecimalConversionTakesSignFractionAndExponent) {
    EXPECT_EQ(TextToDecimal("3.25"), 3.25);
    EXPECT_EQ(TextToDecimal("  -0.5"), -0.5);
    EXPECT_EQ(TextToDecimal("+2"), 2.0);
    EXPECT_EQ(TextToDecimal("1.5e3"), 1500.0);
    EXPECT_EQ(TextToDecimal("1E-2"), 0.01);
    EXPECT_EQ(TextToDecimal("-.5"), -0.5);
    EXPECT_EQ(TextToDecimal("1e-400"), 0.0); // too small is zero
    for (const char* bad :
         {"", "-", ".", "1.2.3", "1e", "1e+", "e5", "1,5", "0x10", "1.5 ", "--1", "1e999"})
        EXPECT_FALSE(TextToDecimal(bad).has_value()) << bad;
}
