#include "EditCore/EditKeys.h"

bool IsClipboardChar(QChar c) {
    return c == CtrlC || c == CtrlV || c == CtrlX;
}

bool TEditFocus::In(Qt::FocusReason reason) {
    if (FEntered || reason == Qt::PopupFocusReason)
        return false;
    FEntered = true;
    return true;
}

bool TEditFocus::Out(Qt::FocusReason reason) {
    if (!FEntered || reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    FEntered = false;
    return true;
}
