#include "TestPages/QrModules.h"

#include <memory>
#include <zint.h>

namespace {

struct TSymbolFree {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

std::optional<TQrModules> Encode(const std::string& data, int level, int version) {
    const std::unique_ptr<zint_symbol, TSymbolFree> symbol(ZBarcode_Create());
    if (!symbol)
        return std::nullopt;
    symbol->symbology = BARCODE_QRCODE;
    symbol->input_mode = DATA_MODE;
    symbol->option_1 = level + 1;
    symbol->option_2 = version;
    // Half the default scale is one pixel a module; no quiet zone (the paper is white).
    symbol->scale = 0.5f;
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size())) >= ZINT_ERROR_TOO_LONG ||
        ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR_TOO_LONG)
        return std::nullopt;
    const int size = symbol->bitmap_width;
    if (size <= 0 || symbol->bitmap_height != size)
        return std::nullopt;
    TQrModules modules;
    modules.Size = size;
    modules.Dark.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < modules.Dark.size(); ++i)
        modules.Dark[i] = symbol->bitmap[i * 3] < 128;
    return modules;
}

} // namespace

std::optional<TQrModules> QrModules(const std::string& data, int level, int version) {
    if (level < 0 || level > 3 || version < 1 || version > 40)
        return std::nullopt;
    // A version too small for the data is none at all to zint: grow it.
    for (int v = version; v <= 40; ++v)
        if (std::optional<TQrModules> modules = Encode(data, level, v))
            return modules;
    return std::nullopt;
}
