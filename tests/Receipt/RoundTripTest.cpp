// Every typed command through every set: what a set writes, its decoder reads back as the
// same command; what it cannot write it says so; length fields never outrun the stream.
#include "Commands/CommandTable.h"
#include "Receipt/Decoder.h"
#include "Receipt/Describe.h"
#include "Rtl/CodePage.h"

#include <gtest/gtest.h>
#include <set>

// Failures name the commands.
namespace Cmd {
void PrintTo(const TCommand& command, std::ostream* os) {
    *os << Describe(command);
}
} // namespace Cmd

namespace {

using Commands = std::vector<TCommand>;

// Decodes whole and byte by byte; both must agree.
Commands Decode(TCommandSet set, const std::string& bytes) {
    Commands whole, single;
    TDecoder a(set,
               [&](const TCommand& c, std::uint64_t, std::string_view) { whole.push_back(c); });
    TDecoder b(set,
               [&](const TCommand& c, std::uint64_t, std::string_view) { single.push_back(c); });
    a.Feed(bytes);
    a.Finish();
    for (const char c : bytes)
        b.Feed(&c, 1);
    b.Finish();
    EXPECT_EQ(whole.size(), single.size());
    return whole == single ? whole : Commands{};
}

std::string Big5(const char* text) {
    return TCodePage("CP950").Encode(QString::fromUtf8(text));
}

Commands Samples() {
    using namespace Cmd;
    const std::string image{'\x1b', '@', '\n', '\x00', '\xff', '\x1d'};
    return {Text{Big5("總計 100 元")},
            Raw{"\x1bz"},
            Incomplete{"\x1d"},
            LineFeed{},
            FormFeed{},
            CarriageReturn{},
            FeedLines{0},
            FeedLines{255},
            FeedDots{24},
            Init{},
            Cut{true, {}},
            Cut{false, {}},
            Cut{true, 5},
            Cut{false, 0},
            CutN{1},
            CutN{7},
            Drawer{},
            Drawer{1, 10, 20},
            DrawerPulse{},
            CharSpacing{0},
            CharSpacing{2},
            Font{1},
            Font{'1'},
            PrintMode{0x38},
            Underline{2},
            Emphasis{1},
            DoubleStrike{0},
            CharSize{0x11},
            Reverse{1},
            Align{paCenter},
            Align{paRight},
            LineSpacing{},
            LineSpacing{24},
            CodeTable{16},
            ChineseMode{true},
            ChineseMode{false},
            AbsolutePosition{300},
            PrintArea{0, 0, 384, 512},
            PrintDirection{1},
            PageMode{},
            StandardMode{},
            LeftMargin{16},
            PrintWidth{512},
            VerticalPosition{32},
            RelativeVertical{-10},
            BarcodeHeight{80},
            BarcodeWidth{2},
            BarcodeText{'2'},
            Barcode{syCode39, "12345"},
            Barcode{syCode128, std::string("{BAB\0cd", 7)},
            RasterImage{3, 2, 3, image},
            Graphics{"0p0\x01\x01"
                     "1\x08\x00\x01\x00\xff"},
            QrModel{50},
            QrModuleSize{6},
            QrErrorLevel{51},
            QrStore{"https://example.org/"},
            QrPrint{},
            TwoDCode{std::string("\x32\x41\x02", 3)},
            RealTimeStatus{1},
            RealTimeStatus{4},
            AutoStatus{0xFF},
            SensorStatus{1},
            SensorStatus{'2'},
            Identity{0x42},
            SelfTest{2, 2},
            SelfTest{'0', '3'},
            Tab{},
            TabStops{"\x04\x0a"},
            TabStops{""},
            VerticalTab{},
            RelativePosition{-24},
            International{3},
            UpsideDown{1},
            Italic{1},
            Rotate{'1'},
            Colour{1},
            Peripheral{0},
            BarcodeFont{1},
            MotionUnits{203, 203},
            KanjiMode{0x0C},
            KanjiUnderline{2},
            KanjiSpacing{2, 3},
            KanjiQuadruple{1},
            KanjiStyle{std::string("\x30\x00", 2)},
            RealTimeRequest{1, std::string("\x00\x05", 2)},
            RealTimeRequest{8, "\x01\x03\x14\x01\x06\x02\x08"},
            BitImage{33, image},
            BitImage{0, "\x81"},
            NvImage{1, 48},
            QrSizeRequest{},
            Graphics{image, true},
            DrawerSettings{20, 40},
            Cancel{},
            StarCodePage{32},
            StarBarcode{'4', '2', '2', 80, "12345"},
            Barcode{syGs1_128, "(01)09501101530003"},
            Barcode{syCode128Auto, "ABC123"}};
}

} // namespace

TEST(RoundTrip, EveryCommandASetWritesReadsBackAsItselfAndTheRestSaySo) {
    const Commands samples = Samples();
    std::set<std::size_t> kinds, written;
    for (const TCommand& sample : samples)
        kinds.insert(sample.index());
    EXPECT_EQ(kinds.size(), std::variant_size_v<TCommand>) << "a sample of every kind";
    for (const TCommandSet set : {csEPSON, csSTART, csTP3688}) {
        int supported = 0;
        for (const TCommand& sample : samples) {
            SCOPED_TRACE(std::string(CommandSetName(set)) + " " + Describe(sample));
            const TEncoding encoded = Encode(set, sample);
            if (!encoded.Supported) {
                EXPECT_EQ(encoded.Reason,
                          std::string(CommandSetName(set)) + " has no " + CommandKindName(sample));
                EXPECT_TRUE(encoded.Bytes.empty());
                continue;
            }
            ++supported;
            written.insert(sample.index());
            EXPECT_EQ(Decode(set, encoded.Bytes), Commands{sample});
        }
        // Text, raw bytes, the line-mode basics at least; ESC/POS far more.
        EXPECT_GE(supported, set == csEPSON ? 60 : 8);
    }
    EXPECT_EQ(written, kinds) << "every kind is written by some set";
}

