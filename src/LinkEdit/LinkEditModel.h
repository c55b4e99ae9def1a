#pragma once
// The link edit's typed-key rules on its edit state, so that each can be exercised key by key
// without a widget.
#include "EditCore/EditState.h"
#include "LinkEdit/LinkFilter.h"

struct TLinkEditModel : TEditState {
    TTextType TextType = NormalText;
    bool AcceptNegative = true;
    QString AcceptCharList;

    // The character a typed key leaves, or 0 when the key is refused. Enter is the widget's
    // business (tab or beep) and is not treated here.
    char16_t FilterKey(char16_t key) const;
    // Typed text (an input method's commit): the selection goes, then each character meets
    // the filter in the text the ones before it left and is typed at the caret; control
    // characters are not typed. Returns the characters that went in.
    QString TypeFiltered(const QString& text);
};
