#include "TestPages/Preview.h"

#include "PaperView/RollImage.h"
#include "Receipt/PaperRoll.h"
#include "Receipt/Printer.h"
#include "Receipt/TerminalView.h"
#include "Rtl/Strings.h"

QImage PreviewImage(TCommandSet set, const std::string& bytes, int widthDots) {
    // Opened at the first preview, not at start-up.
    static const TCodePage codePage(AnsiCodePage());
    TPaper paper(codePage, widthDots);
    TPaperRoll roll;
    paper.AddObserver(roll);
    TPrinter printer(set, paper);
    printer.Feed(bytes);
    printer.Finish();
    return RenderRoll(roll, PaperColumns(widthDots));
}
