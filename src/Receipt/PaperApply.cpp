// What each command does to the paper. Commands that only set something show as a marker, as
// do those the paper does not draw.
#include "Commands/CodeTables.h"
#include "Print/ImageData.h"
#include "Receipt/Describe.h"
#include "Receipt/Paper.h"

#include <algorithm>

namespace {

int Digit(int n) {
    return n >= '0' ? n - '0' : n;
}

TPrintFont FontOf(bool b) {
    return b ? pfB : pfA;
}

} // namespace

struct TPaperApply {
    TPaper& P;

    void operator()(const Cmd::Text& c) const { P.AddText(P.Glyphs(c.Bytes)); }
    void operator()(const Cmd::Raw& c) const { P.NoteBytes("unknown ", c.Bytes); }
    void operator()(const Cmd::Incomplete& c) const { P.NoteBytes("incomplete ", c.Bytes); }
    void operator()(const Cmd::LineFeed&) const { P.PrintLine(); }
    void operator()(const Cmd::VerticalTab&) const { P.PrintLine(); }
    void operator()(const Cmd::FormFeed&) const {
        P.PrintPending();
        P.Put({TItemKind::PageEnd, P.FTop, 0, "page end", {}});
    }
    void operator()(const Cmd::CarriageReturn&) const {}
    void operator()(const Cmd::FeedLines& c) const { P.Feed(c.N, Describe(c)); }
    void operator()(const Cmd::FeedDots& c) const {
        if (!P.FLine.Empty()) {
            P.PrintLine(c.N);
            P.NoteOf(c);
            return;
        }
        P.FLine.Clear();
        P.Put({TItemKind::Feed, P.FTop, c.N, Describe(c), TFeedMark{0}});
        P.FTop += c.N;
    }
    void operator()(const Cmd::Init&) const { P.Init(); }
    void operator()(const Cmd::Cut& c) const {
        P.Cut(c.Partial, c.Feed ? std::optional<int>(*c.Feed) : std::nullopt, Describe(c));
    }
    void operator()(const Cmd::CutN& c) const { P.Cut(false, std::nullopt, Describe(c)); }

    // Characters.
    void operator()(const Cmd::CharSpacing& c) const { Set(c, P.FStyle.RightSpacing, c.N); }
    void operator()(const Cmd::Font& c) const { Set(c, P.FStyle.Font, FontOf(c.Index() == 1)); }
    void operator()(const Cmd::PrintMode& c) const {
        TTextStyle& s = P.FStyle;
        s.Font = FontOf(c.N & 0x01);
        s.Emphasis = c.N & 0x08;
        s.Height = (c.N & 0x10) ? 2 : 1;
        s.Width = (c.N & 0x20) ? 2 : 1;
        s.Underline = (c.N & 0x80) ? 1 : 0;
        P.NoteOf(c);
    }
    void operator()(const Cmd::Underline& c) const {
        Set(c, P.FStyle.Underline, c.Dots() == 2 ? 2 : c.Dots() & 1);
    }
    void operator()(const Cmd::Emphasis& c) const { Set(c, P.FStyle.Emphasis, c.On()); }
    void operator()(const Cmd::DoubleStrike& c) const { Set(c, P.FStyle.DoubleStrike, c.On()); }
    void operator()(const Cmd::Reverse& c) const { Set(c, P.FStyle.Reverse, c.On()); }
    void operator()(const Cmd::Italic& c) const { Set(c, P.FStyle.Italic, c.On()); }
    void operator()(const Cmd::Rotate& c) const { Set(c, P.FStyle.Rotated, c.On()); }
    void operator()(const Cmd::CharSize& c) const {
        TTextStyle& s = P.FStyle;
        s.Width = s.KanjiWidth = static_cast<std::uint8_t>(std::min(c.Width(), 8));
        s.Height = s.KanjiHeight = static_cast<std::uint8_t>(c.Height());
        P.NoteOf(c);
    }
    void operator()(const Cmd::KanjiMode& c) const {
        TTextStyle& s = P.FStyle;
        s.KanjiWidth = (c.N & 0x04) ? 2 : 1;
        s.KanjiHeight = (c.N & 0x08) ? 2 : 1;
        s.KanjiUnderline = (c.N & 0x80) ? 1 : 0;
        P.NoteOf(c);
    }
    void operator()(const Cmd::KanjiUnderline& c) const {
        Set(c, P.FStyle.KanjiUnderline, c.Dots() == 2 ? 2 : c.Dots() & 1);
    }
    void operator()(const Cmd::KanjiSpacing& c) const {
        P.FStyle.KanjiLeft = c.Left;
        Set(c, P.FStyle.KanjiRight, c.Right);
    }
    void operator()(const Cmd::KanjiQuadruple& c) const {
        P.FStyle.KanjiWidth = c.On() ? 2 : 1;
        Set(c, P.FStyle.KanjiHeight, c.On() ? 2 : 1);
    }
    void operator()(const Cmd::CodeTable& c) const {
        P.FCodeTable = c.N;
        const auto page = CodeTablePage(c.N);
        P.SetTable(page);
        P.NoteOf(c, page ? "" : ", no code page: only ASCII prints");
    }
    void operator()(const Cmd::StarCodePage& c) const {
        const auto page = StarCodeTablePage(c.N);
        P.SetTable(page);
        // A code table chosen by number prints one character a byte.
        P.FChinese = false;
        P.NoteOf(c, page ? "" : ", no code page: only ASCII prints");
    }
    void operator()(const Cmd::ChineseMode& c) const { Set(c, P.FChinese, c.On); }
    void operator()(const Cmd::International& c) const { Set(c, P.FInternational, c.N); }

