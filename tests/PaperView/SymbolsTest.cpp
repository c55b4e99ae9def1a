// Every barcode system and QR codes of every error level at several sizes, drawn on the paper
// from the bytes a receipt sends and read back by the reader library: each reads as what was
// sent, at the dots the printer draws it.
#include "Scan.h"

#include "Receipt/PaperRoll.h"
#include "Rtl/CodePage.h"

#include <gtest/gtest.h>

namespace {

template <std::size_t N> std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct TSymbolCase {
    TSymbology Kind;
    std::string Data;
    std::string Read; // what the reader gives back
    ZXing::BarcodeFormat Format;
};

// GS k form B: m, the count, the data.
std::string FormB(TSymbology kind, const std::string& data) {
    return S("\x1dk") + static_cast<char>(65 + kind) + static_cast<char>(data.size()) + data;
}

struct TDrawn {
    QImage Image;
    std::vector<TPaperItem> Symbols;
};

TDrawn Draw(const std::string& bytes, int width = TPaper::Width58) {
    const TCodePage codePage("CP950");
    TPaper paper(codePage, width);
    TPaperSheetKeeper keeper;
    paper.AddObserver(keeper);
    TPrinter printer(csEPSON, paper);
    printer.Feed(bytes);
    printer.Finish();
    TDrawn drawn{DrawSheet(keeper.Sheet(), width), {}};
    for (const TPaperItem& item : keeper.Sheet().Items)
        if (item.Kind == TItemKind::Barcode || item.Kind == TItemKind::QrCode)
            drawn.Symbols.push_back(item);
    return drawn;
}

} // namespace

TEST(PaperSymbols, EveryBarcodeSystemReadsBackAsSent) {
    using F = ZXing::BarcodeFormat;
    const std::vector<TSymbolCase> cases = {
        {syUpcA, "012345678905", "012345678905", F::UPCA},
        {syUpcE, "01234565", "01234565", F::UPCE},
        {syJan13, "4006381333931", "4006381333931", F::EAN13},
        {syJan8, "96385074", "96385074", F::EAN8},
        {syCode39, "CODE39 TEST", "CODE39 TEST", F::Code39},
        {syItf, "1234567890", "1234567890", F::ITF},
        {syCodabar, "A40156B", "A40156B", F::Codabar},
        {syCode93, "CODE93-TEST", "CODE93-TEST", F::Code93},
        // Code sets: B for the letters, then C, where each byte is two digits.
        {syCode128, S("{BShop-{C\x0c\x22\x38"), "Shop-123456", F::Code128},
        {syGs1_128, "(01)09501101530003", "0109501101530003", F::Code128},
        {syDataBar, "0950110153000", "09501101530003", F::DataBar},
        {syDataBarTruncated, "0950110153000", "09501101530003", F::DataBar},
        {syDataBarExpanded, "(10)ABC123", "(10)ABC123", F::DataBarExpanded},
        {syCode128Auto, "Auto 128", "Auto 128", F::Code128},
        // The reader has no DataBar Limited: it is drawn, and not read.
        {syDataBarLimited, "0950110153000", "", F::None},
    };
    std::string bytes = S("\x1b@\x1dh\x50\x1dw\x02\x1dH\x02");
    for (const TSymbolCase& c : cases) {
        // Form A for the systems that have it, with the data up to NUL.
        bytes += c.Kind < FormASymbologies && c.Kind % 2
                     ? S("\x1dk") + static_cast<char>(c.Kind) + c.Data + std::string(1, '\0')
                     : FormB(c.Kind, c.Data);
        bytes += "\n";
    }
    const TDrawn drawn = Draw(bytes);
    ASSERT_EQ(drawn.Symbols.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const TSymbolCase& c = cases[i];
        SCOPED_TRACE(SymbologyName(c.Kind));
        const TPaperItem& item = drawn.Symbols[i];
        const auto& data = std::get<TBarcodeData>(item.Data);
        ASSERT_TRUE(data.Symbol) << data.Refusal;
        // Bars 80 dots high, modules 2 dots wide, the text below.
        EXPECT_EQ(item.Height, 80 + (data.Symbol->Text.empty() ? 0 : 24 + BarcodeTextGap));
        if (c.Format == F::None)
            continue;
        const TScan scan = Scan(drawn.Image, item.Top, item.Height, c.Format);
        EXPECT_TRUE(scan.Read);
        EXPECT_EQ(scan.Text, c.Read);
        EXPECT_EQ(scan.Format, c.Format);
    }
}

TEST(PaperSymbols, QrCodesOfEveryLevelAndSizeReadBackAsTheirBytes) {
    const TCodePage big5("CP950");
    const std::string big5Text = big5.Encode(QStringLiteral("總計 100 元，謝謝光臨"));
    std::string bytes = S("\x1b@\x1b"
                          "a\x01");
    struct TQr {
        int Size, Level;
        std::string Data;
    };
    std::vector<TQr> codes;
    for (const int level : {48, 49, 50, 51})
        for (const int size : {3, 5, 8})
            codes.push_back({size, level,
                             "https://example.org/receipt?l=" + std::to_string(level) +
                                 "&s=" + std::to_string(size)});
    codes.push_back({4, 49, big5Text});
    // Model 51: a Micro QR code.
    codes.push_back({6, 48, "0123456789"});
    for (const TQr& q : codes) {
        if (&q == &codes.back())
            bytes += S("\x1d(k\x04\x00\x31\x41\x33\x00");
        bytes += S("\x1d(k\x03\x00\x31\x43") + static_cast<char>(q.Size);
        bytes += S("\x1d(k\x03\x00\x31\x45") + static_cast<char>(q.Level);
        const std::size_t n = q.Data.size() + 3;
        bytes +=
            S("\x1d(k") + static_cast<char>(n & 0xFF) + static_cast<char>(n >> 8) + "1P0" + q.Data;
        bytes += S("\x1d(k\x03\x00\x31\x51\x30") + "\n";
    }
    const TDrawn drawn = Draw(bytes);
    ASSERT_EQ(drawn.Symbols.size(), codes.size());
    int previousWidth = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE(codes[i].Data);
        const auto& qr = std::get<TQrData>(drawn.Symbols[i].Data);
        ASSERT_TRUE(qr.Symbol) << qr.Refusal;
        const int width = qr.Symbol->Columns * codes[i].Size;
        EXPECT_EQ(drawn.Symbols[i].Height, width);
        EXPECT_EQ(qr.X, (TPaper::Width58 - width) / 2) << "centred";
        // A higher level holds the same data in a larger symbol.
        if (i % 3 == 0 && i > 0 && i < 12) {
            EXPECT_GE(width / codes[i].Size, previousWidth);
        }
        if (i % 3 == 0)
            previousWidth = width / codes[i].Size;
        const bool micro = i + 1 == codes.size();
        const TScan scan =
            Scan(drawn.Image, drawn.Symbols[i].Top, drawn.Symbols[i].Height,
                 micro ? ZXing::BarcodeFormat::MicroQRCode : ZXing::BarcodeFormat::QRCode);
        EXPECT_TRUE(scan.Read);
        EXPECT_EQ(scan.Bytes, codes[i].Data);
    }
}
