#pragma once
// The anti-aliased text renderer's base: binds a drawing surface that belongs to someone else
// to one mask and one blender, and measures text as it will be drawn.
#include "AAText/AABlend.h"
#include "AAText/AAMask.h"
#include "Graphics/Canvas.h"

#include <QString>
#include <memory>

class TAAFont {
  public:
    explicit TAAFont(TCanvas* canvas);
    virtual ~TAAFont();
    TAAFont(const TAAFont&) = delete;
    TAAFont& operator=(const TAAFont&) = delete;

    // The destination of every blend and the source of font, font colour and brush.
    TCanvas* Canvas() const { return FCanvas; }
    void SetCanvas(TCanvas* canvas) { FCanvas = canvas; }
    TAAMask* Mask() { return FMask.get(); }
    TAABlend* Blend() { return FBlend.get(); }
    TAAQuality Quality() const { return FMask->Quality(); }
    void SetQuality(TAAQuality quality) { FMask->SetQuality(quality); }

    virtual TSize TextExtent(const QString& text);
    virtual int TextHeight(const QString& text) { return TextExtent(text).cy; }
    virtual int TextWidth(const QString& text) { return TextExtent(text).cx; }

  private:
    TCanvas* FCanvas = nullptr;
    std::unique_ptr<TAAMask> FMask;
    std::unique_ptr<TAABlend> FBlend;
};

// Tiles a graphic over rect from its top-left corner, one extra row and column always; the
// surface cuts what falls outside.
void TileDraw(TCanvas* canvas, const TRect& rect, const TGraphic* graphic);
// Stretches a graphic into rect; an icon is first flattened onto background at its own size.
void DrawStretched(TCanvas* canvas, const TRect& rect, const TGraphic* graphic, TColor background);
