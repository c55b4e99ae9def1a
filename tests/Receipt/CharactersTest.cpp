// How text bytes print: Big5 pairs as one 24 x 24 character in Chinese mode and one character
// a byte of the ESC t code page without it, the international sets, and the boxes that the
// sizes and spacings of both kinds of character give.
#include "PrinterBench.h"

#include <gtest/gtest.h>

namespace {

struct TLines : TPaperObserver {
    std::vector<TPrintedLine> lines;
    void Printed(const TPaperItem& item) override {
        if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
            lines.push_back(*line);
    }
};

// The terminal lines of bytes, on a printer that comes up with Chinese mode on or off.
Lines Terminal(const std::string& bytes, bool chinese = true) {
    const TCodePage codePage("CP950");
    TPaper paper(codePage, TPaper::Width58, chinese);
    Lines out;
    TTerminalView view([&](const std::string& l) { out.push_back(l); }, 32);
    paper.AddObserver(view);
    TPrinter printer(csEPSON, paper);
    printer.Feed(bytes);
    return out;
}

std::string Row(const std::string& text, int columns) {
    return "|" + text + std::string(static_cast<std::size_t>(32 - columns), ' ') + "|";
}

} // namespace

TEST(PaperCharacters, ChineseModeAndTheCodeTables) {
    const std::string zhong = "\xa4\xa4\xa4\xe5"; // 中文 in Big5
    // Chinese mode, as the printer comes up: two characters of two columns.
    EXPECT_EQ(Terminal(zhong + "\n"), (Lines{Row("中文", 4)}));
    // FS . turns it off: each byte is a character of code table 0 (PC437).
    EXPECT_EQ(Terminal(S("\x1c.") + zhong + "\n"), (Lines{"[Chinese mode off]", Row("ñññσ", 4)}));
    // A printer that comes up without it, until FS &; ESC @ brings back the power-on mode.
    EXPECT_EQ(
        Terminal(zhong + "\n" + S("\x1c&") + zhong + "\n" + S("\x1b@") + zhong + "\n", false),
        (Lines{Row("ñññσ", 4), "[Chinese mode on]", Row("中文", 4), "[init]", Row("ñññσ", 4)}));
    // ESC t chooses the table of single-byte text: WPC1252, PC858, PC866, PC850, PC437.
    EXPECT_EQ(
        Terminal(S("\x1c.\x1bt\x10\x80\x1bt\x13\xd5\x1bt\x11\x80\x1bt\x02\x9b\x1bt\x00\x9b\n")),
        (Lines{"[Chinese mode off]", "[code table 16]", "[code table 19]", "[code table 17]",
               "[code table 2]", "[code table 0]", Row("€€Аø¢", 5)}));
    // A table without a code page prints ASCII only; the rest are boxes.
    EXPECT_EQ(Terminal(S("\x1c.\x1bt\x01") + "a\xb1\n"),
              (Lines{"[Chinese mode off]", "[code table 1, no code page: only ASCII prints]",
                     Row("a\u27E8B1\u27E9", 2)}));
    // ESC R: the U.K. set prints £ for #, Germany umlauts for [ \ ].
    EXPECT_EQ(Terminal(S("\x1bR\x03#1\x1bR\x02[\\]\x1bR\x00#\n")),
              (Lines{"[international set 3]", "[international set 2]", "[international set 0]",
                     Row("£1ÄÖÜ#", 6)}));
}

TEST(PaperCharacters, SizesAndSpacingsOfBothKinds) {
    const TCodePage codePage("CP950");
    TPaper paper(codePage);
    TLines record;
    paper.AddObserver(record);
    TPrinter printer(csEPSON, paper);
    // FS ! doubles Chinese characters only, ESC ! the others only, GS ! both.
    printer.Feed(S("\x1c!\x0c") + "a\xa4\xa4\n" + S("\x1c!\x00\x1b!\x30") + "a\xa4\xa4\n" +
                 S("\x1b!\x00\x1d!\x21") + "a\xa4\xa4\n" + S("\x1d!\x00"));
    // FS S puts dots left and right of a Chinese character, ESC SP right of the others; FS W is
    // quadruple size.
    printer.Feed(S("\x1cS\x02\x03\x1b \x04") + "a\xa4\xa4\n" + S("\x1cW\x01") + "\xa4\xa4\n");
    ASSERT_EQ(record.lines.size(), 5u);
    auto widths = [](const TPrintedLine& line) {
        std::vector<int> advances;
        for (const TTextRun& run : line.Runs)
            for (const TGlyph& g : run.Glyphs)
                advances.push_back(GlyphBox(run.Style, g).Advance);
        return advances;
    };
    EXPECT_EQ(widths(record.lines[0]), (std::vector<int>{12, 48}));
    EXPECT_EQ(record.lines[0].Ascent, 48);
    EXPECT_EQ(widths(record.lines[1]), (std::vector<int>{24, 24}));
    EXPECT_EQ(record.lines[1].Ascent, 48);
    EXPECT_EQ(widths(record.lines[2]), (std::vector<int>{36, 72}));
    EXPECT_EQ(record.lines[2].Ascent, 48);
    EXPECT_EQ(widths(record.lines[3]), (std::vector<int>{16, 29}));
    EXPECT_EQ(widths(record.lines[4]), (std::vector<int>{58}));
    EXPECT_EQ(record.lines[4].Ascent, 48);
    // Font B is 9 x 17; a Chinese character keeps its 24 x 24 cell.
    printer.Feed(S("\x1b@\x1bM\x01") + "b\xa4\xa4\n");
    EXPECT_EQ(widths(record.lines[5]), (std::vector<int>{9, 24}));
    EXPECT_EQ(record.lines[5].Ascent, 24);
}
