#pragma once
// Puts a mask onto the renderer's surface: background (the surface's solid brush, or the
// pixels already there), then one colour or the per-pixel foreground mixed in by coverage
// times alpha, then one block copy back to the surface.
#include "Platform/Bitmap.h"
#include "Platform/Colors.h"
#include "Platform/Picture.h"

#include <cstdint>
#include <functional>
#include <memory>

class TAAFont;
class TAAMask;

class TAABlend : public TPersistent {
  public:
    explicit TAABlend(TAAFont* owner);
    ~TAABlend() override;

    // Copies another blender's foreground bitmap.
    void Assign(const TPersistent* source) override;

    // Draws mask at (x, y) in one colour; alpha 0..100.
    void BlendColor(int x, int y, TColor color, int alpha, TAAMask* mask);
    // Draws mask at (x, y) with the colours of ForeBmp, which must match the mask's size and be
    // 24-bit (else EInvalidForeBmp).
    void BlendForeBmp(int x, int y, int alpha, TAAMask* mask);

    TBitmap* ForeBmp() { return FForeBmp.get(); }
    TBitmap* WorkBmp() { return FWorkBmp.get(); }
    TAAFont* AAFont() const { return FAAFont; }

  private:
    // rowOf(y) gives the B, G, R bytes that the pixels of mask row y move toward, step bytes
    // apart (0: one colour for all).
    void Compose(int x, int y, int alpha, TAAMask* mask,
                 const std::function<const std::uint8_t*(int)>& rowOf, int step);

    std::unique_ptr<TBitmap> FForeBmp;
    std::unique_ptr<TBitmap> FWorkBmp;
    TAAFont* FAAFont = nullptr;
};
