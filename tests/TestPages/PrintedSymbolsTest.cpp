// The symbol pages as the paper draws them from their bytes, read by an independent reader:
// each barcode and QR code on them scans as what the page says it holds, on both paper widths.
#include "PageBytes.h"
#include "TestPages/EInvoice.h"
#include "TestPages/Preview.h"
#include "TestPages/SymbolSamples.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

std::vector<TRead> PrintedAndScanned(TTestPage page, const TPageOptions& options) {
    const TEncoding encoded = EncodePage(csEPSON, page, options);
    EXPECT_TRUE(encoded.Supported) << encoded.Reason;
    const QImage paper = PreviewImage(csEPSON, encoded.Bytes, options.WidthDots);
    EXPECT_EQ(paper.width(), options.WidthDots);
    return ScanPage(paper);
}

} // namespace

TEST(PrintedSymbols, EveryBarcodeOnTheBarcodesPageScansAtBothWidthsAndModules) {
    std::multiset<std::string> meant;
    for (const TBarcodeSample& sample : BarcodeSamples())
        if (sample.Kind != syDataBarLimited) // the reader has none
            meant.insert(sample.Content);
    for (const int width : {384, 576})
        for (const int module : {2, 3}) {
            SCOPED_TRACE(testing::Message() << width << " dots, module " << module);
            TPageOptions options;
            options.WidthDots = width;
            options.ModuleWidth = module;
            std::multiset<std::string> read;
            for (const TRead& r : PrintedAndScanned(tpBarcodes, options))
                read.insert(r.Text);
            EXPECT_EQ(read, meant);
        }
}

TEST(PrintedSymbols, QrCodesOfThePageAndTheEInvoiceScanFromThePaper) {
    for (const int width : {384, 576}) {
        SCOPED_TRACE(width);
        TPageOptions options;
        options.WidthDots = width;
        for (const int level : {0, 3}) {
            options.QrLevel = level;
            std::vector<std::string> read;
            for (const TRead& r : PrintedAndScanned(tpQrCodes, options))
                read.push_back(r.Bytes);
            EXPECT_EQ(read, (std::vector<std::string>{QrSampleUrl(), QrSampleBig5()}));
        }

        options.Invoice = SampleInvoice();
        const TEInvoiceQr meant = QrContents(options.Invoice);
        std::set<std::pair<std::string, std::string>> read;
        for (const TRead& r : PrintedAndScanned(tpEInvoice, options))
            read.insert({r.Format, r.Bytes});
        const std::string barcode = All<Cmd::Barcode>(DecodedPage(tpEInvoice, options)).at(0).Data;
        EXPECT_EQ(read, (std::set<std::pair<std::string, std::string>>{
                            {"Code39", barcode}, {"QRCode", meant.Left}, {"QRCode", meant.Right}}));
    }
}
