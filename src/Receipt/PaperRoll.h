#pragma once
// The paper's items kept for a picture of the roll; past the limit the oldest go first.
#include "Receipt/Paper.h"

#include <deque>

class TPaperRoll : public TPaperObserver {
  public:
    static constexpr std::size_t MaxItems = 1000;

    void Printed(const TPaperItem& item) override;
    const std::deque<TPaperItem>& Items() const { return FItems; }
    // Items were left out at the top.
    bool Dropped() const { return FDropped; }

  private:
    std::deque<TPaperItem> FItems;
    bool FDropped = false;
};
