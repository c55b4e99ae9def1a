// The paper at the printer's dots: styled runs, line heights and widths, alignment, images,
// barcodes and QR codes as data, and the settings that ESC @ clears.
#include "PrinterBench.h"
#include "Receipt/PaperRoll.h"

#include <gtest/gtest.h>

namespace {

// Every item the paper gives, markers included.
struct TPaperRecord : TPaperObserver {
    TCodePage codePage{"CP950"};
    TPaper paper{codePage};
    TPrinter printer{csEPSON, paper};
    std::vector<TPaperItem> items;
    TPaperRecord() { paper.AddObserver(*this); }
    void Printed(const TPaperItem& item) override { items.push_back(item); }
    std::vector<TPaperItem> Print(const std::string& bytes) {
        printer.Feed(bytes);
        return items;
    }
};

const TPrintedLine& LineOf(const TPaperItem& item) {
    return std::get<TPrintedLine>(item.Data);
}

} // namespace

TEST(Paper, TextRunsKeepTheirStyleAndTheLineItsDots) {
    TPaperRecord r;
    const auto items = r.Print(S("A\x1b"
                                 "E\x01"
                                 "B\x1d!\x11"
                                 "C\n\x1d!\x00\x1b"
                                 "3\x28\x1b"
                                 "a1\x1bM1\x1b \x02xy\n\x1b@\xa4\x40\n"));
    std::vector<TPaperItem> lines;
    for (const TPaperItem& item : items)
        if (item.Kind == TItemKind::Line)
            lines.push_back(item);
    ASSERT_EQ(lines.size(), 3u);
    // A, then B in emphasis, then C at double width and height: 12 + 12 + 24 dots, 48 high.
    const TPrintedLine& first = LineOf(lines[0]);
    ASSERT_EQ(first.Runs.size(), 3u);
    EXPECT_FALSE(first.Runs[0].Style.Emphasis);
    EXPECT_TRUE(first.Runs[1].Style.Emphasis);
    EXPECT_EQ(first.Runs[2].Style.Width, 2);
    EXPECT_EQ(first.Runs[2].Style.Height, 2);
    EXPECT_EQ(first.Columns, 3);
    EXPECT_EQ(first.Width, 48);
    EXPECT_EQ(lines[0].Top, 0);
    EXPECT_EQ(lines[0].Height, 48);
    // Font B with 2 dots to the right of each character, centred, 40 dots of line spacing.
    const TPrintedLine& second = LineOf(lines[1]);
    EXPECT_EQ(second.Align, paCenter);
    EXPECT_EQ(second.Runs[0].Style.Font, pfB);
    EXPECT_EQ(second.Width, 2 * (9 + 2));
    EXPECT_EQ(lines[1].Top, 48);
    EXPECT_EQ(lines[1].Height, 40);
    // After ESC @ everything is as at power-on: a Big5 character is two cells of font A.
    const TPrintedLine& third = LineOf(lines[2]);
    EXPECT_EQ(third.Align, paLeft);
    EXPECT_EQ(third.Runs[0].Style, TTextStyle{});
    EXPECT_EQ(third.Columns, 2);
    EXPECT_EQ(third.Width, 24);
    EXPECT_EQ(lines[2].Height, TPaper::DefaultLineSpacing);
    EXPECT_EQ(lines[2].Top, 88);
}

TEST(Paper, ImagesBarcodesAndQrCodesAreKeptAsData) {
    TPaperRecord r;
    const std::string bits = S("\x81\x42\xff\x00");
    const auto items = r.Print(S("\x1dv0\x03\x02\x00\x02\x00") + bits +
                               S("\x1dh\x50\x1dw\x02\x1dH2\x1dk\x04"
                                 "12345\0") +
                               S("\x1d(k\x03\x00\x31\x43\x06\x1d(k\x03\x00\x31\x45\x33") +
                               S("\x1d(k\x07\x00\x31\x50\x30"
                                 "data\x1d(k\x03\x00\x31\x51\x30") +
                               S("\x1b"
                                 "d\x02\x1dV\x01"));
    std::vector<TItemKind> kinds;
    for (const TPaperItem& item : items)
        kinds.push_back(item.Kind);
    // Settings show as markers; the symbols and the image are items of their own.
    EXPECT_EQ(kinds, (std::vector<TItemKind>{TItemKind::Image, TItemKind::Note, TItemKind::Note,
                                             TItemKind::Note, TItemKind::Barcode, TItemKind::Note,
                                             TItemKind::Note, TItemKind::Note, TItemKind::QrCode,
                                             TItemKind::Feed, TItemKind::Cut}));
    // Quadruple size: 16 x 2 dots of data drawn 32 x 4.
    const auto& image = std::get<TImageData>(items[0].Data);
    EXPECT_EQ(image.Width, 16);
    EXPECT_EQ(image.Height, 2);
    EXPECT_EQ(image.Bits, bits);
    EXPECT_EQ(image.ScaleX, 2);
    EXPECT_EQ(items[0].Height, 4);
    const auto& barcode = std::get<TBarcodeData>(items[4].Data);
    EXPECT_EQ(barcode.Kind, syCode39);
    EXPECT_EQ(barcode.Data, "12345");
    EXPECT_EQ(barcode.Height, 80);
    EXPECT_EQ(barcode.ModuleWidth, 2);
    EXPECT_EQ(barcode.TextPosition, 2);
    EXPECT_EQ(items[4].Top, 4);
    const auto& qr = std::get<TQrData>(items[8].Data);
    EXPECT_EQ(qr.Data, "data");
    EXPECT_EQ(qr.ModuleSize, 6);
    EXPECT_EQ(qr.ErrorLevel, 51);
    EXPECT_EQ(items[9].Height, 2 * TPaper::DefaultLineSpacing);
    EXPECT_TRUE(std::get<TCutMark>(items[10].Data).Partial);
}

TEST(Paper, EightyMillimetrePaperHasFortyEightColumns) {
    TCodePage codePage("CP950");
    TPaper paper(codePage, TPaper::Width80);
    Lines out;
    TTerminalView view([&](const std::string& l) { out.push_back(l); },
                       PaperColumns(paper.WidthDots()));
    paper.AddObserver(view);
    TPrinter printer(csEPSON, paper);
    printer.Feed(S("\x1b"
                   "a\x02"
                   "end\n"));
    EXPECT_EQ(out.back(), "|" + std::string(45, ' ') + "end|");
}
