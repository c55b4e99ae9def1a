#include "Print/PaperItems.h"

#include <algorithm>

int PrintedExtent(const TPaperItem& item) {
    if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
        return std::max(item.Height, line->Ascent);
    if (item.Kind == TItemKind::Cut)
        return 1;
    return item.Height;
}

bool Prints(const TPaperItem& item) {
    switch (item.Kind) {
    case TItemKind::Line: {
        const auto& line = std::get<TPrintedLine>(item.Data);
        return !line.Runs.empty() || !line.Images.empty();
    }
    case TItemKind::Cut:
    case TItemKind::Image:
        return true;
    case TItemKind::Barcode:
        return std::get<TBarcodeData>(item.Data).Symbol != nullptr;
    case TItemKind::QrCode:
        return std::get<TQrData>(item.Data).Symbol != nullptr;
    case TItemKind::Feed:
    case TItemKind::PageEnd:
    case TItemKind::Note:
        break;
    }
    return false;
}