TEST(RoundTrip, ValuesNoPrinterTakesAreRefusedWithTheReason) {
    using namespace Cmd;
    const std::pair<TCommand, const char*> refused[] = {
        {Text{"a\nb"}, "text holds the control byte 0A at 1"},
        {Text{""}, "no text"},
        {Drawer{2, 50, 100}, "the drawer pin is 0 (connector pin 2) or 1 (pin 5)"},
        {RasterImage{0, 2, 3, "short"}, "the image holds 5 bytes, not 2 x 3"},
        {Barcode{syCode39, std::string(256, '1')}, "barcode data of 256 bytes is more than 255"},
        {RealTimeStatus{7}, "the printer does not take 7 for real-time status request"},
        {TwoDCode{std::string("1Q0", 3)}, "that body is a QR code command"},
        {SelfTest{2, 7}, "the self-test takes paper 0 to 2 and test 1 to 3"},
    };
    for (const auto& [command, reason] : refused) {
        const TEncoding encoded = Encode(csEPSON, command);
        EXPECT_FALSE(encoded.Supported) << reason;
        EXPECT_EQ(encoded.Reason, reason);
    }
    // A job stops at its first command that cannot be written, and says which.
    const TEncoding job = Encode(csTP3688, Commands{Cmd::Init{}, Cmd::FormFeed{}, Cmd::Init{}});
    EXPECT_FALSE(job.Supported);
    EXPECT_EQ(job.Reason, "TP-3688 has no form feed");
}

TEST(RoundTrip, TheProgramsOwnCommandsReadAsCommandsInTheirSet) {
    for (const TCommandSet set : {csEPSON, csSTART, csTP3688})
        for (int w = 0; w < CommandWordCount; ++w) {
            const TCommandCode& code = CommandCode(set, static_cast<TCommandWord>(w));
            if (!code.Supported)
                continue;
            SCOPED_TRACE(std::string(CommandSetName(set)) + " " +
                         CommandWordName(static_cast<TCommandWord>(w)));
            for (const int count : {0, 3, 255}) {
                const std::string bytes = EncodeCommand(code, count, w == cwPrint ? "AB" : "");
                const Commands read = Decode(set, bytes);
                // One command; a print line is its text and the line feed.
                ASSERT_EQ(read.size(), w == cwPrint ? 2u : 1u);
                for (const TCommand& c : read) {
                    EXPECT_FALSE(std::holds_alternative<Cmd::Raw>(c)) << Describe(c);
                    EXPECT_FALSE(std::holds_alternative<Cmd::Incomplete>(c)) << Describe(c);
                }
            }
        }
}

TEST(RoundTrip, LengthFieldsNeverReachPastTheBytesThatCame) {
    // pL pH claim 65535 bytes; ten come, then the stream ends.
    const std::string claim = std::string("\x1d(L\xff\xff", 5) + "0123456789";
    EXPECT_EQ(Decode(csEPSON, claim), Commands{Cmd::Incomplete{claim}});
    // An image claiming 65535 x 65535 bytes is taken for stray bytes: its header is unknown
    // and what follows is read as it is.
    const std::string huge = std::string("\x1dv0\x00\xff\xff\xff\xff", 8) + "ok";
    EXPECT_EQ(Decode(csEPSON, huge), (Commands{Cmd::Raw{huge.substr(0, 8)}, Cmd::Text{"ok"}}));
    // Form A barcode data without its NUL ends after 256 bytes, then reads on.
    const std::string endless = std::string("\x1dk\x04", 3) + std::string(300, '7');
    const Commands read = Decode(csEPSON, endless);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], TCommand(Cmd::Raw{endless.substr(0, 259)}));
    EXPECT_EQ(read[1], TCommand(Cmd::Text{std::string(44, '7')}));
}

TEST(RoundTrip, TextWithoutAControlByteComesInPiecesThatKeepEveryCharacterWhole) {
    // 總 is C1 60: its second byte looks like ASCII. Pieces end after whole characters only.
    const TCodePage big5("CP950");
    const QString meant = "A" + QString(3000, QChar(0x7E3D)) + "B" + QString(3000, QChar(0x5143));
    const std::string bytes = big5.Encode(meant);
    const Commands read = Decode(csEPSON, bytes);
    ASSERT_GE(read.size(), bytes.size() / TDecoder::TextPiece);
    QString joined;
    for (const TCommand& c : read) {
        const auto* text = std::get_if<Cmd::Text>(&c);
        ASSERT_TRUE(text);
        EXPECT_LE(text->Bytes.size(), TDecoder::TextPiece);
        std::vector<std::size_t> invalid;
        joined += big5.Decode(text->Bytes, &invalid);
        EXPECT_TRUE(invalid.empty());
    }
    EXPECT_EQ(joined, meant);
}
