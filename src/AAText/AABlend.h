#pragma once
// Puts a mask onto the renderer's surface: background (the surface's solid brush, or the
// pixels already there), then one colour or the per-pixel foreground mixed in by coverage
// times alpha, then one block copy back to the surface.
#include "Graphics/Bitmap.h"
#include "Graphics/Colors.h"
#include "Graphics/Picture.h"

#include <cstdint>
#include <memory>
#include <vector>

class TAAFont;
class TAAMask;

class TAABlend : public TPersistent {
  public:
    explicit TAABlend(TAAFont* owner);
    ~TAABlend() override;

    // Copies another blender's foreground bitmap.
    void Assign(const TPersistent* source) override;

    // Draws mask at (x, y) in one colour; alpha 0..100. (x, y) are the surface's device pixels
    // (its own pixels, unless a painter scales it for a denser screen).
    void BlendColor(int x, int y, TColor color, int alpha, TAAMask* mask);
    // Draws mask at (x, y) with the colours of ForeBmp, which must match the mask's size and be
    // 24-bit (else EInvalidForeBmp).
    void BlendForeBmp(int x, int y, int alpha, TAAMask* mask);

    TBitmap* ForeBmp() { return FForeBmp.get(); }
    TBitmap* WorkBmp() { return FWorkBmp.get(); }
    TAAFont* AAFont() const { return FAAFont; }

  private:
    // Mixes mask over the background toward the B, G, R bytes of target (row y at
    // target + y * targetStride) and puts the result onto the surface at device pixel (x, y).
    void Compose(int x, int y, int alpha, TAAMask* mask, const std::uint8_t* target,
                 std::ptrdiff_t targetStride);
    // The same over a transparent background, drawn over a surface whose pixels cannot be
    // read; f is the alpha as a factor of 256.
    void ComposeOver(int x, int y, int f, TAAMask* mask, const std::uint8_t* target,
                     std::ptrdiff_t targetStride);

    std::unique_ptr<TBitmap> FForeBmp;
    std::unique_ptr<TBitmap> FWorkBmp;
    TAAFont* FAAFont = nullptr;
    std::vector<std::uint8_t> FWeights;   // one row of mixing weights, three per pixel
    std::vector<std::uint8_t> FColourRow; // one row of the single target colour
};
