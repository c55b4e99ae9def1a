#include "Print/ImageData.h"

namespace {

int ByteAt(std::string_view s, std::size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}
int WordAt(std::string_view s, std::size_t i) {
    return ByteAt(s, i) + 256 * ByteAt(s, i + 1);
}

void SetDot(TImageData& image, int x, int y) {
    image.Bits[static_cast<std::size_t>(y) * image.Stride() + x / 8] |=
        static_cast<char>(0x80 >> (x % 8));
}

// Columns of bytes, the top dot in the high bit of each column's first byte.
TImageData FromColumns(std::string_view data, int width, int height) {
    TImageData image;
    image.Width = width;
    image.Height = height;
    image.Bits.assign(static_cast<std::size_t>(image.Stride()) * height, '\0');
    const int perColumn = (height + 7) / 8;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if ((ByteAt(data, static_cast<std::size_t>(x) * perColumn + y / 8) >> (7 - y % 8)) & 1)
                SetDot(image, x, y);
    return image;
}

} // namespace

TImageData BitImageData(const Cmd::BitImage& c) {
    const int rows = c.RowsPerColumn();
    const int width = static_cast<int>(c.Data.size()) / (rows / 8);
    TImageData image = FromColumns(c.Data, width, rows);
    image.ScaleX = c.Mode == 0 || c.Mode == 32 ? 2 : 1;
    image.ScaleY = rows == 8 ? 3 : 1;
    return image;
}

// m fn a bx by c xL xH yL yH d...
std::optional<TImageData> StoredGraphics(std::string_view body, std::string& why) {
    const int fn = ByteAt(body, 1);
    if (body.size() < 10) {
        why = "graphics too short";
        return std::nullopt;
    }
    const int tone = ByteAt(body, 2), bx = ByteAt(body, 3), by = ByteAt(body, 4);
    const int width = WordAt(body, 6), height = WordAt(body, 8);
    if (tone != 48) {
        why = "multiple-tone graphics are not drawn";
        return std::nullopt;
    }
    if ((bx != 1 && bx != 2) || (by != 1 && by != 2) || width == 0 || height == 0) {
        why = "graphics of a size the printer does not take";
        return std::nullopt;
    }
    const std::string_view data = body.substr(10);
    const std::size_t need = fn == 112 ? static_cast<std::size_t>((width + 7) / 8) * height
                                       : static_cast<std::size_t>(width) * ((height + 7) / 8);
    if (data.size() < need) {
        why = "graphics data of " + std::to_string(data.size()) + " bytes, not " +
              std::to_string(need);
        return std::nullopt;
    }
    TImageData image;
    if (fn == 112) {
        image.Width = width;
        image.Height = height;
        image.Bits = std::string(data.substr(0, need));
    } else {
        image = FromColumns(data, width, height);
    }
    image.ScaleX = bx;
    image.ScaleY = by;
    return image;
}
