#include "Receipt/Paper.h"

#include "Receipt/Describe.h"
#include "Rtl/Strings.h"

#include <algorithm>

TFontCell FontCell(TPrintFont font) {
    return font == pfB ? TFontCell{9, 17} : TFontCell{12, 24};
}

// What each command does to the paper. Commands that only set something show as a marker, as
// do those the paper does not draw yet.
struct TPaperApply {
    TPaper& P;

    void operator()(const Cmd::Text& c) const { P.AddText(P.Glyphs(c.Bytes)); }
    void operator()(const Cmd::Raw& c) const { P.Note("unknown " + FormatHex(c.Bytes)); }
    void operator()(const Cmd::Incomplete& c) const { P.Note("incomplete " + FormatHex(c.Bytes)); }
    void operator()(const Cmd::LineFeed&) const { P.PrintLine(); }
    void operator()(const Cmd::FormFeed&) const {
        P.PrintPending();
        P.Put({TItemKind::PageEnd, P.FTop, 0, "page end", {}});
    }
    void operator()(const Cmd::CarriageReturn&) const {}
    void operator()(const Cmd::FeedLines& c) const { P.Feed(c.N, Describe(c)); }
    void operator()(const Cmd::FeedDots& c) const {
        P.Note(Describe(c));
        P.FTop += c.N;
    }
    void operator()(const Cmd::Init&) const { P.Init(); }
    void operator()(const Cmd::Cut& c) const { P.Cut(c.Partial, Describe(c)); }
    void operator()(const Cmd::CutN& c) const { P.Cut(false, Describe(c)); }

    void operator()(const Cmd::CharSpacing& c) const { Set(c, P.FStyle.RightSpacing, c.N); }
    void operator()(const Cmd::Font& c) const { Set(c, P.FStyle.Font, Font(c.Index() == 1)); }
    void operator()(const Cmd::PrintMode& c) const {
        TTextStyle& s = P.FStyle;
        s.Font = Font(c.N & 0x01);
        s.Emphasis = c.N & 0x08;
        s.Height = (c.N & 0x10) ? 2 : 1;
        s.Width = (c.N & 0x20) ? 2 : 1;
        s.Underline = (c.N & 0x80) ? 1 : 0;
        P.Note(Describe(c));
    }
    void operator()(const Cmd::Underline& c) const {
        Set(c, P.FStyle.Underline, c.Dots() == 2 ? 2 : c.Dots() & 1);
    }
    void operator()(const Cmd::Emphasis& c) const { Set(c, P.FStyle.Emphasis, c.On()); }
    void operator()(const Cmd::DoubleStrike& c) const { Set(c, P.FStyle.DoubleStrike, c.On()); }
    void operator()(const Cmd::Reverse& c) const { Set(c, P.FStyle.Reverse, c.On()); }
    void operator()(const Cmd::CharSize& c) const {
        P.FStyle.Width = static_cast<std::uint8_t>(std::min(c.Width(), 8));
        Set(c, P.FStyle.Height, c.Height());
    }
    void operator()(const Cmd::Align& c) const { Set(c, P.FAlign, c.Where); }
    void operator()(const Cmd::LineSpacing& c) const {
        Set(c, P.FLineSpacing, c.Dots ? int{*c.Dots} : TPaper::DefaultLineSpacing);
    }
    void operator()(const Cmd::CodeTable& c) const { Set(c, P.FCodeTable, c.N); }
    void operator()(const Cmd::ChineseMode& c) const { Set(c, P.FChinese, c.On); }

    void operator()(const Cmd::BarcodeHeight& c) const { Set(c, P.FBarcode.Height, c.N); }
    void operator()(const Cmd::BarcodeWidth& c) const { Set(c, P.FBarcode.ModuleWidth, c.N); }
    void operator()(const Cmd::BarcodeText& c) const {
        Set(c, P.FBarcode.TextPosition, c.Position());
    }
    void operator()(const Cmd::Barcode& c) const {
        TBarcodeData data = P.FBarcode;
        data.Kind = c.Kind;
        data.Data = c.Data;
        const int height = data.Height;
        P.Put({TItemKind::Barcode, P.FTop, height, Describe(c), std::move(data)});
        P.FTop += height;
    }
    void operator()(const Cmd::RasterImage& c) const {
        TImageData image{c.WidthBytes * 8, c.Height, c.Data, (c.Mode & 1) ? 2 : 1,
                         (c.Mode & 2) ? 2 : 1};
        const int height = image.Height * image.ScaleY;
        P.Put({TItemKind::Image, P.FTop, height, Describe(c), std::move(image)});
        P.FTop += height;
    }
    void operator()(const Cmd::QrModel& c) const { Set(c, P.FQr.Model, c.N); }
    void operator()(const Cmd::QrModuleSize& c) const { Set(c, P.FQr.ModuleSize, c.N); }
    void operator()(const Cmd::QrErrorLevel& c) const { Set(c, P.FQr.ErrorLevel, c.N); }
    void operator()(const Cmd::QrStore& c) const { Set(c, P.FQr.Data, c.Data); }
    // Its size is known once the symbol is encoded; the view that draws it says.
    void operator()(const Cmd::QrPrint& c) const {
        P.Put({TItemKind::QrCode, P.FTop, 0, Describe(c), P.FQr});
    }

