#include "Receipt/Paper.h"

#include "Commands/CodeTables.h"
#include "Print/CharacterSets.h"
#include "Receipt/Describe.h"
#include "Rtl/Strings.h"

#include <algorithm>

namespace {

// Tab stops at every eighth character of font A when none are set.
std::vector<int> DefaultTabs() {
    std::vector<int> stops;
    for (int i = 1; i <= 32; ++i)
        stops.push_back(i * 8 * FontCell(pfA).Width);
    return stops;
}

std::vector<TGlyph> AsciiGlyphs(std::string_view bytes) {
    std::vector<TGlyph> glyphs;
    glyphs.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        glyphs.push_back(TGlyph{b, 1, b < 0x7F});
    }
    return glyphs;
}

} // namespace

TPaper::TPaper(const TCodePage& codePage, int widthDots, bool chinese)
    : FCodePage(codePage), FWidth(widthDots), FChinesePowerOn(chinese), FPrintWidth(widthDots),
      FTabStops(DefaultTabs()), FChinese(chinese), FTablePage(CodeTablePage(0)) {}

TPaper::~TPaper() = default;

std::vector<TGlyph> TPaper::Glyphs(std::string_view bytes) const {
    std::vector<TGlyph> glyphs;
    if (FChinese) {
        glyphs = DecodeGlyphs(FCodePage, bytes);
    } else if (FTablePage) {
        auto& page = FTables[*FTablePage];
        if (!page) {
            try {
                page = std::make_unique<TCodePage>(*FTablePage);
            } catch (const std::exception&) {
                FTables.erase(*FTablePage);
                return AsciiGlyphs(bytes);
            }
        }
        glyphs = DecodeGlyphs(*page, bytes);
    } else {
        glyphs = AsciiGlyphs(bytes);
    }
    if (FInternational)
        for (TGlyph& g : glyphs)
            if (g.Valid && g.Code < 0x80)
                g.Code = InternationalChar(FInternational, static_cast<unsigned char>(g.Code));
    return glyphs;
}

void TPaper::StartLine() {
    FLine.Begin(AreaLeft(), AreaWidth(), FUpsideDown);
}

int TPaper::AreaLeft() const {
    return std::clamp(FLeftMargin, 0, FWidth - FontCell(pfA).Width);
}

int TPaper::AreaWidth() const {
    return std::max(1, std::min(FPrintWidth, FWidth - AreaLeft()));
}

int TPaper::AlignedX(int width) const {
    const int room = std::max(0, AreaWidth() - width);
    return AreaLeft() + (FAlign == paCenter ? room / 2 : FAlign == paRight ? room : 0);
}

void TPaper::AddText(const std::vector<TGlyph>& glyphs) {
    if (FDisabled)
        return;
    // One style for all of them: the boxes of the two kinds of character are found once.
    const TGlyphBox ank = GlyphBox(FStyle, TGlyph{'A', 1, true});
    const TGlyphBox kanji = GlyphBox(FStyle, TGlyph{0x4E00, 2, true});
    const TGlyph* next = glyphs.data();
    const TGlyph* const end = next + glyphs.size();
    while (next != end) {
        if (!FLine.Started())
            StartLine();
        next = FLine.Put(FStyle, next, end, ank, kanji);
        if (next != end) {
            PrintLine();
            StartLine();
        }
    }
}

void TPaper::Put(TPaperItem item) {
    for (TPaperObserver* observer : FObservers)
        observer->Printed(item);
}

void TPaper::Note(std::string marker) {
    Put({TItemKind::Note, FTop, 0, std::move(marker), {}});
}

void TPaper::NoteBytes(const char* what, std::string_view bytes) {
    Note(what + FormatHex(bytes));
}

void TPaper::NoteOf(const TCommand& command, const char* more) {
    // Markers are words for the observers; without any, none is made.
    if (!FObservers.empty())
        Note(Describe(command) + more);
}

// Prints the line buffer and feeds the line spacing (at least its tallest character), or the
// dots given.
void TPaper::PrintLine(std::optional<int> feed) {
    if (!FLine.Started())
        StartLine();
    TPrintedLine line = FLine.Take(FAlign);
    const int height = feed ? *feed : std::max(line.Ascent, FLineSpacing);
    Put({TItemKind::Line, FTop, height, {}, std::move(line)});
    FTop += height;
}

void TPaper::PrintPending() {
    if (!FLine.Empty())
        PrintLine();
    else
        FLine.Clear();
}

void TPaper::Feed(int lines, std::string marker) {
    PrintPending();
    const int height = lines * FLineSpacing;
    Put({TItemKind::Feed, FTop, height, std::move(marker), TFeedMark{lines}});
    FTop += height;
}

void TPaper::Cut(bool partial, std::optional<int> feedDots, std::string marker) {
    PrintPending();
    if (feedDots)
        FTop += *feedDots;
    Put({TItemKind::Cut, FTop, 0, std::move(marker), TCutMark{partial}});
}

void TPaper::Tab() {
    if (!FLine.Started())
        StartLine();
    for (const int stop : FTabStops)
        if (stop > FLine.X()) {
            // A stop past the print area leaves no room: the next character begins a line.
            FLine.MoveTo(std::min(stop, FLine.AreaWidth()));
            return;
        }
}

// ESC D: columns of the character width now (right-side spacing and double width included),
// ascending; one that is not ends the list.
void TPaper::SetTabStops(const std::string& columns) {
    const int width = (FontCell(FStyle.Font).Width + FStyle.RightSpacing) * FStyle.Width;
    FTabStops.clear();
    int last = 0;
    for (const char c : columns) {
        const int n = static_cast<unsigned char>(c);
        if (n <= last)
            break;
        FTabStops.push_back(n * width);
        last = n;
    }
}

void TPaper::SetTable(std::optional<std::string_view> page) {
    FTablePage = page ? std::optional<std::string>(std::string(*page)) : std::nullopt;
}

// ESC @: the buffer is discarded (and said so) and the settings return to their defaults.
void TPaper::Init() {
    const std::string discarded = BufferText();
    FLine.Clear();
    FStyle = {};
    FAlign = paLeft;
    FLineSpacing = DefaultLineSpacing;
    FLeftMargin = 0;
    FPrintWidth = FWidth;
    FTabStops = DefaultTabs();
    FUpsideDown = false;
    FInternational = 0;
    FBarcode = {};
    FQr = {};
    FCodeTable = 0;
    SetTable(CodeTablePage(0));
    FChinese = FChinesePowerOn;
    FGraphics.reset();
    Note(discarded.empty() ? "init" : "init, discarded \"" + discarded + "\"");
}

void TPaper::Finish() {
    if (!FLine.Empty()) {
        Note("unprinted \"" + BufferText() + "\"");
        FLine.Clear();
    }
    Note("end");
}
