#include "Print/Symbols.h"

#include <zint.h>

#include <cstring>
#include <memory>

namespace {

struct TZintDelete {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

struct TRequest {
    int Symbology = BARCODE_CODE128;
    std::string Data;
    int InputMode = DATA_MODE;
    int Option1 = -1;
    bool Text = true; // a barcode with human-readable text
};

// "Error 275: Invalid check digit '3', expecting '8'" -> "invalid check digit '3', ...".
std::string ReasonOf(const char* errtxt) {
    std::string text = errtxt;
    if (text.rfind("Error ", 0) == 0 || text.rfind("Warning ", 0) == 0) {
        const auto colon = text.find(": ");
        if (colon != std::string::npos)
            text.erase(0, colon + 2);
    }
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text.empty() ? "the encoder refuses it" : text;
}

TEncoded Run(const TRequest& request) {
    std::unique_ptr<zint_symbol, TZintDelete> z(ZBarcode_Create());
    if (!z)
        return {nullptr, "out of memory"};
    z->symbology = request.Symbology;
    z->input_mode = request.InputMode;
    z->option_1 = request.Option1;
    const int error =
        ZBarcode_Encode(z.get(), reinterpret_cast<const unsigned char*>(request.Data.data()),
                        static_cast<int>(request.Data.size()));
    if (error >= ZINT_ERROR)
        return {nullptr, ReasonOf(z->errtxt)};
    auto symbol = std::make_shared<TSymbol>();
    symbol->Columns = z->width;
    symbol->Rows = z->rows;
    symbol->Modules.resize(static_cast<std::size_t>(z->width) * z->rows);
    // zint keeps each row's modules as bits, the first module in the lowest bit.
    for (int y = 0; y < z->rows; ++y)
        for (int x = 0; x < z->width; ++x)
            symbol->Modules[static_cast<std::size_t>(y) * z->width + x] =
                (z->encoded_data[y][x >> 3] >> (x & 7)) & 1;
    if (request.Text)
        symbol->Text = reinterpret_cast<const char*>(z->text);
    return {std::move(symbol), {}};
}

TEncoded Cached(const TRequest& request, TSymbolCache& cache) {
    std::string key = std::to_string(request.Symbology) + ' ' + std::to_string(request.InputMode) +
                      ' ' + std::to_string(request.Option1) + ' ';
    key += request.Data;
    TEncoded found = cache.Find(key);
    if (found.Symbol || !found.Refusal.empty())
        return found;
    TEncoded encoded = Run(request);
    cache.Keep(key, encoded);
    return encoded;
}

// The request that draws a barcode the printer took.
TRequest BarcodeRequest(TSymbology kind, std::string_view data) {
    TRequest r;
    r.Data = std::string(data);
    switch (kind) {
    case syUpcA:
        r.Symbology = data.size() == 12 ? BARCODE_UPCA_CHK : BARCODE_UPCA;
        break;
    case syUpcE:
        r.Symbology = data.size() == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE;
        break;
    case syJan13:
        r.Symbology = data.size() == 13 ? BARCODE_EANX_CHK : BARCODE_EANX;
        break;
    case syJan8:
        r.Symbology = data.size() == 8 ? BARCODE_EANX_CHK : BARCODE_EANX;
        break;
    case syCode39:
        r.Symbology = BARCODE_CODE39;
        if (r.Data.size() >= 2 && r.Data.front() == '*' && r.Data.back() == '*')
            r.Data = r.Data.substr(1, r.Data.size() - 2);
        break;
    case syItf:
        r.Symbology = BARCODE_C25INTER;
        break;
    case syCodabar:
        r.Symbology = BARCODE_CODABAR;
        for (char& c : r.Data)
            if (c >= 'a' && c <= 'd')
                c = static_cast<char>(c - 'a' + 'A');
        break;
    case syCode93:
        r.Symbology = BARCODE_CODE93;
        break;
    case syCode128: {
        std::string why;
        r.Data = Code128Content(data, why);
        r.Symbology = BARCODE_CODE128;
        break;
    }
    case syCode128Auto:
        r.Symbology = BARCODE_CODE128;
        break;
    case syGs1_128:
    case syDataBarExpanded:
        r.Symbology = kind == syGs1_128 ? BARCODE_GS1_128 : BARCODE_DBAR_EXP;
        // Application identifiers in brackets or, as receipts write them, in parentheses.
        r.InputMode = GS1_MODE | (data.find('(') != std::string_view::npos ? GS1PARENS_MODE : 0);
        break;
    case syDataBar:
    case syDataBarTruncated:
        r.Symbology = BARCODE_DBAR_OMN;
        r.Text = false;
        break;
    case syDataBarLimited:
        r.Symbology = BARCODE_DBAR_LTD;
        r.Text = false;
        break;
    }
    return r;
}

} // namespace

TEncoded TSymbolCache::Find(const std::string& key) {
    const auto it = FIndex.find(key);
    if (it == FIndex.end())
        return {};
    FEntries.splice(FEntries.begin(), FEntries, it->second);
    return it->second->second;
}

void TSymbolCache::Keep(const std::string& key, const TEncoded& encoded) {
    FEntries.emplace_front(key, encoded);
    FIndex[key] = FEntries.begin();
    if (FEntries.size() > Size) {
        FIndex.erase(FEntries.back().first);
        FEntries.pop_back();
    }
}

TEncoded EncodeBarcode(TSymbology kind, std::string_view data, TSymbolCache& cache) {
    if (kind >= SymbologyCount)
        return {nullptr, "no such barcode system"};
    if (std::string why = BarcodeRefusal(kind, data); !why.empty())
        return {nullptr, why};
    TEncoded encoded = Cached(BarcodeRequest(kind, data), cache);
    if (encoded.Symbol && encoded.Symbol->Columns == 0)
        return {nullptr, "the encoder gives no bars"};
    return encoded;
}

TEncoded EncodeQr(std::string_view data, int model, int errorLevel, TSymbolCache& cache) {
    if (data.empty())
        return {nullptr, "no data stored"};
    TRequest r;
    // Model 1 is drawn as model 2, which every reader takes.
    r.Symbology = model == 51 ? BARCODE_MICROQR : BARCODE_QRCODE;
    r.Data = std::string(data);
    r.Option1 = errorLevel >= 48 && errorLevel <= 51 ? errorLevel - 48 + 1 : 1;
    r.Text = false;
    return Cached(r, cache);
}
