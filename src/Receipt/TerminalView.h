#pragma once
// The paper as lines of text on a terminal: each printed line between bars on the roll's
// columns (32 on 58 mm paper), its characters where they print (a column is 12 dots), and
// every other item as its marker in brackets.
#include "Receipt/Paper.h"

#include <functional>
#include <string>

class TTerminalView : public TPaperObserver {
  public:
    using TWriter = std::function<void(const std::string& line)>;
    // Columns of font A text across the paper.
    TTerminalView(TWriter writer, int columns);

    void Printed(const TPaperItem& item) override;
    // "|text      |"; a line of narrow characters may take more columns than the roll has.
    static std::string LineText(const TPrintedLine& line, int columns);

  private:
    TWriter FWriter;
    int FColumns;
};

// Columns of font A across a paper width.
int PaperColumns(int widthDots);
