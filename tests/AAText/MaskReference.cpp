#include "MaskReference.h"

#include "Graphics/Bitmap.h"

std::vector<std::vector<int>> ReferenceMask(TAAFont& font, const QString& text) {
    const TSize size = font.Mask()->TextSize(text);
    const int s = font.Mask()->Scale();
    const TAAQuality quality = font.Quality();
    std::vector<std::vector<int>> rows(static_cast<std::size_t>(size.cy),
                                       std::vector<int>(static_cast<std::size_t>(size.cx)));
    if (size.cx <= 0 || size.cy <= 0)
        return rows;
    TBitmap work(size.cx * s, size.cy * s, pfDevice);
    TCanvas* c = work.Canvas();
    TLogFont log = font.Canvas()->Font()->LogFont();
    if (log.Height == 0)
        log.Height = -font.Canvas()->Font()->PixelSize();
    log.Height *= s;
    log.Width *= s;
    log.Quality = s > 1 ? fqAntialiased : fqNonAntialiased;
    c->Font()->SetLogFont(log);
    c->Font()->SetColor(clWhite);
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, work.Width(), work.Height()));
    c->TextOut(0, 0, text);
    const QImage& img = work.Image();
    auto g = [&](int x, int y) { return static_cast<int>(img.constScanLine(y)[4 * x]); };
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            const int X = s * x, Y = s * y;
            int v = 0;
            switch (quality) {
            case aqHigh:
                for (int i = 0; i < 4; ++i)
                    for (int j = 0; j < 4; ++j)
                        v += g(X + j, Y + i);
                v >>= 4;
                break;
            case aqNormal:
                v = (g(X, Y) + g(X + 1, Y) + (g(X + 2, Y) >> 1) + g(X, Y + 1) + g(X + 1, Y + 1) +
                     g(X + 2, Y + 1) + (g(X, Y + 2) >> 1) + g(X + 1, Y + 2) + g(X + 2, Y + 2)) >>
                    3;
                break;
            case aqLow:
                v = (g(X, Y) + g(X + 1, Y) + g(X, Y + 1) + g(X + 1, Y + 1)) >> 2;
                break;
            case aqNone:
                v = g(X, Y);
                break;
            }
            rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = v;
        }
    }
    return rows;
}
