// Commands typed as text: every form mixed in one line, and every way a line can be wrong,
// with where it goes wrong and never a half result.
#include "Commands/CommandText.h"
#include "Commands/Grammar.h"

#include <gtest/gtest.h>
#include <random>

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

TEST(CommandText, FormattedBytesParseBackToThemInEverySet) {
    // What the sets write (commands with arguments of every kind), every single byte, and
    // random runs that mix text, control bytes and high bytes.
    std::vector<std::string> samples;
    for (int b = 0; b < 256; ++b)
        samples.emplace_back(1, static_cast<char>(b));
    std::mt19937 random(26);
    for (int i = 0; i < 300; ++i) {
        std::string bytes(1 + random() % 40, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 4 == 0 ? random() % 0x20 : random() % 256);
        samples.push_back(bytes);
    }
    for (int s = 0; s < CommandSetCount; ++s) {
        const auto set = static_cast<TCommandSet>(s);
        for (const TCommand& command : std::initializer_list<TCommand>{
                 Cmd::Init{}, Cmd::Cut{}, Cmd::FeedLines{3}, Cmd::Drawer{}, Cmd::RealTimeStatus{4},
                 Cmd::CharSize{0x11}, Cmd::PrintMode{0x30}, Cmd::Text{"say \"\\hi\" 0"},
                 Cmd::QrStore{"12 ab"}, Cmd::Barcode{syCode39, "AB-12"}, Cmd::SelfTest{}}) {
            const TEncoding encoding = Encode(set, command);
            if (encoding.Supported)
                samples.push_back(encoding.Bytes);
        }
        for (const std::string& bytes : samples) {
            const QString text = FormatCommandText(bytes, set);
            const TCommandText parsed = ParseCommandText(text, Big5());
            ASSERT_TRUE(parsed.Ok) << text.toStdString() << ": " << CommandTextProblem(parsed);
            EXPECT_EQ(parsed.Bytes, bytes) << text.toStdString();
        }
    }
    // Written as a technician reads them.
    EXPECT_EQ(FormatCommandText("\x1D\x56\x01", csEPSON), QStringLiteral("GS V 1"));
    EXPECT_EQ(FormatCommandText("\x1B!0\"OK\"\n", csEPSON),
              QStringLiteral("ESC ! 30 \"\\\"OK\\\"\" LF"));
}
