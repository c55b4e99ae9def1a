#pragma once
// The paper: what a printer prints, at its own dots. Commands change the print settings (font,
// styles, sizes, alignment, margins, tabs, line spacing, character sets, barcode and QR code
// settings) and put items on the roll one after another: printed lines of styled text and bit
// images, feeds, page ends, cuts, raster images, barcodes and QR codes as module matrices, and
// markers for what moves no paper. Text wraps at the print area's edge as a printer wraps it.
// Observers get each item as it is printed; the paper keeps only the line being filled.
#include "Print/LineBuffer.h"
#include "Print/PaperItems.h"
#include "Rtl/CodePage.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TPaper {
  public:
    static constexpr int Width58 = 384; // dots across 58 mm paper
    static constexpr int Width80 = 576;
    static constexpr int DefaultLineSpacing = 30;
    // No image or symbol prints taller than this.
    static constexpr int MaxImageDots = 65536;

    // Double-byte text is read in codePage, which outlives the paper. chinese: whether the
    // printer comes up (and returns on ESC @) in Chinese mode.
    explicit TPaper(const TCodePage& codePage, int widthDots = Width58, bool chinese = true);
    ~TPaper();
    TPaper(const TPaper&) = delete;
    TPaper& operator=(const TPaper&) = delete;

    // Observers outlive the paper; each gets every item in the order printed.
    void AddObserver(TPaperObserver& observer) { FObservers.push_back(&observer); }
    int WidthDots() const { return FWidth; }
    const TCodePage& CodePage() const { return FCodePage; }

    // A command the printer read.
    void Apply(const TCommand& command);
    // Text bytes as the paper reads them now (Chinese mode, code table, international set),
    // and those glyphs into the line buffer.
    std::vector<TGlyph> Glyphs(std::string_view bytes) const;
    void AddText(const std::vector<TGlyph>& glyphs);
    // A marker that moves no paper.
    void Note(std::string marker);
    // End of input: what never got printed is still shown.
    void Finish();

    std::string BufferText() const { return FLine.Text(); }
    const TTextStyle& Style() const { return FStyle; }
    TPrintAlign Align() const { return FAlign; }
    int LineSpacing() const { return FLineSpacing; }
    int Top() const { return FTop; }
    const TBarcodeData& BarcodeSettings() const { return FBarcode; }
    const TQrData& QrSettings() const { return FQr; }
    std::uint8_t CodeTable() const { return FCodeTable; }
    bool ChineseMode() const { return FChinese; }
    // The stored QR code's size in dots, as GS ( k function 82 tells it; none when it would
    // not print.
    std::optional<std::pair<int, int>> QrSize();

  private:
    friend struct TPaperApply;

    // "unknown 1B 7A": the words, then the bytes in hex.
    void NoteBytes(const char* what, std::string_view bytes);
    // The command's marker, and more after it.
    void NoteOf(const TCommand& command, const char* more = "");
    void PrintLine(std::optional<int> feed = std::nullopt);
    void PrintPending();
    void StartLine();
    void Put(TPaperItem item);
    void Init();
    void Feed(int lines, std::string marker);
    void Cut(bool partial, std::optional<int> feedDots, std::string marker);
    void Tab();
    void SetTabStops(const std::string& columns);
    void SetTable(std::optional<std::string_view> page);
    void PrintImage(TImageData image, std::string marker);
    void PrintBarcode(TSymbology kind, const std::string& data, std::string marker);
    void PrintQr(std::string marker);
    int AlignedX(int width) const;
    int AreaLeft() const;
    int AreaWidth() const;

    const TCodePage& FCodePage;
    int FWidth;
    bool FChinesePowerOn;
    std::vector<TPaperObserver*> FObservers;
    TLineBuffer FLine;
    TTextStyle FStyle;
    TPrintAlign FAlign = paLeft;
    int FLineSpacing = DefaultLineSpacing;
    int FTop = 0;
    int FLeftMargin = 0;
    int FPrintWidth;
    std::vector<int> FTabStops; // dots from the print area's left
    bool FUpsideDown = false;
    bool FDisabled = false; // ESC = 0: the printer ignores what comes
    std::uint8_t FInternational = 0;
    TBarcodeData FBarcode;
    TQrData FQr;
    std::uint8_t FCodeTable = 0;
    bool FChinese;
    std::optional<std::string> FTablePage; // the single-byte code page, none: ASCII only
    mutable std::map<std::string, std::unique_ptr<TCodePage>> FTables;
    std::optional<TImageData> FGraphics; // GS ( L's print buffer
    TSymbolCache FSymbols;
};
