// The printer's answers: every condition answered and read back gives its facts; the answers'
// bytes, the silent printer, the automatic status and the identity blocks.
#include "PrinterBench.h"

#include <gtest/gtest.h>

namespace {

std::string Dle(int n) {
    return std::string{0x10, 0x04, static_cast<char>(n)};
}

std::vector<TPrinterState> EveryState() {
    std::vector<TPrinterState> states;
    for (const auto paper : {TPaperLevel::Ok, TPaperLevel::NearEnd, TPaperLevel::Out})
        for (int bits = 0; bits < 8; ++bits) {
            TPrinterState s;
            s.Paper = paper;
            s.CoverOpen = bits & 1;
            s.DrawerOpen = bits & 2;
            s.Offline = bits & 4;
            states.push_back(s);
        }
    return states;
}

} // namespace

TEST(PrinterAnswers, EveryStateAnsweredReadsBackAsItsFacts) {
    for (const TPrinterState& s : EveryState()) {
        SCOPED_TRACE(::testing::Message()
                     << "paper " << int(s.Paper) << " cover " << s.CoverOpen << " drawer "
                     << s.DrawerOpen << " offline " << s.Offline);
        const TStatusFacts want = FactsOf(s);
        TPrinterBench bench(csEPSON, s);
        TStatusFacts facts;
        for (int n = 1; n <= 4; ++n) {
            const std::string answer = bench.Ask(Dle(n));
            ASSERT_EQ(answer.size(), 1u);
            const auto request = static_cast<TStatusRequest>(n);
            ASSERT_TRUE(ReadRealTimeStatus(request, static_cast<std::uint8_t>(answer[0]), facts));
        }
        EXPECT_EQ(facts, want);
        // The automatic status and the sensors carry a part of the facts: read over the
        // complete ones they change nothing.
        TStatusFacts again = facts;
        EXPECT_TRUE(ReadAutoStatus(bench.Ask("\x1d\x61\x01"), again));
        EXPECT_TRUE(
            ReadPaperSensor(static_cast<std::uint8_t>(bench.Ask("\x1dr\x01").at(0)), again));
        EXPECT_TRUE(ReadPaperSensor(static_cast<std::uint8_t>(bench.Ask("\x1dr1").at(0)), again));
        EXPECT_TRUE(
            ReadDrawerSensor(static_cast<std::uint8_t>(bench.Ask("\x1dr\x02").at(0)), again));
        EXPECT_EQ(again, want);
        // Each request shows on the paper.
        EXPECT_EQ(Lines(bench.paper.begin(), bench.paper.begin() + 4),
                  (Lines{"[status request 1]", "[status request 2]", "[status request 3]",
                         "[status request 4]"}));
    }
}

TEST(PrinterAnswers, TypicalAnswersAndASilentPrinter) {
    TPrinterState out;
    out.Paper = TPaperLevel::Out;
    TPrinterBench empty(csEPSON, out);
    EXPECT_EQ(empty.Ask(Dle(1) + Dle(2) + Dle(3) + Dle(4)), "\x1A\x32\x12\x7E");
    TPrinterBench healthy;
    EXPECT_EQ(healthy.Ask(Dle(1) + Dle(2) + Dle(3) + Dle(4)), "\x12\x12\x12\x12");
    TPrinterState quiet;
    quiet.Silent = true;
    TPrinterBench silent(csEPSON, quiet);
    EXPECT_EQ(silent.Ask(Dle(1) + "\x1d\x61\x01\x1dr\x01\x1dI\x42"), "");
    EXPECT_EQ(silent.paper[0], "[status request 1]");
    // A request for an n the printer does not know is shown, not answered.
    EXPECT_EQ(healthy.Ask(Dle(7)), "");
    EXPECT_EQ(healthy.paper.back(), "[unknown 10 04 07]");
}

TEST(PrinterAnswers, AutomaticStatusFollowsTheStateAndSurvivesInit) {
    TPrinterBench bench;
    EXPECT_EQ(bench.Ask("\x1d\x61\xff"), S("\x10\x00\x00\x00"));
    EXPECT_TRUE(bench.printer.AutoStatusOn());
    TPrinterState s;
    s.CoverOpen = true;
    bench.replies.clear();
    bench.printer.SetState(s);
    EXPECT_EQ(bench.replies, S("\x38\x00\x00\x00"));
    bench.replies.clear();
    bench.printer.SetState(s); // no change, nothing sent
    EXPECT_EQ(bench.replies, "");
    // ESC @ keeps the state.
    EXPECT_EQ(bench.Ask("\x1b@" + Dle(2)), "\x56");
    EXPECT_EQ(bench.Ask(S("\x1d\x61\x00")), "");
    EXPECT_FALSE(bench.printer.AutoStatusOn());
    bench.replies.clear();
    bench.printer.SetState({});
    EXPECT_EQ(bench.replies, "");
}

