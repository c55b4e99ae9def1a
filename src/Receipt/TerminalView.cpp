#include "Receipt/TerminalView.h"

int PaperColumns(int widthDots) {
    return widthDots / FontCell(pfA).Width;
}

TTerminalView::TTerminalView(TWriter writer, int columns)
    : FWriter(std::move(writer)), FColumns(columns) {}

std::string TTerminalView::LineText(const TPrintedLine& line, int columns) {
    const int cell = FontCell(pfA).Width;
    std::string text;
    text.reserve(static_cast<std::size_t>(columns) * 2 + 2);
    text.push_back('|');
    int at = 0; // the column written up to
    for (const TTextRun& run : line.Runs) {
        // A run starts in the column its first dot is in, after what is written.
        const int column = std::max(at, run.X / cell);
        text.append(static_cast<std::size_t>(column - at), ' ');
        at = column;
        for (const TGlyph& g : run.Glyphs) {
            if (g.Valid && g.Code < 0x80)
                text.push_back(static_cast<char>(g.Code));
            else
                AppendUtf8(text, g);
            at += g.Columns;
        }
    }
    if (at < columns)
        text.append(static_cast<std::size_t>(columns - at), ' ');
    text.push_back('|');
    return text;
}

void TTerminalView::Printed(const TPaperItem& item) {
    if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
        FWriter(LineText(*line, FColumns));
    else
        FWriter("[" + item.Marker + "]");
}