    // Everything else shows as its marker.
    template <class T> void operator()(const T& c) const { P.Note(Describe(c)); }

    template <class T, class Field, class Value>
    void Set(const T& command, Field& field, const Value& value) const {
        field = static_cast<Field>(value);
        P.Note(Describe(command));
    }
    static TPrintFont Font(bool b) { return b ? pfB : pfA; }
};

TPaper::TPaper(const TCodePage& codePage, int widthDots) : FCodePage(codePage), FWidth(widthDots) {}

void TPaper::Apply(const TCommand& command) {
    std::visit(TPaperApply{*this}, command);
}

std::vector<TGlyph> TPaper::Glyphs(std::string_view bytes) const {
    return DecodeGlyphs(FCodePage, bytes);
}

void TPaper::AddText(std::vector<TGlyph> glyphs) {
    if (glyphs.empty())
        return;
    if (FRuns.empty() || !(FRuns.back().Style == FStyle)) {
        FRuns.push_back({FStyle, std::move(glyphs)});
        return;
    }
    std::vector<TGlyph>& run = FRuns.back().Glyphs;
    run.insert(run.end(), glyphs.begin(), glyphs.end());
}

std::string TPaper::BufferText() const {
    std::string text;
    for (const TTextRun& run : FRuns)
        text += GlyphText(run.Glyphs);
    return text;
}

void TPaper::Put(TPaperItem item) {
    for (TPaperObserver* observer : FObservers)
        observer->Printed(item);
}

void TPaper::Note(std::string marker) {
    Put({TItemKind::Note, FTop, 0, std::move(marker), {}});
}

void TPaper::PrintLine() {
    TPrintedLine line;
    line.Align = FAlign;
    int height = 0;
    for (const TTextRun& run : FRuns) {
        const TFontCell cell = FontCell(run.Style.Font);
        height = std::max(height, cell.Height * run.Style.Height);
        for (const TGlyph& g : run.Glyphs) {
            line.Columns += g.Columns;
            line.Width += (g.Columns * cell.Width + run.Style.RightSpacing) * run.Style.Width;
        }
    }
    line.Runs = std::move(FRuns);
    FRuns.clear();
    // A line feeds at least its tallest character.
    height = std::max(height, FLineSpacing);
    Put({TItemKind::Line, FTop, height, {}, std::move(line)});
    FTop += height;
}

void TPaper::PrintPending() {
    if (!FRuns.empty())
        PrintLine();
}

void TPaper::Feed(int lines, std::string marker) {
    PrintPending();
    const int height = lines * FLineSpacing;
    Put({TItemKind::Feed, FTop, height, std::move(marker), TFeedMark{lines}});
    FTop += height;
}

void TPaper::Cut(bool partial, std::string marker) {
    PrintPending();
    Put({TItemKind::Cut, FTop, 0, std::move(marker), TCutMark{partial}});
}

// ESC @: the buffer is discarded (and said so) and the settings return to their defaults.
void TPaper::Init() {
    const std::string discarded = BufferText();
    FRuns.clear();
    FStyle = {};
    FAlign = paLeft;
    FLineSpacing = DefaultLineSpacing;
    FBarcode = {};
    FQr = {};
    FCodeTable = 0;
    FChinese = true;
    Note(discarded.empty() ? "init" : "init, discarded \"" + discarded + "\"");
}

void TPaper::Finish() {
    if (!FRuns.empty()) {
        Note("unprinted \"" + BufferText() + "\"");
        FRuns.clear();
    }
    Note("end");
}
