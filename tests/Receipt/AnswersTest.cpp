// The virtual printer's answers: held against the program's own status decoder for every
// state, the ESC/POS commands a receipt is made of, and the printer as a peer on its ports.
#include "Commands/PrinterStatus.h"
#include "Decoder.h"
#include "Service.h"

#include <QProcess>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

// A decoder in EPSON mode whose paper and answers the test reads.
struct Bench {
    Lines paper;
    std::string replies;
    TextCodec codec{"CP950"};
    Paper roll{[this](const std::string& l) { paper.push_back(l); }};
    Decoder decoder{CommandSet::Epson, codec, roll};
    explicit Bench(const PrinterState& state = {}) {
        decoder.SetOnReply([this](const std::string& b) { replies += b; });
        decoder.SetState(state);
    }
    std::string Ask(const std::string& bytes) {
        replies.clear();
        decoder.Feed(bytes);
        return replies;
    }
};

// Bytes of a literal, NULs included.
template <std::size_t N> std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string Dle(int n) {
    return std::string{0x10, 0x04, static_cast<char>(n)};
}

std::vector<PrinterState> EveryState() {
    std::vector<PrinterState> states;
    for (const auto paper : {PrinterState::PaperLevel::Ok, PrinterState::PaperLevel::NearEnd,
                             PrinterState::PaperLevel::Out})
        for (int bits = 0; bits < 8; ++bits) {
            PrinterState s;
            s.paper = paper;
            s.coverOpen = bits & 1;
            s.drawerOpen = bits & 2;
            s.offline = bits & 4;
            states.push_back(s);
        }
    return states;
}

bool Says(const QStringList& lines, const char* fact) {
    return lines.contains(QString::fromUtf8(fact));
}

} // namespace

TEST(VirtualPrinterStatus, EveryStateReadsBackThroughTheProgramsDecoder) {
    for (const PrinterState& s : EveryState()) {
        SCOPED_TRACE(::testing::Message()
                     << "paper " << int(s.paper) << " cover " << s.coverOpen << " drawer "
                     << s.drawerOpen << " offline " << s.offline);
        Bench bench(s);
        QStringList facts;
        for (int n = 1; n <= 4; ++n) {
            const std::string answer = bench.Ask(Dle(n));
            ASSERT_EQ(answer.size(), 1u);
            const QStringList lines = DecodeStatusByte({static_cast<TStatusRequest>(n), answer});
            ASSERT_TRUE(StatusByteRecognised(static_cast<std::uint8_t>(answer[0])));
            facts << lines;
        }
        const bool out = s.paper == PrinterState::PaperLevel::Out;
        const bool low = s.paper != PrinterState::PaperLevel::Ok;
        EXPECT_TRUE(Says(facts, s.drawerOpen ? "錢箱接腳 3：高電位" : "錢箱接腳 3：低電位"));
        EXPECT_TRUE(
            Says(facts, s.offline || s.coverOpen || out ? "連線狀態：離線" : "連線狀態：上線"));
        EXPECT_TRUE(Says(facts, s.coverOpen ? "上蓋：開啟" : "上蓋：關閉"));
        EXPECT_TRUE(Says(facts, out ? "因缺紙停止列印：是" : "因缺紙停止列印：否"));
        EXPECT_TRUE(Says(facts, low ? "紙捲將盡：是" : "紙捲將盡：否"));
        EXPECT_TRUE(Says(facts, out ? "紙捲用完：是" : "紙捲用完：否"));
        EXPECT_TRUE(Says(facts, "機構錯誤：無"));
        EXPECT_TRUE(Says(facts, "進紙鍵：放開"));
        // Each request shows on the paper.
        EXPECT_EQ(bench.paper, (Lines{"[status request 1]", "[status request 2]",
                                      "[status request 3]", "[status request 4]"}));

        // The automatic status: the same facts in its own layout.
        const std::string status = bench.Ask("\x1d\x61\x01");
        ASSERT_EQ(status.size(), 4u);
        const auto b = [&status](int i) { return static_cast<std::uint8_t>(status[i]); };
        EXPECT_EQ(b(0) & 0x93, 0x10);
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(b(i) & 0x90, 0) << i;
        EXPECT_EQ(b(3), 0);
        EXPECT_EQ(bool(b(0) & 0x04), s.drawerOpen);
        EXPECT_EQ(bool(b(0) & 0x08), s.offline || s.coverOpen || out);
        EXPECT_EQ(bool(b(0) & 0x20), s.coverOpen);
        EXPECT_EQ(b(2) & 0x03, low ? 0x03 : 0);
        EXPECT_EQ(b(2) & 0x0C, out ? 0x0C : 0);
        // GS r: the paper sensor and the drawer.
        EXPECT_EQ(bench.Ask("\x1dr\x01"), std::string(1, static_cast<char>(b(2))));
        EXPECT_EQ(bench.Ask("\x1dr1"), std::string(1, static_cast<char>(b(2))));
        EXPECT_EQ(bench.Ask("\x1dr\x02"), std::string(1, s.drawerOpen ? '\x01' : '\x00'));
    }
}

