#pragma once
// Small fixtures for the renderer tests: a 24-bit surface with its renderer, pixel reads and
// masks filled from rows of values.
#include "AAText/AAFont.h"
#include "Graphics/Bitmap.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

struct Bgr {
    int B, G, R;
    bool operator==(const Bgr&) const = default;
};

inline Bgr PixelAt(TBitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return Bgr{p[0], p[1], p[2]};
}

inline void SetMaskRows(TAAMask& mask, std::initializer_list<std::vector<int>> rows) {
    const int h = static_cast<int>(rows.size());
    const int w = h ? static_cast<int>(rows.begin()->size()) : 0;
    mask.SetSize(w, h);
    int y = 0;
    for (const auto& row : rows) {
        for (int x = 0; x < w; ++x)
            mask.ScanLine(y)[x] = static_cast<std::uint8_t>(row[static_cast<std::size_t>(x)]);
        ++y;
    }
}

inline std::vector<std::vector<int>> MaskRows(const TAAMask& mask) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < mask.Height(); ++y)
        rows.emplace_back(mask.ScanLine(y), mask.ScanLine(y) + mask.Width());
    return rows;
}

// A 24-bit surface of the given size filled with one colour, and a renderer on it.
struct Surface {
    TBitmap Bmp;
    TAAFont Font;
    Surface(int w, int h, TColor fill) : Bmp(w, h, pf24bit), Font(Bmp.Canvas()) {
        Bmp.Canvas()->Brush()->SetColor(fill);
        Bmp.Canvas()->FillRect(Rect(0, 0, w, h));
    }
};
