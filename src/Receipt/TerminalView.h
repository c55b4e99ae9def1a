#pragma once
// The paper as lines of text on a terminal: each printed line between bars on the roll's
// columns (32 on 58 mm paper), and every other item as its marker in brackets.
#include "Receipt/Paper.h"

#include <functional>
#include <string>

class TTerminalView : public TPaperObserver {
  public:
    using TWriter = std::function<void(const std::string& line)>;
    // Columns of font A text across the paper.
    TTerminalView(TWriter writer, int columns);

    void Printed(const TPaperItem& item) override;
    // "|text      |", or "|text...| [too wide: 33 columns]" past the roll's edge.
    static std::string LineText(const TPrintedLine& line, int columns);

  private:
    TWriter FWriter;
    int FColumns;
};

// The cells of blank before an aligned line (none when it does not fit).
int LeftColumns(const TPrintedLine& line, int columns);
// Columns of font A across a paper width.
int PaperColumns(int widthDots);
