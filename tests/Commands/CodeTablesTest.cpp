// ESC t n to code pages: every page named is one iconv has, and holds the characters the
// printers print for it.
#include "Commands/CodeTables.h"
#include "Rtl/CodePage.h"

#include <gtest/gtest.h>

TEST(CodeTables, EveryTableWithAPageOpensAndTheRestHaveNone) {
    int pages = 0;
    for (int n = 0; n < 256; ++n) {
        const auto page = CodeTablePage(static_cast<std::uint8_t>(n));
        if (!page)
            continue;
        ++pages;
        EXPECT_NO_THROW(TCodePage{std::string(*page)}) << n << " " << *page;
    }
    EXPECT_GE(pages, 5);
    // Katakana, Hiragana, Kanji, Thai and the user pages have no code page here.
    for (const int n : {1, 6, 7, 20, 26, 254, 255})
        EXPECT_FALSE(CodeTablePage(static_cast<std::uint8_t>(n))) << n;

    const struct {
        int n;
        char byte;
        const char* character;
    } samples[] = {{0, '\x80', "Ç"},
                   {2, '\xd5', "ı"},
                   {16, '\x80', "€"},
                   {17, '\x80', "А"},
                   {19, '\xd5', "€"}};
    for (const auto& s : samples) {
        const TCodePage page{std::string(*CodeTablePage(static_cast<std::uint8_t>(s.n)))};
        EXPECT_EQ(page.Decode(std::string(1, s.byte)), QString::fromUtf8(s.character)) << s.n;
    }
}