    // The line.
    void operator()(const Cmd::Align& c) const { Set(c, P.FAlign, c.Where); }
    void operator()(const Cmd::LineSpacing& c) const {
        Set(c, P.FLineSpacing, c.Dots ? int{*c.Dots} : TPaper::DefaultLineSpacing);
    }
    void operator()(const Cmd::LeftMargin& c) const { Set(c, P.FLeftMargin, c.N); }
    void operator()(const Cmd::PrintWidth& c) const { Set(c, P.FPrintWidth, c.N); }
    void operator()(const Cmd::UpsideDown& c) const { Set(c, P.FUpsideDown, c.On()); }
    void operator()(const Cmd::Tab&) const { P.Tab(); }
    void operator()(const Cmd::TabStops& c) const {
        P.SetTabStops(c.Columns);
        P.NoteOf(c);
    }
    void operator()(const Cmd::AbsolutePosition& c) const { Move(c, c.N); }
    void operator()(const Cmd::RelativePosition& c) const {
        Move(c, (P.FLine.Started() ? P.FLine.X() : 0) + c.N);
    }

    // Images and symbols.
    void operator()(const Cmd::RasterImage& c) const {
        TImageData image{c.WidthBytes * 8,     c.Height, c.Data, (c.Mode & 1) ? 2 : 1,
                         (c.Mode & 2) ? 2 : 1, 0};
        P.PrintImage(std::move(image), Describe(c));
    }
    void operator()(const Cmd::BitImage& c) const {
        TImageData image = BitImageData(c);
        if (!P.FLine.Started())
            P.StartLine();
        if (!P.FLine.Fits(image.Width * image.ScaleX)) {
            P.PrintLine();
            P.StartLine();
        }
        const int room = std::max(1, (P.FLine.AreaWidth() - P.FLine.X()) / image.ScaleX);
        if (image.Width > room) {
            TImageData cut =
                BitImageData(Cmd::BitImage{c.Mode, c.Data.substr(0, static_cast<std::size_t>(room) *
                                                                        (c.RowsPerColumn() / 8))});
            image = std::move(cut);
        }
        P.FLine.PutImage(std::move(image));
        P.NoteOf(c);
    }
    void operator()(const Cmd::Graphics& c) const {
        const int fn = c.Body.size() > 1 ? static_cast<unsigned char>(c.Body[1]) : -1;
        if (c.Body.empty() || c.Body[0] != '0') {
            P.NoteOf(c);
        } else if (fn == 112 || fn == 113) {
            std::string why;
            P.FGraphics = StoredGraphics(c.Body, why);
            P.NoteOf(c, (P.FGraphics ? std::string() : ": " + why).c_str());
        } else if ((fn == 50 || fn == 2) && P.FGraphics) {
            TImageData image = std::move(*P.FGraphics);
            P.FGraphics.reset();
            P.PrintImage(std::move(image), Describe(c));
        } else {
            P.NoteOf(c, fn == 50 || fn == 2 ? ": nothing stored" : "");
        }
    }
    void operator()(const Cmd::BarcodeHeight& c) const {
        Set(c, P.FBarcode.Height, c.N ? c.N : P.FBarcode.Height);
    }
    void operator()(const Cmd::BarcodeWidth& c) const {
        Set(c, P.FBarcode.ModuleWidth, c.N >= 1 && c.N <= 6 ? c.N : P.FBarcode.ModuleWidth);
    }
    void operator()(const Cmd::BarcodeText& c) const {
        Set(c, P.FBarcode.TextPosition, c.Position());
    }
    void operator()(const Cmd::BarcodeFont& c) const {
        Set(c, P.FBarcode.TextFont, FontOf(c.Index() == 1));
    }
    void operator()(const Cmd::Barcode& c) const { P.PrintBarcode(c.Kind, c.Data, Describe(c)); }
    void operator()(const Cmd::StarBarcode& c) const;
    void operator()(const Cmd::QrModel& c) const { Set(c, P.FQr.Model, c.N); }
    void operator()(const Cmd::QrModuleSize& c) const {
        Set(c, P.FQr.ModuleSize, c.N >= 1 && c.N <= 16 ? c.N : P.FQr.ModuleSize);
    }
    void operator()(const Cmd::QrErrorLevel& c) const {
        Set(c, P.FQr.ErrorLevel, c.N >= 48 && c.N <= 51 ? c.N : P.FQr.ErrorLevel);
    }
    void operator()(const Cmd::QrStore& c) const { Set(c, P.FQr.Data, c.Data); }
    void operator()(const Cmd::QrPrint& c) const { P.PrintQr(Describe(c)); }

