// The line-mode receipts of the "START" set, as receipt libraries encode them: every command is
// read whole and does on paper what it says.
#include "PrinterBench.h"

#include <gtest/gtest.h>

namespace {

struct TItems : TPaperObserver {
    std::vector<TPaperItem> items;
    void Printed(const TPaperItem& item) override { items.push_back(item); }
};

} // namespace

TEST(StarLine, AReceiptPrintsItsStylesSymbolsAndCut) {
    const std::string qr = "https://example.org/s";
    const std::string receipt =
        S("\x1b@\x1b\x1d"
          "a\x01\x1b"
          "EShop\x1b"
          "F\n\x1bi\x01\x01") +
        "BIG\n" +
        S("\x1bi\x00\x00\x1b-\x01u\x1b-\x00\x1b"
          "4hi\x1b"
          "5\n\x1b\x1d"
          "a\x00") +
        S("\x1b\x1dt\x20") + "caf\xe9\n" +
        S("\x1b"
          "b\x34\x32\x32\x50") +
        "A-1" + S("\x1e") + S("\x1b\x1dyS0\x02\x1b\x1dyS1\x01\x1b\x1dyS2\x04") +
        S("\x1b\x1dyD1\x00") + static_cast<char>(qr.size()) + '\0' + qr + S("\x1b\x1dyP") +
        S("\x1b\x1dS\x01\x01\x00\x02\x00\x00\xf0\x0f") + "gone" + S("\x18") +
        S("\x1b\x07\x14\x14\x07\x1b"
          "d\x03");
    TPrinterBench bench(csSTART);
    TItems record;
    bench.roll.AddObserver(record);
    bench.printer.Feed(receipt);
    EXPECT_EQ(bench.paper, (Lines{"[init]",
                                  "[align center]",
                                  "[bold on]",
                                  "[bold off]",
                                  "|              Shop              |",
                                  "[size 2x2]",
                                  "|             BIG                |",
                                  "[size 1x1]",
                                  "[underline on]",
                                  "[underline off]",
                                  "[reverse on]",
                                  "[reverse off]",
                                  "|              uhi               |",
                                  "[align left]",
                                  "[code page 32]",
                                  "|café                            |",
                                  "[barcode CODE39 A-1]",
                                  "[feed 1 line]",
                                  "[QR setting]",
                                  "[QR setting]",
                                  "[QR setting]",
                                  "[QR 21 bytes]",
                                  "[QR print]",
                                  "[image 8x2]",
                                  "[cancel]",
                                  "[drawer setting on 200 ms, delay 200 ms]",
                                  "[drawer pulse]",
                                  "[cut partial]"}));
    // The styles and symbols on the paper.
    const TPrintedLine* big = nullptr;
    const TBarcodeData* barcode = nullptr;
    const TQrData* code = nullptr;
    for (const TPaperItem& item : record.items) {
        if (const auto* line = std::get_if<TPrintedLine>(&item.Data);
            line && big == nullptr && line->Columns == 3)
            big = line;
        if (const auto* b = std::get_if<TBarcodeData>(&item.Data))
            barcode = b;
        if (const auto* q = std::get_if<TQrData>(&item.Data))
            code = q;
    }
    ASSERT_TRUE(big && barcode && code);
    EXPECT_EQ(big->Runs[0].Style.Width, 2);
    EXPECT_EQ(big->Runs[0].Style.Height, 2);
    ASSERT_TRUE(barcode->Symbol) << barcode->Refusal;
    EXPECT_EQ(barcode->Height, 0x50);
    EXPECT_EQ(barcode->ModuleWidth, 3);
    EXPECT_EQ(barcode->TextPosition, 2);
    ASSERT_TRUE(code->Symbol) << code->Refusal;
    EXPECT_EQ(code->Data, qr);
    EXPECT_EQ(code->ModuleSize, 4);
    EXPECT_EQ(code->ErrorLevel, 49);
}
