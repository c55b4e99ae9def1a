#include "Receipt/PaperRoll.h"

#include <algorithm>
#include <climits>

namespace {

void Keep(TPaperSheet& sheet, const TPaperItem& item, int most) {
    sheet.Length =
        std::min(most, std::max(sheet.Length, item.Top + PrintedExtent(item) - sheet.Top));
    if (Prints(item))
        sheet.Items.push_back(item);
}

} // namespace

void TPaperRoll::Printed(const TPaperItem& item) {
    if (Prints(item) && item.Top + PrintedExtent(item) - FSheet.Top > FMaxDots) {
        // Blank paper before the first print of a sheet is not kept.
        if (!FSheet.Items.empty() && FOnSheet)
            FOnSheet(FSheet);
        const int number = FSheet.Items.empty() ? FSheet.Number : FSheet.Number + 1;
        FSheet = TPaperSheet{number, item.Top, 0, {}};
    }
    Keep(FSheet, item, FMaxDots);
}

void TPaperSheetKeeper::Printed(const TPaperItem& item) {
    Keep(FSheet, item, INT_MAX);
}
