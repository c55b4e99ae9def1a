// The printer's paper as the terminal shows it: rows, markers, the trace, for every set.
#include "PrinterBench.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::string Row(const std::string& text, int columns) {
    return "|" + text + std::string(static_cast<std::size_t>(32 - columns), ' ') + "|";
}
std::string Row(const std::string& ascii) {
    return Row(ascii, static_cast<int>(ascii.size()));
}

// Decodes bytes fed in chunks of the given sizes (cycled; 0 means whole).
Lines Print(const std::string& bytes, TCommandSet set = csEPSON,
            std::vector<std::size_t> chunks = {0}, bool trace = false, bool finish = false) {
    TPrinterBench bench(set, {}, trace);
    std::size_t pos = 0, k = 0;
    while (pos < bytes.size()) {
        std::size_t n = chunks[k++ % chunks.size()];
        n = n == 0 ? bytes.size() - pos : std::min(n, bytes.size() - pos);
        bench.printer.Feed(bytes.data() + pos, n);
        pos += n;
    }
    if (finish)
        bench.printer.Finish();
    return bench.paper;
}

struct Case {
    std::string bytes;
    Lines paper;
};

void Expect(TCommandSet set, const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Print(c.bytes, set), c.paper) << "bytes of length " << c.bytes.size();
}

} // namespace

TEST(TerminalView, EpsonCommandsAndArguments) {
    Expect(csEPSON,
           {
               {"\n", {Row("")}},
               {"Hello\n", {Row("Hello")}},
               {"\x1b"
                "d\x0a",
                {"[feed 10 lines]"}},
               {"\x1b"
                "d\x01",
                {"[feed 1 line]"}},
               {"\x1b"
                "d\xfa",
                {"[feed 250 lines]"}},
               {"ab\x1b"
                "d\x02",
                {Row("ab"), "[feed 2 lines]"}},
               {"\x0c", {"[page end]"}},
               {"tail\x0c", {Row("tail"), "[page end]"}},
               {"\x1bp02d", {"[drawer pin 2, on 100 ms, off 200 ms]"}},
               {"\x1bp\x01\x0a\x14", {"[drawer pin 5, on 20 ms, off 40 ms]"}},
               {"\x1bp\x07\x01\x01", {"[unknown 1B 70 07 01 01]"}},
               {"\x1dV\x01", {"[cut partial]"}},
               {"\x1dV0", {"[cut full]"}},
               {"\x1dV\x42\x05", {"[cut partial, feed 5]"}},
               {"\x1dV\x09", {"[unknown 1D 56 09]"}},
               {std::string("\x1b \x00", 3), {"[right-side spacing 0]"}},
               {"\x1b \x01", {"[right-side spacing 1]"}},
               {"\x1b \x02", {"[right-side spacing 2]"}},
               {"\x1b@", {"[init]"}},
               {"ab\x1b@\n", {"[init, discarded \"ab\"]", Row("")}},
               {"\x1b"
                "a1ab\n\x1b"
                "a\x02xy\n",
                {"[align center]", "|" + std::string(15, ' ') + "ab" + std::string(15, ' ') + "|",
                 "[align right]", Row(std::string(30, ' ') + "xy")}},
               // Serial printers ignore CR; the line still ends at LF.
               {"a\r\n", {Row("a")}},
               // The drawer pulse does not print the waiting text.
               {"ab\x1bp0\x01\x01"
                "cd\n",
                {"[drawer pin 2, on 2 ms, off 2 ms]", Row("abcd")}},
           });
}

TEST(TerminalView, StartAndTp3688Commands) {
    Expect(csSTART, {
                        {"\x07", {"[drawer pulse]"}},
                        {"\x1b"
                         "a\x05",
                         {"[feed 5 lines]"}},
                        {"\x1b"
                         "C\x01",
                         {"[cut n=1]"}},
                        {"\n\x0c", {Row(""), "[page end]"}},
                        {"\x1b \x02", {"[right-side spacing 2]"}},
                        // ESC d is this printer's cut; GS V means nothing to it.
                        {"\x1b"
                         "d\x03",
                         {"[cut partial]"}},
                        {"\x1dV\x01", {"[unknown 1D 56]", "[unknown 01]"}},
                    });
    Expect(csTP3688, {
                         {"\x1b\x1bLR\x01", {"[feed 1 line]"}},
                         {"\x1b\x1bLB\x0a", {"[feed 10 lines]"}},
                         {"\x1b\x1b"
                          "C\x01",
                          {"[cut n=1]"}},
                         {"\x1b \x01", {"[right-side spacing 1]"}},
                         {"\x1b\x1bLX", {"[unknown 1B 1B 4C 58]"}},
                         // A control byte is never swallowed by the unknown command.
                         {"\x1b\x1b\n", {"[unknown 1B 1B]", Row("")}},
                         {"\x07", {"[unknown 07]"}},
                     });
    Expect(csEPSON, {
                        {"\x07", {"[unknown 07]"}},
                        {"\x1b"
                         "C\x01",
                         {"[unknown 1B 43]", "[unknown 01]"}},
                        // ESC L is EPSON's page mode; the R is text that waits for a line feed.
                        {"\x1b\x1bLR\x01", {"[unknown 1B]", "[page mode]", "[unknown 01]"}},
                    });
}