TEST(VirtualPrinterStatus, TypicalAnswersAndASilentPrinter) {
    PrinterState out;
    out.paper = PrinterState::PaperLevel::Out;
    Bench empty(out);
    EXPECT_EQ(empty.Ask(Dle(1) + Dle(2) + Dle(3) + Dle(4)), "\x1A\x32\x12\x7E");
    Bench healthy;
    EXPECT_EQ(healthy.Ask(Dle(1) + Dle(2) + Dle(3) + Dle(4)), "\x12\x12\x12\x12");
    PrinterState quiet;
    quiet.silent = true;
    Bench silent(quiet);
    EXPECT_EQ(silent.Ask(Dle(1) + "\x1d\x61\x01\x1dr\x01\x1dI\x42"), "");
    EXPECT_EQ(silent.paper[0], "[status request 1]");
    // A request for an n the printer does not know is shown, not answered.
    EXPECT_EQ(healthy.Ask(Dle(7)), "");
    EXPECT_EQ(healthy.paper.back(), "[unknown 10 04 07]");
}

TEST(VirtualPrinterStatus, AutomaticStatusFollowsTheStateAndSurvivesInit) {
    Bench bench;
    EXPECT_EQ(bench.Ask("\x1d\x61\xff"), S("\x10\x00\x00\x00"));
    EXPECT_TRUE(bench.decoder.AutoStatusOn());
    PrinterState s;
    s.coverOpen = true;
    bench.replies.clear();
    bench.decoder.SetState(s);
    EXPECT_EQ(bench.replies, S("\x38\x00\x00\x00"));
    bench.replies.clear();
    bench.decoder.SetState(s); // no change, nothing sent
    EXPECT_EQ(bench.replies, "");
    // ESC @ keeps the state.
    EXPECT_EQ(bench.Ask("\x1b@" + Dle(2)), "\x56");
    EXPECT_EQ(bench.Ask(S("\x1d\x61\x00")), "");
    EXPECT_FALSE(bench.decoder.AutoStatusOn());
    bench.replies.clear();
    bench.decoder.SetState({});
    EXPECT_EQ(bench.replies, "");
}

TEST(VirtualPrinterStatus, IdentityBlocks) {
    Bench bench;
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
}

TEST(VirtualPrinterDecoder, ReceiptCommandsAreReadWholeAndShowAsMarkers) {
    Bench bench;
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
                            "[barcode CODE128 AB.cd]",
                            "|Thanks                          |",
                            "[cut full, feed 3]",
                            "[paper sensor request]"};
    EXPECT_EQ(bench.paper, expected);

    // Byte by byte reads the same.
    Bench slow;
    for (const char c : receipt)
        slow.decoder.Feed(&c, 1);
    EXPECT_EQ(slow.paper, expected);
    EXPECT_EQ(slow.replies, std::string(1, '\0'));
}

TEST(VirtualPrinterOptions, StateOptions) {
    std::vector<std::string> args = {"vemix-printer", "--paper", "near-end",  "--cover", "open",
                                     "--drawer",      "open",    "--offline", "--silent"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::string error;
    const auto o = ParseOptions(static_cast<int>(argv.size()), argv.data(), error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->state.paper, PrinterState::PaperLevel::NearEnd);
    EXPECT_TRUE(o->state.coverOpen && o->state.drawerOpen && o->state.offline && o->state.silent);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"p", "--paper", "low"},
                                                {"p", "--cover", "ajar"},
                                                {"p", "--drawer"}}) {
        std::vector<std::string> copy = bad;
        std::vector<char*> v;
        for (std::string& a : copy)
            v.push_back(a.data());
        EXPECT_FALSE(ParseOptions(static_cast<int>(v.size()), v.data(), error)) << bad[1];
        EXPECT_FALSE(error.empty());
    }
}
