#include "TestPages/TestPage.h"

#include "TestPages/Pages.h"

namespace {

constexpr const char* Names[TestPageCount] = {"ruler", "styles", "chinese",  "codepage", "barcodes",
                                              "qr",    "image",  "einvoice", "selftest"};

using TBuilder = std::vector<TCommand> (*)(const TPageOptions&);
constexpr TBuilder Builders[TestPageCount] = {RulerPage,    StylesPage,   ChinesePage,
                                              CodePagePage, BarcodesPage, QrCodesPage,
                                              ImagePage,    EInvoicePage, SelfTestPage};

std::string PageOwnProblem(TTestPage page, const TPageOptions& o) {
    switch (page) {
    case tpChinese:
        return o.Big5Lead >= 0x81 && o.Big5Lead <= 0xFE ? "" : "a Big5 lead byte is 81 to FE";
    case tpBarcodes:
        return o.ModuleWidth == 2 || o.ModuleWidth == 3 ? "" : "the module width is 2 or 3 dots";
    case tpQrCodes:
        if (o.QrModule < 3 || o.QrModule > 8)
            return "the QR module size is 3 to 8 dots";
        return o.QrLevel >= 0 && o.QrLevel <= 3 ? "" : "the QR error level is L, M, Q or H";
    case tpEInvoice: {
        std::string why = EInvoiceProblem(o.Invoice);
        if (why.empty() && !QrPairDots(QrContents(o.Invoice)))
            why = "the items do not fit in the two QR codes";
        return why;
    }
    case tpSelfTest:
        return o.SelfTestType >= 1 && o.SelfTestType <= 3 ? "" : "the self-test is 1, 2 or 3";
    case tpRuler:
    case tpStyles:
    case tpCodePage:
    case tpImage:
        break;
    }
    return {};
}

} // namespace

const char* TestPageName(TTestPage page) {
    return page < TestPageCount ? Names[page] : "";
}

std::optional<TTestPage> TestPageByName(std::string_view name) {
    for (int i = 0; i < TestPageCount; ++i)
        if (name == Names[i])
            return static_cast<TTestPage>(i);
    return std::nullopt;
}

std::string PageProblem(TTestPage page, const TPageOptions& options) {
    if (options.WidthDots != 384 && options.WidthDots != 576)
        return "the paper is 58 or 80 mm wide";
    return PageOwnProblem(page, options);
}

std::vector<TCommand> BuildPage(TTestPage page, const TPageOptions& options) {
    return Builders[page](options);
}

TEncoding EncodePage(TCommandSet set, TTestPage page, const TPageOptions& options) {
    return Encode(set, BuildPage(page, options));
}

bool PagePrintable(TCommandSet set, TTestPage page) {
    // Every page is one command sequence whatever its options: the default ones tell.
    TPageOptions options;
    options.Invoice.RandomCode = QStringLiteral("0000");
    options.Invoice.When = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    return EncodePage(set, page, options).Supported;
}
