#pragma once
// The anti-aliased text renderer with effects: it renders the text's mask, transforms it
// (outline, spray, mirrors, blur), draws an optional shadow, paints the text's colours
// (texture, gradient or noise) and blends the result onto the surface. Rotation comes from the
// effect's Angle, given to the surface's font for the duration of a call.
#include "AAText/AAFont.h"
#include "AAParams/Effect.h"

#include <memory>

class TAAFontEx : public TAAFont {
  public:
    explicit TAAFontEx(TCanvas* canvas);
    ~TAAFontEx() override;

    // Created without a change callback; the owner may bind one with SetOnChanged.
    TAAEffect* Effect() { return FEffect.get(); }
    const TAAEffect* Effect() const { return FEffect.get(); }

    // The whole drawn box: the text at the effect's angle plus the shadow's offsets.
    TSize TextExtent(const QString& text) override;
    // Draws text with every effect, the drawn box's top-left at (x, y). On a surface of more
    // device pixels per unit (its PixelRatio) the text is drawn at device pixels.
    void TextOut(int x, int y, const QString& text);
    // Where the shadow and the text lie inside the drawn box.
    TPoint GetShadowPoint() const;
    TPoint GetTextPoint() const;

    // The foreground fills of ForeBmp (sized to the mask first).
    void FillGradual();
    void FillNoiseColor();
    void AddNoise(int n);
    void FillTexture();

  private:
    void SizeForeBmp();

    std::unique_ptr<TAAEffect> FEffect;
};
