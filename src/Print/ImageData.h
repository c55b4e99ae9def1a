#pragma once
// The image commands' data as dots row by row: ESC * columns, the raster and column formats
// of GS ( L.
#include "Print/PaperItems.h"

#include <optional>
#include <string>
#include <string_view>

// ESC *: 8 or 24 dots tall; modes 0 and 1 print each dot three dots tall, modes 0 and 32 two
// dots wide.
TImageData BitImageData(const Cmd::BitImage& image);

// GS ( L / GS 8 L function 112 (raster) or 113 (columns) stores graphics in the print buffer:
// the image, or why it is not drawn.
std::optional<TImageData> StoredGraphics(std::string_view body, std::string& why);
