#include "EditCore/EditState.h"

#include <algorithm>

void TEditState::ClampSelection() {
    SelStart = std::clamp(SelStart, 0, static_cast<int>(Text.size()));
    SelLength = std::clamp(SelLength, 0, static_cast<int>(Text.size()) - SelStart);
}

void TEditState::Select(int start, int length) {
    SelStart = start;
    SelLength = length;
    ClampSelection();
}

bool TEditState::Insert(const QString& s) {
    ClampSelection();
    if (MaxLength > 0 && Text.size() - SelLength + s.size() > MaxLength)
        return false;
    Text.replace(SelStart, SelLength, s);
    SelStart += static_cast<int>(s.size());
    SelLength = 0;
    return true;
}

QChar TEditState::At(int pos) const {
    return pos >= 1 && pos <= Text.size() ? Text[pos - 1] : QChar();
}
