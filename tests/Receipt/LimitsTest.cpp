// What the printer refuses and where the paper stops: barcode data a printer would not take and
// symbols wider than the print area print nothing and say why; any stream of bytes stays
// within the paper's width, images within their height, and text wraps.
#include "PrinterBench.h"

#include <gtest/gtest.h>
#include <random>

namespace {

struct TItems : TPaperObserver {
    std::vector<TPaperItem> items;
    void Printed(const TPaperItem& item) override { items.push_back(item); }
};

std::string FormB(int m, const std::string& data) {
    return S("\x1dk") + static_cast<char>(m) + static_cast<char>(data.size()) + data;
}

std::string QrStore(const std::string& data) {
    const std::size_t n = data.size() + 3;
    return S("\x1d(k") + static_cast<char>(n & 0xFF) + static_cast<char>(n >> 8) + "1P0" + data;
}

} // namespace

TEST(PaperLimits, RefusedBarcodesAndSymbolsPrintNothingAndSayWhy) {
    TPrinterBench bench;
    TItems record;
    bench.roll.AddObserver(record);
    bench.printer.Feed(FormB(67, "4006381333932") + FormB(67, "40063813339") + FormB(69, "abc") +
                       FormB(70, "12345") + FormB(73, "12") + S("\x1dw\x06") +
                       FormB(73, "{B" + std::string(40, 'x')) + S("\x1d(k\x03\x00\x31\x51\x30") +
                       S("\x1d(k\x03\x00\x31\x43\x10") + QrStore(std::string(300, 'q')) +
                       S("\x1d(k\x03\x00\x31\x51\x30"));
    Lines refused;
    for (const std::string& line : bench.paper) {
        // How wide the encoder makes a symbol is its own business.
        const auto dots = line.find(" dots wide");
        if (dots != std::string::npos)
            refused.push_back(line.substr(0, line.rfind(", ", dots) + 2) + "N" + line.substr(dots));
        else if (line.find("not printed") != std::string::npos)
            refused.push_back(line);
    }
    EXPECT_EQ(refused,
              (Lines{"[barcode JAN13 4006381333932: not printed, invalid check digit '2', "
                     "expecting '1']",
                     "[barcode JAN13 40063813339: not printed, 11 digits, it takes 12 or 13]",
                     "[barcode CODE39 abc: not printed, it takes 0-9, A-Z, space and $ % + - . / "
                     "only]",
                     "[barcode ITF 12345: not printed, 5 digits, it takes an even number]",
                     "[barcode CODE128 12: not printed, it starts with a code set, {A, {B or {C]",
                     "[barcode CODE128 {Bxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx: not printed, "
                     "N dots wide, more than the print area's 384]",
                     "[QR print: not printed, no data stored]",
                     "[QR print: not printed, N dots wide, more than the print area's 384]"}));
    // Nothing of them is on the paper.
    EXPECT_EQ(bench.roll.Top(), 0);
    for (const TPaperItem& item : record.items)
        EXPECT_EQ(item.Height, 0) << item.Marker;
}

TEST(PaperLimits, TheQrCodeSizeIsAnsweredAsItPrints) {
    TPrinterBench bench;
    TItems record;
    bench.roll.AddObserver(record);
    // Nothing stored: sizes 0, cannot print.
    EXPECT_EQ(bench.Ask(S("\x1d(k\x03\x00\x31\x52\x30")), S("\x37\x76"
                                                            "0\x1f"
                                                            "0\x1f"
                                                            "1\0"));
    const std::string answer = bench.Ask(S("\x1d(k\x03\x00\x31\x43\x05") + QrStore("receipt 42") +
                                         S("\x1d(k\x03\x00\x31\x52\x30\x1d(k\x03\x00\x31\x51\x30"));
    ASSERT_FALSE(record.items.empty());
    const TPaperItem& printed = record.items.back();
    ASSERT_EQ(printed.Kind, TItemKind::QrCode);
    const std::string side = std::to_string(printed.Height);
    EXPECT_EQ(answer, S("\x37\x76") + side + "\x1f" + side +
                          S("\x1f"
                            "0\0"));
}

