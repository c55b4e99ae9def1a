#include "PaperView/DotCanvas.h"

#include <algorithm>

TDotCanvas::TDotCanvas(int width, int top, int height)
    : FImage(std::max(1, width), std::max(1, height), QImage::Format_Mono), FTop(top) {
    FImage.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    FImage.fill(0);
    FBits = FImage.bits();
    FStride = FImage.bytesPerLine();
}

void TDotCanvas::Fill(int x, int y, int width, int height, bool black) {
    const int x0 = std::max(0, x), x1 = std::min(FImage.width(), x + width);
    const int y0 = std::max(0, y - FTop), y1 = std::min(FImage.height(), y - FTop + height);
    if (x0 >= x1 || y0 >= y1)
        return;
    for (int row = y0; row < y1; ++row) {
        uchar* line = Row(row);
        int i = x0;
        for (; i < x1 && (i & 7); ++i)
            line[i >> 3] =
                black ? line[i >> 3] | (0x80 >> (i & 7)) : line[i >> 3] & ~(0x80 >> (i & 7));
        for (; i + 8 <= x1; i += 8)
            line[i >> 3] = black ? 0xFF : 0x00;
        for (; i < x1; ++i)
            line[i >> 3] =
                black ? line[i >> 3] | (0x80 >> (i & 7)) : line[i >> 3] & ~(0x80 >> (i & 7));
    }
}

void TDotCanvas::Set(int x, int y, bool black) {
    const int row = y - FTop;
    if (x < 0 || x >= FImage.width() || row < 0 || row >= FImage.height())
        return;
    uchar* line = Row(row);
    if (black)
        line[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    else
        line[x >> 3] &= static_cast<uchar>(~(0x80 >> (x & 7)));
}

bool TDotCanvas::Get(int x, int y) const {
    const int row = y - FTop;
    if (x < 0 || x >= FImage.width() || row < 0 || row >= FImage.height())
        return false;
    return (FBits[row * FStride + (x >> 3)] >> (7 - (x & 7))) & 1;
}
