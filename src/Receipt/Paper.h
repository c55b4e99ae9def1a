#pragma once
// The paper: what a printer prints, at its own dots. Commands change the print settings (font,
// styles, size, alignment, line spacing, barcode and QR code settings) and put items on the
// roll one after another: printed lines of styled text runs, feeds, page ends, cuts, raster
// images, barcodes and QR codes as data, and markers for what moves no paper. Observers get
// each item as it is printed; the paper keeps only the line being filled.
#include "Commands/Command.h"
#include "Receipt/Glyphs.h"
#include "Rtl/CodePage.h"

#include <string>
#include <variant>
#include <vector>

// Font A is 12 x 24 dots, font B 9 x 17; a double-byte character is two cells of font A.
enum TPrintFont : std::uint8_t { pfA, pfB };
struct TFontCell {
    int Width, Height;
};
TFontCell FontCell(TPrintFont font);

struct TTextStyle {
    TPrintFont Font = pfA;
    bool Emphasis = false;
    bool DoubleStrike = false;
    bool Reverse = false;
    std::uint8_t Underline = 0; // dots
    std::uint8_t Width = 1;     // multipliers, 1 to 8
    std::uint8_t Height = 1;
    std::uint8_t RightSpacing = 0; // dots after each character (times the width)
    bool operator==(const TTextStyle&) const = default;
};

struct TTextRun {
    TTextStyle Style;
    std::vector<TGlyph> Glyphs;
};

struct TPrintedLine {
    std::vector<TTextRun> Runs;
    TPrintAlign Align = paLeft;
    int Columns = 0; // cells of font A text (a double-byte character takes two)
    int Width = 0;   // dots the text takes
};

struct TFeedMark {
    int Lines = 0;
};
struct TCutMark {
    bool Partial = true;
};
// Dots row by row, the leftmost in the high bit; drawn ScaleX x ScaleY dots each.
struct TImageData {
    int Width = 0, Height = 0;
    std::string Bits;
    int ScaleX = 1, ScaleY = 1;
};
struct TBarcodeData {
    TSymbology Kind = syCode39;
    std::string Data;
    int Height = 162;     // dots
    int ModuleWidth = 3;  // dots of the narrowest bar
    int TextPosition = 0; // none, above, below, both
};
struct TQrData {
    std::string Data;
    int Model = 50;
    int ModuleSize = 3;  // dots
    int ErrorLevel = 48; // 48 L, 49 M, 50 Q, 51 H
};

enum class TItemKind : std::uint8_t { Line, Feed, PageEnd, Cut, Image, Barcode, QrCode, Note };

struct TPaperItem {
    TItemKind Kind = TItemKind::Note;
    int Top = 0;        // dots from the top of the roll
    int Height = 0;     // dots of paper it takes
    std::string Marker; // what a text view shows for it ("feed 3 lines", "bold on")
    std::variant<std::monostate, TPrintedLine, TFeedMark, TCutMark, TImageData, TBarcodeData,
                 TQrData>
        Data;
};

class TPaperObserver {
  public:
    virtual ~TPaperObserver() = default;
    virtual void Printed(const TPaperItem& item) = 0;
};

class TPaper {
  public:
    static constexpr int Width58 = 384; // dots across 58 mm paper
    static constexpr int Width80 = 576;
    static constexpr int DefaultLineSpacing = 30;

    // Text is read in codePage, which outlives the paper.
    explicit TPaper(const TCodePage& codePage, int widthDots = Width58);

    // Observers outlive the paper; each gets every item in the order printed.
    void AddObserver(TPaperObserver& observer) { FObservers.push_back(&observer); }
    int WidthDots() const { return FWidth; }
    const TCodePage& CodePage() const { return FCodePage; }

    // A command the printer read.
    void Apply(const TCommand& command);
    // Text bytes as the paper reads them now, and those glyphs into the line buffer.
    std::vector<TGlyph> Glyphs(std::string_view bytes) const;
    void AddText(std::vector<TGlyph> glyphs);
    // A marker that moves no paper.
    void Note(std::string marker);
    // End of input: what never got printed is still shown.
    void Finish();

    std::string BufferText() const;
    const TTextStyle& Style() const { return FStyle; }
    TPrintAlign Align() const { return FAlign; }
    int LineSpacing() const { return FLineSpacing; }
    int Top() const { return FTop; }
    const TBarcodeData& BarcodeSettings() const { return FBarcode; }
    const TQrData& QrSettings() const { return FQr; }
    std::uint8_t CodeTable() const { return FCodeTable; }
    bool ChineseMode() const { return FChinese; }

  private:
    friend struct TPaperApply;

    void PrintLine();
    void PrintPending();
    void Put(TPaperItem item);
    void Init();
    void Feed(int lines, std::string marker);
    void Cut(bool partial, std::string marker);

    const TCodePage& FCodePage;
    int FWidth;
    std::vector<TPaperObserver*> FObservers;
    std::vector<TTextRun> FRuns; // the line buffer
    TTextStyle FStyle;
    TPrintAlign FAlign = paLeft;
    int FLineSpacing = DefaultLineSpacing;
    int FTop = 0;
    TBarcodeData FBarcode;
    TQrData FQr;
    std::uint8_t FCodeTable = 0;
    bool FChinese = true;
};
