#pragma once
// Barcodes and QR codes as module matrices, encoded by zint: the paper draws the matrix at the
// printer's dots. The printer's own rules (lengths, characters, code sets) come first; what
// the encoder refuses (a wrong check digit, data too long) is refused with its reason.
#include "Commands/Command.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TSymbol {
    int Columns = 0, Rows = 0;
    std::vector<std::uint8_t> Modules; // Rows x Columns, 1 for a dark module
    std::string Text;                  // the human-readable text of a barcode, UTF-8
    bool Dark(int x, int y) const { return Modules[static_cast<std::size_t>(y) * Columns + x]; }
};

struct TEncoded {
    std::shared_ptr<const TSymbol> Symbol; // none: not printed
    std::string Refusal;                   // why not
};

// Receipts print the same symbols again and again, and a QR code takes the encoder a third of
// a millisecond: the last symbols are kept.
class TSymbolCache {
  public:
    static constexpr std::size_t Size = 32;
    TEncoded Find(const std::string& key);
    void Keep(const std::string& key, const TEncoded& encoded);

  private:
    std::list<std::pair<std::string, TEncoded>> FEntries; // the newest first
    std::unordered_map<std::string, std::list<std::pair<std::string, TEncoded>>::iterator> FIndex;
};

TEncoded EncodeBarcode(TSymbology kind, std::string_view data, TSymbolCache& cache);
// QR model 49 (1), 50 (2) or 51 (micro), error level 48..51 (L, M, Q, H); the data as bytes.
TEncoded EncodeQr(std::string_view data, int model, int errorLevel, TSymbolCache& cache);

// Why the printer refuses barcode data before encoding it (length, characters, code set), or
// nothing. For CODE128 the content is the data read through its code sets ({A, {B, {C).
std::string BarcodeRefusal(TSymbology kind, std::string_view data);
std::string Code128Content(std::string_view data, std::string& why);

// The barcode kinds of the line-mode sets' ESC b ('0' UPC-E ... '8' NW-7), or none.
std::optional<TSymbology> StarSymbology(std::uint8_t n);