TEST(PaperLimits, AnyBytesStayWithinThePaper) {
    std::mt19937 rng(2024);
    // Random bytes, ten kilobytes of them, rich in command bytes, several times over.
    for (int round = 0; round < 20; ++round) {
        std::string noise;
        for (int i = 0; i < 10000; ++i)
            noise.push_back(rng() % 4 ? static_cast<char>(rng() % 256)
                                      : "\x1b\x1d\x1c\x10\n"[rng() % 5]);
        for (const TCommandSet set : {csEPSON, csSTART}) {
            TPrinterBench bench(set);
            TItems record;
            bench.roll.AddObserver(record);
            bench.printer.Feed(noise);
            bench.printer.Finish();
            for (const TPaperItem& item : record.items) {
                EXPECT_LE(item.Height, TPaper::MaxImageDots);
                if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
                    for (const TTextRun& run : line->Runs) {
                        int right = run.X;
                        for (const TGlyph& g : run.Glyphs)
                            right += GlyphBox(run.Style, g).Advance;
                        // A single character wider than the line prints alone on it.
                        EXPECT_TRUE(right <= TPaper::Width58 || run.Glyphs.size() == 1) << right;
                    }
                if (const auto* image = std::get_if<TImageData>(&item.Data)) {
                    EXPECT_LE(image->X + image->Width * image->ScaleX, TPaper::Width58);
                }
            }
            // A printer feeds at most 255 lines of 255 dots a command.
            EXPECT_LT(bench.roll.Top(), 10000 * 255);
        }
    }
}

TEST(PaperLimits, AFloodOfTextWrapsAndHugeImagesAreCut) {
    TPrinterBench bench;
    TItems record;
    bench.roll.AddObserver(record);
    bench.printer.Feed(std::string(1 << 20, 'x'));
    // Printed as it comes, not held until the line ends.
    EXPECT_GT(record.items.size(), 30000u);
    bench.printer.Feed("\n");
    std::size_t lines = 0;
    for (const TPaperItem& item : record.items)
        if (const auto* line = std::get_if<TPrintedLine>(&item.Data)) {
            ++lines;
            EXPECT_LE(line->Width, TPaper::Width58);
        }
    EXPECT_EQ(lines, ((1u << 20) + 31) / 32);
    // GS 8 L raster graphics of 576 x 40000 dots at double height: cut to the print area of
    // 58 mm paper and to 65536 dots of height.
    record.items.clear();
    const std::size_t rowBytes = 72, rows = 40000;
    const std::size_t body = 10 + rowBytes * rows;
    std::string large = S("\x1d\x38L") + static_cast<char>(body & 0xFF) +
                        static_cast<char>(body >> 8 & 0xFF) + static_cast<char>(body >> 16) + '\0' +
                        S("0p0\x01\x02\x31") + static_cast<char>(576 & 0xFF) +
                        static_cast<char>(576 >> 8) + static_cast<char>(rows & 0xFF) +
                        static_cast<char>(rows >> 8 & 0xFF);
    large += std::string(rowBytes * rows, '\x55') + S("\x1d(L\x02\x00\x30\x32");
    bench.printer.Feed(large);
    ASSERT_FALSE(record.items.empty());
    const TPaperItem& item = record.items.back();
    ASSERT_EQ(item.Kind, TItemKind::Image) << item.Marker;
    const auto& image = std::get<TImageData>(item.Data);
    EXPECT_EQ(image.Width, TPaper::Width58);
    EXPECT_EQ(image.Height * image.ScaleY, TPaper::MaxImageDots);
    EXPECT_EQ(item.Height, TPaper::MaxImageDots);
    EXPECT_EQ(image.Bits.size(), 48u * TPaper::MaxImageDots / 2);
}
