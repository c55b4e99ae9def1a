// Barcodes, QR codes and the printer's own self-test: symbols the printer draws itself.
#include "Rtl/CodePage.h"
#include "TestPages/PageWriter.h"
#include "TestPages/Pages.h"
#include "TestPages/SymbolSamples.h"

namespace {

constexpr int BarcodeHeight = 64; // dots: 8 mm

} // namespace

const std::vector<TBarcodeSample>& BarcodeSamples() {
    // Valid data for each system, check digits included, short enough for the 384 dots of
    // 58 mm paper at a module width of 3.
    static const std::vector<TBarcodeSample> samples{
        {syUpcA, "036000291452", "036000291452"},
        {syUpcE, "01234565", "01234565"},
        {syJan13, "4712345678900", "4712345678900"},
        {syJan8, "47112346", "47112346"},
        {syCode39, "TW-39", "TW-39"},
        {syItf, "1234567890", "1234567890"},
        {syCodabar, "A40156B", "A40156B"},
        {syCode93, "TW-93", "TW-93"},
        {syCode128, "{BTW-128", "TW-128"},
        {syGs1_128, "(10)TW128", "10TW128"},
        {syDataBar, "0471234567890", "04712345678900"},
        {syDataBarTruncated, "0471234567890", "04712345678900"},
        // No reader takes DataBar Limited: the eye checks that it printed.
        {syDataBarLimited, "0471234567890", "04712345678900"},
        {syDataBarExpanded, "(10)12", "(10)12"},
        {syCode128Auto, "TW-auto", "TW-auto"},
    };
    return samples;
}

std::string QrSampleUrl() {
    return "http://127.0.0.1/vemix-test/qr";
}

std::string QrSampleBig5() {
    static const TCodePage big5("CP950");
    return big5.Encode(QStringLiteral("統一發票 QR 測試：中文 Big5"));
}

std::vector<TCommand> BarcodesPage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("條碼 BARCODES"));
    page.Line(QStringLiteral("模組寬度 %1 點，文字在下").arg(options.ModuleWidth));
    page.Add(Cmd::BarcodeHeight{BarcodeHeight});
    page.Add(Cmd::BarcodeWidth{static_cast<std::uint8_t>(options.ModuleWidth)});
    page.Add(Cmd::BarcodeText{2});
    for (const TBarcodeSample& sample : BarcodeSamples()) {
        page.Line(QString::fromLatin1(SymbologyName(sample.Kind)) + "  " +
                  QString::fromStdString(sample.Content));
        page.Add(Cmd::Barcode{sample.Kind, sample.Data});
        page.Add(Cmd::FeedLines{1});
    }
    page.End();
    return page.Take();
}

std::vector<TCommand> QrCodesPage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("QR CODE"));
    page.Line(QStringLiteral("模組 %1 點，容錯等級 %2")
                  .arg(options.QrModule)
                  .arg(QChar(QrLevelLetters[options.QrLevel])));
    page.Add(Cmd::Align{paCenter});
    page.Add(Cmd::QrModel{50});
    page.Add(Cmd::QrModuleSize{static_cast<std::uint8_t>(options.QrModule)});
    page.Add(Cmd::QrErrorLevel{static_cast<std::uint8_t>(48 + options.QrLevel)});
    page.Add(Cmd::QrStore{QrSampleUrl()}).Add(Cmd::QrPrint{});
    page.Line(QString::fromStdString(QrSampleUrl()));
    page.Add(Cmd::FeedLines{1});
    page.Add(Cmd::QrStore{QrSampleBig5()}).Add(Cmd::QrPrint{});
    page.Line(QStringLiteral("Big5 文字"));
    page.Add(Cmd::Align{paLeft});
    page.End();
    return page.Take();
}

std::vector<TCommand> SelfTestPage(const TPageOptions& options) {
    static const char* const kinds[] = {"十六進位傾印", "印表機狀態", "滾動圖樣"};
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("自我測試"));
    page.Line(QStringLiteral("GS ( A：%1").arg(QString::fromUtf8(kinds[options.SelfTestType - 1])));
    page.Line(QStringLiteral("印完測試後印表機會自行重設，"));
    page.Line(QStringLiteral("之前的設定都會恢復成預設值。"));
    page.Add(Cmd::FeedLines{1});
    // Last: the printer resets itself after it, so nothing sent after it would count.
    page.Add(Cmd::SelfTest{2, static_cast<std::uint8_t>(options.SelfTestType)});
    return page.Take();
}