    // The printer itself.
    void operator()(const Cmd::Peripheral& c) const { Set(c, P.FDisabled, !(c.N & 1)); }
    void operator()(const Cmd::Cancel& c) const {
        P.FLine.Clear();
        P.NoteOf(c);
    }
    void operator()(const Cmd::RealTimeRequest& c) const {
        if (c.Fn == 8)
            P.FLine.Clear();
        P.NoteOf(c);
    }

    // Everything else shows as its marker.
    template <class T> void operator()(const T& c) const { P.NoteOf(c); }

    template <class T, class Field, class Value>
    void Set(const T& command, Field& field, const Value& value) const {
        field = static_cast<Field>(value);
        P.NoteOf(command);
    }
    template <class T> void Move(const T& command, int x) const {
        if (!P.FLine.Started())
            P.StartLine();
        P.FLine.MoveTo(x);
        P.NoteOf(command);
    }
};

// The line-mode barcode carries its own settings; those of GS h, GS w and GS H stay.
void TPaperApply::operator()(const Cmd::StarBarcode& c) const {
    const std::optional<TSymbology> kind = StarSymbology(c.Kind);
    if (!kind) {
        P.NoteOf(c, ": not printed, no such barcode kind");
        return;
    }
    const TBarcodeData saved = P.FBarcode;
    const int mode = Digit(c.Mode) >= 1 && Digit(c.Mode) <= 9 ? Digit(c.Mode) : 2;
    const int text = Digit(c.Text);
    P.FBarcode.ModuleWidth = 2 + (mode - 1) % 3;
    P.FBarcode.Height = c.Height ? c.Height : saved.Height;
    P.FBarcode.TextPosition = text == 2 || text == 4 ? 2 : 0;
    P.FBarcode.TextFont = pfA;
    P.PrintBarcode(*kind, c.Data, Describe(c));
    P.FBarcode = saved;
    if (text == 1 || text == 2)
        P.Feed(1, FeedText(1));
}

void TPaper::Apply(const TCommand& command) {
    const bool always = std::holds_alternative<Cmd::Peripheral>(command) ||
                        std::holds_alternative<Cmd::RealTimeStatus>(command) ||
                        std::holds_alternative<Cmd::RealTimeRequest>(command);
    if (FDisabled && !always) {
        Note("ignored while disabled: " + Describe(command));
        return;
    }
    std::visit(TPaperApply{*this}, command);
}