TEST(PrinterAnswers, IdentityBlocks) {
    TPrinterBench bench;
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(bench.Ask(std::string{0x1d, 'I', static_cast<char>(n)}).size(), 1u) << n;
    for (int n = 0x41; n <= 0x45; ++n) {
        const std::string block = bench.Ask(std::string{0x1d, 'I', static_cast<char>(n)});
        ASSERT_GE(block.size(), 3u) << n;
        EXPECT_EQ(block.front(), '\x5f');
        EXPECT_EQ(block.back(), '\0');
        EXPECT_EQ(block.find('\0'), block.size() - 1) << "one NUL, at the end";
    }
    EXPECT_EQ(bench.Ask("\x1dI\x42"), S("\x5fVEMIX\0"));
    // The fonts block names the double-byte set and the code page the printer reads.
    EXPECT_EQ(bench.Ask("\x1dI\x45"), S("\x5f"
                                        "BIG5 CP950\0"));
}

TEST(TerminalView, ReceiptCommandsAreReadWholeAndShowAsMarkers) {
    TPrinterBench bench;
    // A raster image whose data looks like commands and text: none of it may print.
    const std::string image = S("\x1dv0\x00\x02\x00\x03\x00") + S("\x1b@\n\x0c\x1dV");
    const std::string qr = S("\x1d(k\x1f\x00\x31\x50\x30") + std::string(28, 'Q');
    const std::string graphics = S("\x1d(L\x04\x00\x30\x45\x0a\x0a");
    const std::string receipt =
        S("\x1b!\x08\x1b-\x01\x1b"
          "E\x01\x1bG\x00\x1bt\x00") +
        "Shop\n" + S("\x1bJ\x18\x1b$\x40\x00\x1bW\x00\x00\x00\x00\x80\x01\x00\x02") +
        S("\x1bT\x01\x1bL\x1bS\x1d!\x11\x1d"
          "B\x01\x1dH\x02\x1dh\x50\x1dw\x03") +
        S("\x1dL\x10\x00\x1dW\x00\x02\x1d$\x20\x00\x1d\\\xf6\xff") + image + qr + graphics +
        S("\x1dk\x04"
          "12345\0") +
        S("\x1dk\x49\x05"
          "AB\ncd") +
        "Thanks\n" + S("\x1dV\x41\x03") + S("\x1dr\x01");
    const std::string replies = bench.Ask(receipt);
    EXPECT_EQ(replies, std::string(1, '\0'));
    // CODE128 data begins with its code set; Thanks is printed after a left margin of 16 dots.
    const std::string refused =
        "[barcode CODE128 AB.cd: not printed, it starts with a code set, {A, {B or {C]";
    const Lines expected = {"[print mode 8]",
                            "[underline on]",
                            "[bold on]",
                            "[double strike off]",
                            "[code table 0]",
                            "|Shop                            |",
                            "[feed 24 dots]",
                            "[position 64]",
                            "[print area 384x512 at 0,0]",
                            "[direction 1]",
                            "[page mode]",
                            "[standard mode]",
                            "[size 2x2]",
                            "[reverse on]",
                            "[barcode text below]",
                            "[barcode height 80]",
                            "[barcode width 3]",
                            "[left margin 16]",
                            "[print width 512]",
                            "[vertical position 32]",
                            "[relative vertical position -10]",
                            "[image 16x3]",
                            "[QR 28 bytes]",
                            "[graphics 4 bytes]",
                            "[barcode CODE39 12345]",
                            refused,
                            "| Thanks                         |",
                            "[cut full, feed 3]",
                            "[paper sensor request]"};
    EXPECT_EQ(bench.paper, expected);

    // Byte by byte reads the same.
    TPrinterBench slow;
    for (const char c : receipt)
        slow.printer.Feed(&c, 1);
    EXPECT_EQ(slow.paper, expected);
    EXPECT_EQ(slow.replies, std::string(1, '\0'));
}
