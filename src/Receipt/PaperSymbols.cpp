// Images, barcodes and QR codes on the paper: each takes the whole width of a line, aligned in
// the print area; what does not fit is cut (images) or not printed at all (symbols).
#include "Receipt/Paper.h"

#include <algorithm>

namespace {

// The first columns and rows of an image.
TImageData Cropped(const TImageData& image, int width, int height) {
    if (width >= image.Width && height >= image.Height)
        return image;
    TImageData out = image;
    out.Width = std::min(width, image.Width);
    out.Height = std::min(height, image.Height);
    out.Bits.clear();
    const int stride = out.Stride();
    out.Bits.reserve(static_cast<std::size_t>(stride) * out.Height);
    for (int y = 0; y < out.Height; ++y)
        out.Bits.append(image.Bits, static_cast<std::size_t>(y) * image.Stride(), stride);
    return out;
}

std::string TooWide(int width, int area) {
    return std::to_string(width) + " dots wide, more than the print area's " + std::to_string(area);
}

int TextRows(const TBarcodeData& b) {
    if (!b.Symbol || b.Symbol->Text.empty())
        return 0;
    const int rows = b.TextPosition == 3 ? 2 : b.TextPosition == 1 || b.TextPosition == 2 ? 1 : 0;
    return rows * (FontCell(b.TextFont).Height + BarcodeTextGap);
}

} // namespace

void TPaper::PrintImage(TImageData image, std::string marker) {
    PrintPending();
    image.ScaleX = std::max(1, image.ScaleX);
    image.ScaleY = std::max(1, image.ScaleY);
    image = Cropped(image, AreaWidth() / image.ScaleX, MaxImageDots / image.ScaleY);
    image.X = AlignedX(image.Width * image.ScaleX);
    const int height = image.Height * image.ScaleY;
    Put({TItemKind::Image, FTop, height, std::move(marker), std::move(image)});
    FTop += height;
}

void TPaper::PrintBarcode(TSymbology kind, const std::string& data, std::string marker) {
    PrintPending();
    TBarcodeData b = FBarcode;
    b.Kind = kind;
    b.Data = data;
    TEncoded encoded = EncodeBarcode(kind, data, FSymbols);
    if (encoded.Symbol) {
        const int width = encoded.Symbol->Columns * b.ModuleWidth;
        if (width > AreaWidth())
            encoded = {nullptr, TooWide(width, AreaWidth())};
        else
            b.X = AlignedX(width);
    }
    b.Symbol = encoded.Symbol;
    b.Refusal = encoded.Refusal;
    if (!b.Symbol)
        marker += ": not printed, " + b.Refusal;
    const int height = b.Symbol ? b.Height + TextRows(b) : 0;
    Put({TItemKind::Barcode, FTop, height, std::move(marker), std::move(b)});
    FTop += height;
}

void TPaper::PrintQr(std::string marker) {
    PrintPending();
    TQrData q = FQr;
    TEncoded encoded = EncodeQr(q.Data, q.Model, q.ErrorLevel, FSymbols);
    if (encoded.Symbol) {
        const int width = encoded.Symbol->Columns * q.ModuleSize;
        if (width > AreaWidth())
            encoded = {nullptr, TooWide(width, AreaWidth())};
        else
            q.X = AlignedX(width);
    }
    q.Symbol = encoded.Symbol;
    q.Refusal = encoded.Refusal;
    if (!q.Symbol)
        marker += ": not printed, " + q.Refusal;
    const int height = q.Symbol ? q.Symbol->Rows * q.ModuleSize : 0;
    Put({TItemKind::QrCode, FTop, height, std::move(marker), std::move(q)});
    FTop += height;
}

std::optional<std::pair<int, int>> TPaper::QrSize() {
    const TEncoded encoded = EncodeQr(FQr.Data, FQr.Model, FQr.ErrorLevel, FSymbols);
    if (!encoded.Symbol || encoded.Symbol->Columns * FQr.ModuleSize > AreaWidth())
        return std::nullopt;
    return std::pair(encoded.Symbol->Columns * FQr.ModuleSize,
                     encoded.Symbol->Rows * FQr.ModuleSize);
}
