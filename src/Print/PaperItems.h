#pragma once
// What the paper puts on the roll, at the printer's dots: printed lines of styled text runs
// and bit images, feeds, page ends, cuts, raster images, barcodes and QR codes as module
// matrices, and markers for what moves no paper. Positions are dots from the paper's left edge
// and from the top of the roll.
#include "Commands/Command.h"
#include "Print/Symbols.h"
#include "Print/TextStyle.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

struct TTextRun {
    TTextStyle Style;
    std::vector<TGlyph> Glyphs;
    int X = 0; // where its first character starts
};

// Dots row by row, (Width + 7) / 8 bytes a row, the leftmost in the high bit; drawn ScaleX x
// ScaleY dots each, from X.
struct TImageData {
    int Width = 0, Height = 0;
    std::string Bits;
    int ScaleX = 1, ScaleY = 1;
    int X = 0;
    int Stride() const { return (Width + 7) / 8; }
    bool Dot(int x, int y) const {
        return (static_cast<unsigned char>(Bits[static_cast<std::size_t>(y) * Stride() + x / 8]) >>
                (7 - x % 8)) &
               1;
    }
};

struct TPrintedLine {
    std::vector<TTextRun> Runs;
    std::vector<TImageData> Images; // bit images in the line, standing on the baseline
    TPrintAlign Align = paLeft;
    int Columns = 0; // cells of font A text (a double-byte character takes two)
    int Width = 0;   // dots the text and images take
    int Ascent = 0;  // dots from the line's top to the baseline: its tallest character
    bool UpsideDown = false;
    int AreaLeft = 0, AreaWidth = 0; // the print area it was printed in
};

struct TFeedMark {
    int Lines = 0;
};
struct TCutMark {
    bool Partial = true;
};
struct TBarcodeData {
    TSymbology Kind = syCode39;
    std::string Data;
    int Height = 162;     // dots of the bars
    int ModuleWidth = 3;  // dots of one module
    int TextPosition = 0; // none, above, below, both
    TPrintFont TextFont = pfA;
    int X = 0;
    std::shared_ptr<const TSymbol> Symbol; // none: the printer prints nothing
    std::string Refusal;                   // and why
};
struct TQrData {
    std::string Data;
    int Model = 50;
    int ModuleSize = 3;  // dots
    int ErrorLevel = 48; // 48 L, 49 M, 50 Q, 51 H
    int X = 0;
    std::shared_ptr<const TSymbol> Symbol;
    std::string Refusal;
};

// Dots between a barcode's bars and its text.
constexpr int BarcodeTextGap = 2;

enum class TItemKind : std::uint8_t { Line, Feed, PageEnd, Cut, Image, Barcode, QrCode, Note };

struct TPaperItem {
    TItemKind Kind = TItemKind::Note;
    int Top = 0;        // dots from the top of the roll
    int Height = 0;     // dots of paper it moves
    std::string Marker; // what a text view shows for it ("feed 3 lines", "bold on")
    std::variant<std::monostate, TPrintedLine, TFeedMark, TCutMark, TImageData, TBarcodeData,
                 TQrData>
        Data;
};

// Dots below Top that an item's print reaches: a line printed with a short feed (ESC J) prints
// past the paper it moves, a cut is a line one dot high.
int PrintedExtent(const TPaperItem& item);
// Whether the item puts anything on the paper.
bool Prints(const TPaperItem& item);

class TPaperObserver {
  public:
    virtual ~TPaperObserver() = default;
    virtual void Printed(const TPaperItem& item) = 0;
};
