#include "Receipt/PaperRoll.h"

void TPaperRoll::Printed(const TPaperItem& item) {
    FItems.push_back(item);
    if (FItems.size() > MaxItems) {
        FItems.pop_front();
        FDropped = true;
    }
}
