#include "Receipt/TerminalView.h"

int PaperColumns(int widthDots) {
    return widthDots / FontCell(pfA).Width;
}

int LeftColumns(const TPrintedLine& line, int columns) {
    const int room = columns - line.Columns;
    if (room <= 0)
        return 0;
    return line.Align == paCenter ? room / 2 : line.Align == paRight ? room : 0;
}

TTerminalView::TTerminalView(TWriter writer, int columns)
    : FWriter(std::move(writer)), FColumns(columns) {}

std::string TTerminalView::LineText(const TPrintedLine& line, int columns) {
    const int room = columns - line.Columns;
    const int left = LeftColumns(line, columns);
    std::string text(1, '|');
    text.append(static_cast<std::size_t>(left), ' ');
    for (const TTextRun& run : line.Runs)
        for (const TGlyph& g : run.Glyphs)
            AppendUtf8(text, g);
    if (room >= 0) {
        text.append(static_cast<std::size_t>(room - left), ' ');
        text.push_back('|');
        return text;
    }
    text.append("| [too wide: ").append(std::to_string(line.Columns)).append(" columns]");
    return text;
}

void TTerminalView::Printed(const TPaperItem& item) {
    if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
        FWriter(LineText(*line, FColumns));
    else
        FWriter("[" + item.Marker + "]");
}
