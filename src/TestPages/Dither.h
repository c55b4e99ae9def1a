#pragma once
// Pictures to printer dots: scaled to the print width, dithered to black dots by error
// diffusion (Floyd-Steinberg), and sent as GS v 0 images in bands the printer takes.
#include "Commands/Command.h"

#include <QImage>
#include <string>
#include <vector>

struct TDots {
    int Width = 0, Height = 0; // Width is a multiple of 8
    std::string Bits;          // row by row, 8 dots a byte, the leftmost in the high bit, 1 black
    bool Black(int x, int y) const {
        const auto byte = static_cast<unsigned char>(
            Bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width / 8) +
                 static_cast<std::size_t>(x / 8)]);
        return byte & (0x80 >> (x % 8));
    }
};

// A picture in gray levels (Format_Grayscale8), composed on white paper, widthDots wide and as
// tall as its proportions say; one taller than maxRows is made narrower instead and centred.
QImage FitToWidth(const QImage& picture, int widthDots, int maxRows);
// Gray levels to dots; black and white stay as they are.
TDots Dither(const QImage& gray);

// Rows of one GS v 0 image at most: the height receipt printers take in one.
constexpr int BandRows = 240;
std::vector<TCommand> RasterBands(const TDots& dots);
