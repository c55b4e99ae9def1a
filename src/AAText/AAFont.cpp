#include "AAText/AAFont.h"

#include "Graphics/Bitmap.h"

TAAFont::TAAFont(TCanvas* canvas)
    : FCanvas(canvas), FMask(std::make_unique<TAAMask>(this)),
      FBlend(std::make_unique<TAABlend>(this)) {}

TAAFont::~TAAFont() = default;

TSize TAAFont::TextExtent(const QString& text) {
    return FMask->TextSize(text);
}

void TileDraw(TCanvas* canvas, const TRect& rect, const TGraphic* graphic) {
    if (!canvas || !graphic || graphic->Empty())
        return;
    const int w = graphic->Width(), h = graphic->Height();
    const int rows = rect.Height() / h + 1;
    const int columns = rect.Width() / w + 1;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            canvas->Draw(rect.Left + column * w, rect.Top + row * h, graphic);
}

void DrawStretched(TCanvas* canvas, const TRect& rect, const TGraphic* graphic, TColor background) {
    if (!canvas || !graphic || graphic->Empty())
        return;
    if (dynamic_cast<const TIcon*>(graphic)) {
        // Icons do not stretch: flatten onto the background first, then stretch that.
        TBitmap flat(graphic->Width(), graphic->Height(), pf24bit);
        flat.Canvas()->Brush()->SetColor(background);
        flat.Canvas()->Brush()->SetStyle(bsSolid);
        flat.Canvas()->FillRect(Rect(0, 0, flat.Width(), flat.Height()));
        flat.Canvas()->Draw(0, 0, graphic);
        canvas->StretchDraw(rect, &flat);
        return;
    }
    canvas->StretchDraw(rect, graphic);
}
