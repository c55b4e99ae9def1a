// The e-invoice proof in the layout prescribed for 57 mm paper (384 dots; on 80 mm paper the
// same 384 dots in the middle).
#include "TestPages/PageWriter.h"
#include "TestPages/Pages.h"
#include "TestPages/QrModules.h"

#include <algorithm>

namespace {

constexpr int ProofWidth = 384;
// The codes' size: version 6 at level L at least, 4 dots a module at most, 2 at least.
constexpr int QrVersion = 6;
constexpr int LargestModule = 4, SmallestModule = 2;

int VersionOf(const TQrModules& modules) {
    return (modules.Size - 17) / 4;
}

void Paint(TDots& dots, const TQrModules& modules, int left, int module) {
    const int rowBytes = dots.Width / 8;
    for (int y = 0; y < dots.Height; ++y)
        for (int x = 0; x < modules.Size * module; ++x)
            if (modules.At(x / module, y / module)) {
                const int at = left + x;
                dots.Bits[static_cast<std::size_t>(y * rowBytes + at / 8)] |=
                    static_cast<char>(0x80 >> (at % 8));
            }
}

void Heading(TPageWriter& page, const TEInvoice& invoice) {
    page.Add(Cmd::Align{paCenter}).Add(Cmd::Emphasis{1});
    if (!invoice.SellerName.isEmpty())
        page.Add(Cmd::CharSize{0x01}).Line(invoice.SellerName);
    page.Add(Cmd::CharSize{0x01}).Line(QStringLiteral("電子發票證明聯（測試）"));
    page.Add(Cmd::CharSize{0x11});
    page.Line(PeriodText(invoice.When.date()));
    page.Line(InvoiceNumberText(invoice));
    page.Add(Cmd::CharSize{0}).Add(Cmd::Emphasis{0}).Add(Cmd::Align{paLeft});
}

void Details(TPageWriter& page, const TEInvoice& invoice) {
    const int columns = ProofWidth / 12;
    page.Line(invoice.When.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    page.Line(Spread(QStringLiteral("隨機碼 ") + invoice.RandomCode,
                     QStringLiteral("總計 ") + QString::number(TotalOf(invoice)), columns));
    page.Line(
        Spread(QStringLiteral("賣方 ") + invoice.SellerId,
               invoice.BuyerId.isEmpty() ? QString() : QStringLiteral("買方 ") + invoice.BuyerId,
               columns));
}

} // namespace

std::optional<TDots> QrPairDots(const TEInvoiceQr& codes) {
    std::optional<TQrModules> left = QrModules(codes.Left, 0, QrVersion);
    std::optional<TQrModules> right = QrModules(codes.Right, 0, QrVersion);
    if (!left || !right)
        return std::nullopt;
    // Both of the larger one's version, so they are of one size.
    if (left->Size < right->Size)
        left = QrModules(codes.Left, 0, VersionOf(*right));
    else if (right->Size < left->Size)
        right = QrModules(codes.Right, 0, VersionOf(*left));
    if (!left || !right || left->Size != right->Size)
        return std::nullopt;
    const int half = ProofWidth / 2;
    // Four modules of white at least between the two and at the edges.
    const int module = std::min(LargestModule, half / (left->Size + 4));
    if (module < SmallestModule)
        return std::nullopt;
    TDots dots;
    dots.Width = ProofWidth;
    dots.Height = left->Size * module;
    dots.Bits.assign(static_cast<std::size_t>(dots.Width / 8 * dots.Height), '\0');
    const int margin = (half - left->Size * module) / 2;
    Paint(dots, *left, margin, module);
    Paint(dots, *right, half + margin, module);
    return dots;
}

std::vector<TCommand> EInvoicePage(const TPageOptions& options) {
    const TEInvoice& invoice = options.Invoice;
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    const bool wide = options.WidthDots > ProofWidth;
    if (wide)
        page.Add(Cmd::LeftMargin{static_cast<std::uint16_t>((options.WidthDots - ProofWidth) / 2)})
            .Add(Cmd::PrintWidth{ProofWidth});
    Heading(page, invoice);
    Details(page, invoice);
    // Code 39 of 19 characters: 1-dot modules keep it within the 384 dots.
    page.Add(Cmd::Align{paCenter}).Add(Cmd::BarcodeHeight{48}).Add(Cmd::BarcodeWidth{1});
    page.Add(Cmd::BarcodeText{0}).Add(Cmd::Barcode{syCode39, BarcodeContent(invoice)});
    page.Add(Cmd::Align{paLeft}).Add(Cmd::FeedDots{8});
    // ESC/POS places no two symbols side by side in standard mode: one image holds both.
    if (const std::optional<TDots> codes = QrPairDots(QrContents(invoice)))
        for (TCommand& band : RasterBands(*codes))
            page.Add(std::move(band));
    if (invoice.TestKey)
        page.Line()
            .Line(QStringLiteral("測試樣本：以測試金鑰產生，"))
            .Line(QStringLiteral("不是有效的電子發票。"));
    if (wide)
        page.Add(Cmd::LeftMargin{0})
            .Add(Cmd::PrintWidth{static_cast<std::uint16_t>(options.WidthDots)});
    page.End();
    return page.Take();
}
