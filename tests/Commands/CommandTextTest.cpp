// Commands typed as text: every form mixed in one line, and every way a line can be wrong,
// with where it goes wrong and never a half result.
#include "Commands/CommandText.h"

#include <gtest/gtest.h>

namespace {

const TCodePage& Big5() {
    static const TCodePage page("CP950");
    return page;
}

} // namespace

TEST(CommandText, EveryFormMixes) {
    const TCommandText parsed = ParseCommandText(
        QStringLiteral("ESC @ 1b40 0x1B 0X1d\t\"總計 1\\x00\" \\x1b@\\n\\r\\t\\\\ GS V 1 "
                       "DLE EOT 1 LF CR NUL a 7 FF \"q\\\"\""),
        Big5());
    ASSERT_TRUE(parsed.Ok) << CommandTextProblem(parsed);
    const std::string want = std::string("\x1b\x40\x1b\x40\x1b\x1d", 6) + "\xc1\x60\xad\x70 1" +
                             std::string(1, '\0') + "\x1b@\n\r\t\\" +
                             std::string("\x1d\x56\x01\x10\x04\x01\x0a\x0d\x00\x61\x07\xff", 12) +
                             "q\"";
    EXPECT_EQ(parsed.Bytes, want);
}

TEST(CommandText, EveryWrongLineSaysWhereAndWhy) {
    const struct {
        const char* text;
        TTextProblem problem;
        qsizetype at;
        const char* item;
    } cases[] = {
        {"41 zz", tpUnknownWord, 3, "zz"},
        {"1B Hello", tpUnknownWord, 3, "Hello"},
        {"1B 123", tpOddHex, 3, "123"},
        {"0x1G", tpBadHex, 0, "0x1G"},
        {"0x123", tpBadHex, 0, "0x123"},
        {"ESC \"abc", tpOpenQuote, 4, "\""},
        {"\"a\\qb\"", tpBadEscape, 2, "\\q"},
        {"A \\x4", tpBadEscape, 2, "\\x4"},
        {"1B \"總計 한\"", tpUnmappable, 7, "한"},
        {"", tpEmpty, 0, ""},
        {" \t ", tpEmpty, 0, ""},
    };
    for (const auto& c : cases) {
        const TCommandText parsed = ParseCommandText(QString::fromUtf8(c.text), Big5());
        EXPECT_FALSE(parsed.Ok) << c.text;
        EXPECT_TRUE(parsed.Bytes.empty()) << c.text;
        EXPECT_EQ(parsed.Problem, c.problem) << c.text;
        EXPECT_EQ(parsed.Position, c.at) << c.text;
        EXPECT_EQ(parsed.Item, QString::fromUtf8(c.item)) << c.text;
    }
    EXPECT_EQ(CommandTextProblem(ParseCommandText(QStringLiteral("41 zz"), Big5())),
              "column 4: zz is not hex, a control name, a character or quoted text");
}
