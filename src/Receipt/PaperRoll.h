#pragma once
// The paper's items kept to be drawn, a sheet at a time. A sheet is at most MaxDots long: it
// ends before the first item that would take it further, and the next sheet begins there, so
// every item is drawn whole and a roll of any length keeps only one sheet. Items that put
// nothing on the paper (markers, feeds) are not kept; they only make the sheet longer.
#include "Print/PaperItems.h"

#include <functional>
#include <vector>

struct TPaperSheet {
    int Number = 1; // from 1
    int Top = 0;    // dots from the top of the roll
    int Length = 0; // dots from Top to the end of what was printed or fed
    std::vector<TPaperItem> Items;
};

class TPaperRoll : public TPaperObserver {
  public:
    static constexpr int MaxDots = 200000;
    using TSheetDone = std::function<void(const TPaperSheet& sheet)>;

    explicit TPaperRoll(int maxDots = MaxDots) : FMaxDots(maxDots) {}
    // Called with each sheet that is full, before the next begins.
    void SetOnSheet(TSheetDone done) { FOnSheet = std::move(done); }

    void Printed(const TPaperItem& item) override;
    // The sheet being filled.
    const TPaperSheet& Sheet() const { return FSheet; }

  private:
    int FMaxDots;
    TSheetDone FOnSheet;
    TPaperSheet FSheet;
};

// Every item of a stream kept on one sheet, however long (for previews of a job).
class TPaperSheetKeeper : public TPaperObserver {
  public:
    void Printed(const TPaperItem& item) override;
    const TPaperSheet& Sheet() const { return FSheet; }

  private:
    TPaperSheet FSheet;
};
