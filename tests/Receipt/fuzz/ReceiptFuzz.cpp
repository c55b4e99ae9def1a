// libFuzzer target: any bytes through the decoder, the paper, the terminal view and the sheets
// of every command set, and the sheet drawn as a picture. A crash, a hang, an item outside the
// paper or a picture of another width is a finding.
#include "PaperView/PaperImage.h"
#include "Receipt/TerminalView.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void Require(bool ok) {
    if (!ok)
        __builtin_trap();
}

void CheckItem(const TPaperItem& item, int width) {
    Require(item.Height >= 0 && item.Height <= TPaper::MaxImageDots);
    if (const auto* image = std::get_if<TImageData>(&item.Data))
        Require(image->X >= 0 && image->X + image->Width * image->ScaleX <= width &&
                image->Bits.size() == static_cast<std::size_t>(image->Stride()) * image->Height);
    if (const auto* barcode = std::get_if<TBarcodeData>(&item.Data); barcode && barcode->Symbol)
        Require(barcode->X + barcode->Symbol->Columns * barcode->ModuleWidth <= width);
    if (const auto* qr = std::get_if<TQrData>(&item.Data); qr && qr->Symbol)
        Require(qr->X + qr->Symbol->Columns * qr->ModuleSize <= width);
}

struct TChecker : TPaperObserver {
    int Width;
    explicit TChecker(int width) : Width(width) {}
    void Printed(const TPaperItem& item) override { CheckItem(item, Width); }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TCodePage big5("CP950");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const TCommandSet set : {csEPSON, csSTART, csTP3688}) {
        // The paper's width and Chinese mode at power-on follow the length, so both are met.
        const int width = size % 2 ? TPaper::Width80 : TPaper::Width58;
        TPaper paper(big5, width, size % 3 != 0);
        TChecker checker(width);
        TTerminalView view([](const std::string&) {}, PaperColumns(width));
        TPaperRoll roll(4000);
        int sheets = 0;
        roll.SetOnSheet([&sheets](const TPaperSheet& sheet) {
            Require(sheet.Length <= 4000);
            ++sheets;
        });
        paper.AddObserver(checker);
        paper.AddObserver(view);
        paper.AddObserver(roll);
        TPrinter printer(set, paper);
        printer.SetTrace([](const std::string&) {});
        printer.SetOnReply([](const std::string&) {});
        // In two pieces: the same paper as whole, which the unit tests check.
        printer.Feed(bytes.substr(0, size / 2));
        printer.Feed(bytes.substr(size / 2));
        printer.Finish();
        if (set == csEPSON) {
            const QImage image = DrawSheet(roll.Sheet(), width);
            Require(image.width() == width && image.height() == std::max(1, roll.Sheet().Length));
        }
    }
    return 0;
}
