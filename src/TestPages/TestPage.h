#pragma once
// The test pages: each a function from its options to the printer's typed commands, written in
// ESC/POS, and encoded by the command set chosen. The window previews a page by decoding those
// very bytes; the command-line sender sends the same bytes.
#include "Commands/Grammar.h"
#include "TestPages/EInvoice.h"

#include <QImage>
#include <optional>
#include <string_view>
#include <vector>

enum TTestPage : std::uint8_t {
    tpRuler,
    tpStyles,
    tpChinese,
    tpCodePage,
    tpBarcodes,
    tpQrCodes,
    tpImage,
    tpEInvoice,
    tpSelfTest
};
constexpr int TestPageCount = 9;

// "ruler", "styles", "chinese", "codepage", "barcodes", "qr", "image", "einvoice", "selftest".
const char* TestPageName(TTestPage page);
std::optional<TTestPage> TestPageByName(std::string_view name);

// The QR code error levels L, M, Q and H, as GS ( k numbers them from 48.
constexpr const char* QrLevelLetters = "LMQH";

struct TPageOptions {
    int WidthDots = 384;          // 384 (58 mm) or 576 (80 mm)
    std::uint8_t Big5Lead = 0xA4; // the lead byte of the Chinese page's table
    std::uint8_t CodeTable = 0;   // ESC t n of the code page page
    int ModuleWidth = 2;          // the barcodes' narrowest bar: 2 or 3 dots
    int QrModule = 4;             // 3 to 8 dots
    int QrLevel = 1;              // 0 L, 1 M, 2 Q, 3 H
    QImage Image;                 // the user's picture; none: the built-in test image
    TEInvoice Invoice = SampleInvoice();
    int SelfTestType = 2; // 1 hexadecimal dump, 2 printer status, 3 rolling pattern
};

// "" when the page can be built with these options, else what is wrong ("the QR module size is
// 3 to 8 dots").
std::string PageProblem(TTestPage page, const TPageOptions& options);

// The page's commands; the options are as PageProblem accepts them.
std::vector<TCommand> BuildPage(TTestPage page, const TPageOptions& options);

// The bytes of the page in a set, or why that set cannot print it.
TEncoding EncodePage(TCommandSet set, TTestPage page, const TPageOptions& options);

// True when the set can print the page at all (its commands exist in the set).
bool PagePrintable(TCommandSet set, TTestPage page);
