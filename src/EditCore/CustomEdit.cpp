#include "EditCore/CustomEdit.h"

#include "Rtl/Application.h"

#include <QFocusEvent>
#include <QMouseEvent>

TCustomEdit::TCustomEdit(TEditState& state, QWidget* parent) : QLineEdit(parent), FState(state) {
    // Every change of text, caret or selection that the line edit makes by itself.
    connect(this, &QLineEdit::textChanged, this, &TCustomEdit::TakeState);
    connect(this, &QLineEdit::cursorPositionChanged, this, &TCustomEdit::TakeState);
    connect(this, &QLineEdit::selectionChanged, this, &TCustomEdit::TakeState);
}

void TCustomEdit::TakeState() {
    if (FShowing)
        return;
    FState.Text = text();
    if (hasSelectedText())
        FState.Select(selectionStart(), selectionLength());
    else
        FState.Select(cursorPosition(), 0);
}

void TCustomEdit::ShowState() {
    const TEditState wanted = FState;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? selectionLength() : 0;
    if (wanted.Text == text() && wanted.SelStart == start && wanted.SelLength == length)
        return;
    FShowing = true;
    if (wanted.Text != text())
        setText(wanted.Text);
    if (wanted.SelLength > 0)
        setSelection(wanted.SelStart, wanted.SelLength);
    else
        setCursorPosition(wanted.SelStart);
    FShowing = false;
    TakeState(); // a handler of the change may have changed the text again
}

int TCustomEdit::LengthLimit() const {
    return maxLength() < 32767 ? maxLength() : 0; // the line edit's default means no limit
}

bool TCustomEdit::EnterAsTabKey(QChar& key) {
    if (!FEnterAsTab || key != CarriageReturn)
        return false;
    if (parentWidget())
        focusNextChild();
    key = QChar();
    return true;
}

Qt::Alignment TCustomEdit::HorizontalAlignment(TAlignment a) {
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

void TCustomEdit::SetAlignment(TAlignment a) {
    if (a == FAlignment || !IsEnumValue<TAlignment>(a))
        return;
    FAlignment = a;
    AlignmentChanged();
}

void TCustomEdit::AlignmentChanged() {
    setAlignment(HorizontalAlignment(FAlignment) | Qt::AlignVCenter);
}

void TCustomEdit::focusInEvent(QFocusEvent* e) {
    const bool enters = FFocus.In(e->reason());
    if (enters)
        Entering();
    const int selStart = FState.SelStart;
    const int selLength = FState.SelLength;
    QLineEdit::focusInEvent(e);
    // The line edit selects everything when tabbed into; that is AutoSelect's to decide.
    if (!FAutoSelect) {
        FState.Select(selStart, selLength);
        ShowState();
    }
    if (!enters)
        return;
    Guarded([&] {
        DoEnter(e->reason());
        if (FAutoSelect)
            selectAll();
    });
}

void TCustomEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (FFocus.Out(e->reason()))
        Guarded([&] { DoExit(); });
}

void TCustomEdit::mouseReleaseEvent(QMouseEvent* e) {
    // The middle button would paste the selection clipboard past the key rules and filters,
    // and the box itself fills it whenever its text is selected: a click into the box and a
    // stray middle click would turn a count of 3 into 33. Ctrl+V and the menu paste on purpose.
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}
