#pragma once
// Building a page: text in the printer's code page, the commands between, and the page's end.
#include "Commands/Command.h"

#include <QString>
#include <vector>

class TPageWriter {
  public:
    explicit TPageWriter(int widthDots) : FWidth(widthDots) {}

    int WidthDots() const { return FWidth; }
    // Characters of font A (12 dots) or font B (9 dots) across the paper.
    int Columns(bool fontB = false) const { return FWidth / (fontB ? 9 : 12); }

    TPageWriter& Add(TCommand command);
    // Text in the printer's code page, without a line end; nothing for no text.
    TPageWriter& Text(const QString& text);
    // Code-page bytes as they are (no control bytes among them).
    TPageWriter& Bytes(std::string bytes);
    // Text, then a line feed.
    TPageWriter& Line(const QString& text = {});
    // A centred line in double size and bold: the page's name.
    TPageWriter& Heading(const QString& text);
    // Feeds the page past the cutter and cuts: how every page but the self-test ends.
    void End();

    std::vector<TCommand> Take() { return std::move(FCommands); }

  private:
    int FWidth;
    std::vector<TCommand> FCommands;
};

// Cells a text takes on the printer's line: a wide (Chinese) character takes two.
int TextColumns(const QString& text);
// left, then right against the right edge of columns (one space at least between).
QString Spread(const QString& left, const QString& right, int columns);
