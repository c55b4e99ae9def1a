#pragma once
// A QR code's modules, encoded by zint, for a page that draws its symbols as an image.
#include <optional>
#include <string>
#include <vector>

struct TQrModules {
    int Size = 0; // modules across (and down)
    std::vector<bool> Dark;
    bool At(int x, int y) const { return Dark[static_cast<std::size_t>(y * Size + x)]; }
};

// The bytes in byte mode at error level 0 (L) to 3 (H), at least of the given version (1 to
// 40); none when they do not fit a QR code.
std::optional<TQrModules> QrModules(const std::string& data, int level, int version = 1);
