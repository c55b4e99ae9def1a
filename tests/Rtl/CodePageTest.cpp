// The code page both ways: Big5 text and bytes, characters it lacks, bytes that start none.
#include "Rtl/CodePage.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(CodePage, Big5BothWaysAndWhatDoesNotConvert) {
    const TCodePage big5("CP950");
    const std::string bytes("\xb3\x5c\xa5\x5c\xbb\x5c", 6); // 許功蓋: trail bytes are backslashes
    EXPECT_EQ(big5.Encode(QStringLiteral("許功蓋")), bytes);
    EXPECT_EQ(big5.Decode(bytes), QStringLiteral("許功蓋"));
    EXPECT_FALSE(big5.Unicode());

    // Characters Big5 lacks become "?", each at its place in UTF-16 units.
    std::vector<qsizetype> unmapped;
    EXPECT_EQ(big5.Encode(QStringLiteral("a😀b한c"), &unmapped), "a?b?c");
    EXPECT_EQ(unmapped, (std::vector<qsizetype>{1, 4}));

    // A lead byte with a bad trail, and a lead byte at the end: U+FFFD at their offsets, the
    // bytes after them read afresh.
    std::vector<std::size_t> invalid;
    EXPECT_EQ(big5.Decode(std::string("a\xa4\x21"
                                      "b\xb3",
                                      5),
                          &invalid),
              QString::fromUtf8("a\uFFFD!b\uFFFD"));
    EXPECT_EQ(invalid, (std::vector<std::size_t>{1, 4}));
}

TEST(CodePage, ReadsOneCharacterAtATime) {
    using TRead = TCodePage::TRead;
    const TCodePage big5("CP950");
    const auto lead = big5.ReadChar("\xb3");
    EXPECT_EQ(lead.Result, TRead::Incomplete);
    const auto pair = big5.ReadChar("\xb3\x5c"
                                    "A");
    EXPECT_EQ(pair.Result, TRead::Char);
    EXPECT_EQ(pair.Length, 2);
    EXPECT_EQ(pair.Code, U'許');
    EXPECT_EQ(big5.ReadChar("\xa4\x21").Result, TRead::Invalid);
    const auto letter = big5.ReadChar("A\xb3");
    EXPECT_EQ(letter.Length, 1);
    EXPECT_EQ(letter.Code, U'A');
    // A control converts to one code point; the caller decides it prints nothing.
    EXPECT_EQ(big5.ReadChar("\x7f").Count, 1);

    const TCodePage utf8("UTF-8");
    EXPECT_TRUE(utf8.Unicode());
    EXPECT_EQ(utf8.ReadChar("\xe4\xb8").Result, TRead::Incomplete);
    EXPECT_EQ(utf8.ReadChar("\xe4\xb8\x80").Code, U'一');
    EXPECT_EQ(utf8.ReadChar("\xff").Result, TRead::Invalid);
}

TEST(CodePage, AnUnknownNameIsRefused) {
    try {
        TCodePage page("NO-SUCH-PAGE");
        FAIL() << "opened";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "unknown code page NO-SUCH-PAGE");
    }
}
