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

// zint's symbology for each system, the one that checks a given check digit, and the length
// of data with one.
struct TZintKind {
    int Plain, WithCheck;
    std::size_t CheckedLength;
    bool Text;
};
constexpr TZintKind ZintKinds[SymbologyCount] = {
    {BARCODE_UPCA, BARCODE_UPCA_CHK, 12, true},     {BARCODE_UPCE, BARCODE_UPCE_CHK, 8, true},
    {BARCODE_EANX, BARCODE_EANX_CHK, 13, true},     {BARCODE_EANX, BARCODE_EANX_CHK, 8, true},
    {BARCODE_CODE39, BARCODE_CODE39, 0, true},      {BARCODE_C25INTER, BARCODE_C25INTER, 0, true},
    {BARCODE_CODABAR, BARCODE_CODABAR, 0, true},    {BARCODE_CODE93, BARCODE_CODE93, 0, true},
    {BARCODE_CODE128, BARCODE_CODE128, 0, true},    {BARCODE_GS1_128, BARCODE_GS1_128, 0, true},
    {BARCODE_DBAR_OMN, BARCODE_DBAR_OMN, 0, false}, {BARCODE_DBAR_OMN, BARCODE_DBAR_OMN, 0, false},
    {BARCODE_DBAR_LTD, BARCODE_DBAR_LTD, 0, false}, {BARCODE_DBAR_EXP, BARCODE_DBAR_EXP, 0, true},
    {BARCODE_CODE128, BARCODE_CODE128, 0, true},
};

// The data as the encoder takes it: without CODE39's asterisks, CODABAR's start and stop in
// upper case, CODE128 read through its code sets.
std::string EncoderData(TSymbology kind, std::string_view data) {
    std::string out(data);
    if (kind == syCode39 && out.size() >= 2 && out.front() == '*' && out.back() == '*')
        out = out.substr(1, out.size() - 2);
    if (kind == syCodabar)
        for (char& c : out)
            if (c >= 'a' && c <= 'd')
                c = static_cast<char>(c - 'a' + 'A');
    if (kind == syCode128) {
        std::string why;
        out = Code128Content(data, why);
    }
    return out;
}

// The request that draws a barcode the printer took.
TRequest BarcodeRequest(TSymbology kind, std::string_view data) {
    const TZintKind& z = ZintKinds[kind];
    TRequest r;
    r.Symbology = z.CheckedLength && data.size() == z.CheckedLength ? z.WithCheck : z.Plain;
    r.Data = EncoderData(kind, data);
    r.Text = z.Text;
    // Application identifiers in brackets or, as receipts write them, in parentheses.
    if (kind == syGs1_128 || kind == syDataBarExpanded)
        r.InputMode = GS1_MODE | (data.find('(') != std::string_view::npos ? GS1PARENS_MODE : 0);
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