TEST(TerminalView, UnknownBytesAreShownAndDecodingRecovers) {
    // A printable byte after ESC belongs to the unknown command, the text after it prints.
    EXPECT_EQ(Print("ab\x1bzcd\x01\x1f"
                    "ef\n"),
              (Lines{"[unknown 1B 7A]", "[unknown 01]", "[unknown 1F]", Row("abcdef")}));
    // A Big5 lead byte after ESC still starts its character.
    EXPECT_EQ(Print("\x1b\xb3\x5c\n"), (Lines{"[unknown 1B]", Row("許", 2)}));
    // NUL is shown too; nothing vanishes.
    EXPECT_EQ(Print(std::string("\x00x\n", 3)), (Lines{"[unknown 00]", Row("x")}));
}

TEST(TerminalView, Big5PairsAcrossReadsAndBrokenBytes) {
    // 許 is B3 5C: its trail byte is a backslash in ASCII and must not split the pair.
    const std::string text = "\xb3\x5c\xa5\x5c\xbb\x5c\n"; // 許功蓋
    for (std::vector<std::size_t> chunks :
         {std::vector<std::size_t>{0}, {1}, {2}, {3}, {1, 2}, {5, 1}})
        EXPECT_EQ(Print(text, csEPSON, chunks), (Lines{Row("許功蓋", 6)}));
    // A lone lead byte before LF is shown in hex; the next line decodes normally.
    EXPECT_EQ(Print("a\xb3\n\xa4\x40\n", csEPSON, {1}),
              (Lines{"|a\u27E8B3\u27E9" + std::string(30, ' ') + "|", Row("一", 2)}));
    // A lead byte cut off by a command: the byte is shown, the command acts.
    EXPECT_EQ(Print("\xb3\x1b"
                    "d\x01"),
              (Lines{Row("\u27E8B3\u27E9", 1), "[feed 1 line]"}));
    // Bytes that start no character: 0x80, 0xFF, a lead with a bad trail, DEL.
    EXPECT_EQ(Print("\x80\xff\xa4\x7f"
                    "A\n"),
              (Lines{Row("\u27E8"
                         "80\u27E9\u27E8"
                         "FF\u27E9\u27E8"
                         "A4\u27E9\u27E8"
                         "7F\u27E9A",
                         5)}));
}

TEST(TerminalView, ByteByByteEqualsWhole) {
    std::string stream = "\x1b@\x1b \x01------Kavrilon\xaa\xd1\xa5\xf7\xa6\xb3\xad\xad\xa4\xbd"
                         "\xa5\x71------\n\xb3\x5c\n\x1b"
                         "d\x0a\x1bzq\xb3\n\x1bp02d\x1dV\x01"
                         "\x1dV\x41\x03"
                         "12345678901234567890123456789012X\n\x0c"
                         "\x07\x1b\x1bLR\x01\x1b"
                         "a1\xa4\x40\x1b"
                         "a0\n\x1b"
                         "d";
    for (TCommandSet set : {csEPSON, csSTART, csTP3688}) {
        const Lines whole = Print(stream, set, {0}, true, true);
        EXPECT_GT(whole.size(), 20u);
        EXPECT_EQ(Print(stream, set, {1}, true, true), whole);
        std::mt19937 rng(7);
        for (int round = 0; round < 20; ++round) {
            std::vector<std::size_t> chunks;
            for (int i = 0; i < 8; ++i)
                chunks.push_back(1 + rng() % 6);
            EXPECT_EQ(Print(stream, set, chunks, true, true), whole);
        }
    }
    // Random bytes, rich in command and lead bytes: every split agrees, every line is paper.
    std::mt19937 rng(42);
    const std::string alphabet = "\x1b\x1d\x0a\x0c\x07\x00\x01\xb3\x5c\xa4\x40\xff\x80LRBCVdap@ 0";
    for (int round = 0; round < 30; ++round) {
        std::string noise;
        for (int i = 0; i < 400; ++i)
            noise.push_back(rng() % 3 ? alphabet[rng() % alphabet.size()]
                                      : static_cast<char>(rng() % 256));
        for (TCommandSet set : {csEPSON, csSTART, csTP3688}) {
            const Lines whole = Print(noise, set, {0}, true, true);
            EXPECT_EQ(Print(noise, set, {1}, true, true), whole);
            // The trace accounts for every byte once, in order: nothing is dropped.
            std::size_t traced = 0;
            for (const std::string& line : whole) {
                EXPECT_TRUE(line[0] == '|' || line[0] == '[' || line[0] == '#') << line;
                if (line[0] != '#')
                    continue;
                EXPECT_EQ(std::stoul(line.substr(2, 6)), traced) << line;
                const std::string hex = line.substr(10, line.find("  ", 10) - 10);
                traced += (hex.size() + 1) / 3;
            }
            EXPECT_EQ(traced, noise.size());
            EXPECT_EQ(whole.back(), "[end]");
        }
    }
    const Lines epson = Print(stream, csEPSON, {0}, false, true);
    // One dot of right-side spacing makes the 32 columns 404 dots: the line wraps.
    EXPECT_EQ(epson[2], Row("------Kavrilon股份有限公司----", 30));
    EXPECT_EQ(epson[3], Row("--"));
    EXPECT_EQ(epson.back(), "[end]");
    EXPECT_EQ(epson[epson.size() - 2], "[incomplete 1B 64]");
}

TEST(TerminalView, LinesWrapAtTheEdgeOfThePrintArea) {
    std::string sixteen, fifteen;
    for (int i = 0; i < 16; ++i)
        sixteen += "\xa4\x40"; // 一
    fifteen = sixteen.substr(2);
    std::string onesText;
    for (int i = 0; i < 16; ++i)
        onesText += "一";
    EXPECT_EQ(Print(std::string(32, 'x') + "\n"), (Lines{Row(std::string(32, 'x'))}));
    EXPECT_EQ(Print(std::string(33, 'x') + "\n"), (Lines{Row(std::string(32, 'x')), Row("x")}));
    EXPECT_EQ(Print(sixteen + "\n"), (Lines{Row(onesText, 32)}));
    // 15 Chinese characters and three letters: 33 columns although only 18 characters.
    EXPECT_EQ(Print(fifteen + "abc\n"), (Lines{Row(onesText.substr(3) + "ab", 32), Row("c")}));
    // The invoice's date line is 34 bytes in Big5.
    EXPECT_EQ(Print("\xa4\xe9\xb4\xc1:2024/05/06 07:08:09 #12345678\n"),
              (Lines{Row("日期:2024/05/06 07:08:09 #123456", 32), Row("78")}));
    // Font B has 42 columns; double width 16; a print width of 100 dots 8 of font A.
    EXPECT_EQ(Print("\x1bM1" + std::string(43, 'b') + "\n"),
              (Lines{"[font B]", "|" + std::string(42, 'b') + "|", Row("b")}));
    EXPECT_EQ(Print("\x1d!\x10" + std::string(17, 'w') + "\n"),
              (Lines{"[size 2x1]", Row(std::string(16, 'w')), Row("w")}));
    EXPECT_EQ(Print(S("\x1dW\x64\x00") + std::string(9, 'n') + "\n"),
              (Lines{"[print width 100]", Row(std::string(8, 'n')), Row("n")}));
}

TEST(TerminalView, TabsAndPositionsPlaceTheText) {
    // Tab stops every 8 columns; ESC D sets them, ESC $ and ESC \ move to dots.
    EXPECT_EQ(Print("a\tb\tc\n"), (Lines{Row("a       b       c")}));
    EXPECT_EQ(Print(S("\x1b"
                      "D\x04\x0a\x00") +
                    "ab\tc\td\te\n"),
              (Lines{"[tab stops 4 10]", Row("ab  c     de")}));
    EXPECT_EQ(
        Print(S("\x1b$\x78\x00") + "x" + S("\x1b\\\x18\x00") + "y\n"),
        (Lines{"[position 120]", "[relative position 24]", Row(std::string(10, ' ') + "x  y")}));
    // A centred line takes its dots from the print area the margin leaves.
    EXPECT_EQ(Print(S("\x1dL\x30\x00\x1b"
                      "a\x01") +
                    "ab\n"),
              (Lines{"[left margin 48]", "[align center]", Row(std::string(17, ' ') + "ab")}));
}

TEST(TerminalView, TraceAndEndOfInput) {
    EXPECT_EQ(Print("Hi\n\x1b"
                    "d\x03\xb3",
                    csEPSON, {1}, true, true),
              (Lines{"# 000000  48 69  text \"Hi\"", "# 000002  0A  line feed", Row("Hi"),
                     "# 000003  1B 64 03  feed 3 lines", "[feed 3 lines]",
                     "# 000006  B3  text \"\u27E8B3\u27E9\"", "[unprinted \"\u27E8B3\u27E9\"]",
                     "[end]"}));
    EXPECT_EQ(Print("\x1dV", csEPSON, {0}, false, true), (Lines{"[incomplete 1D 56]", "[end]"}));
}
