#include "NumEdit/NumEdit.h"

#include "Forms/Beep.h"
#include "Rtl/Application.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <cmath>
#include <limits>

namespace {
// The key code the key-down and key-up rules see: the Windows codes for the keys that
// matter; punctuation gets its own codes so that "." (0x2E in Qt) is never taken for Delete.
int VirtualKey(const QKeyEvent* e) {
    const int k = e->key();
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Comma:
        return 0xBC;
    case Qt::Key_Minus:
        return 0xBD;
    case Qt::Key_Period:
        return 0xBE;
    default:
        if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z))
            return k; // the same codes as the ASCII digits and capitals
        if (k < 0x100)
            return 0x100 + k; // other characters: out of the way of the codes above
        return k;
    }
}

// Keys the edit control may handle itself: caret movement and selection only.
bool IsNavigation(const QKeyEvent* e) {
    static const QKeySequence::StandardKey keys[] = {QKeySequence::MoveToNextChar,
                                                     QKeySequence::MoveToPreviousChar,
                                                     QKeySequence::MoveToNextWord,
                                                     QKeySequence::MoveToPreviousWord,
                                                     QKeySequence::MoveToStartOfLine,
                                                     QKeySequence::MoveToEndOfLine,
                                                     QKeySequence::MoveToStartOfBlock,
                                                     QKeySequence::MoveToEndOfBlock,
                                                     QKeySequence::MoveToStartOfDocument,
                                                     QKeySequence::MoveToEndOfDocument,
                                                     QKeySequence::SelectNextChar,
                                                     QKeySequence::SelectPreviousChar,
                                                     QKeySequence::SelectNextWord,
                                                     QKeySequence::SelectPreviousWord,
                                                     QKeySequence::SelectStartOfLine,
                                                     QKeySequence::SelectEndOfLine,
                                                     QKeySequence::SelectStartOfBlock,
                                                     QKeySequence::SelectEndOfBlock,
                                                     QKeySequence::SelectStartOfDocument,
                                                     QKeySequence::SelectEndOfDocument,
                                                     QKeySequence::SelectAll};
    for (auto key : keys)
        if (e->matches(key))
            return true;
    const int k = e->key();
    return k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Home || k == Qt::Key_End;
}
} // namespace

TNumEdit::TNumEdit(QWidget* parent) : TCustomEdit(FModel, parent) {
    resize(100, height());
    SetAlignment(taRightJustify);
    SetEnterAsTab(true);
    // Text comes in only through the key rules: dropped text is typed, and nothing is dragged
    // out (a moving drag would delete here past the rules).
    setAcceptDrops(true);
    setDragEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setText(FormatValue(0));
}

QString TNumEdit::FormatValue(long double x) const {
    return ::FormatValue(x, FModel.NumberFormat, FModel.Decimals, RegionalSeparators());
}

QString TNumEdit::StripThousands(const QString& s) const {
    return ::StripThousands(s, RegionalSeparators().Thousand);
}

long double TNumEdit::Value() const {
    return ReadNumber(text(), RegionalSeparators());
}

void TNumEdit::SetValue(long double x) {
    const QString t = FormatValue(x);
    if (t != text())
        setText(t);
}

int TNumEdit::AsInteger() const {
    return TruncToInt32(Value(), StripThousands(text()));
}

double TNumEdit::ValueProperty() const {
    const auto v = TextToFloat(StripThousands(text()), RegionalSeparators().Decimal);
    return v ? static_cast<double>(*v) : std::numeric_limits<double>::quiet_NaN();
}

void TNumEdit::SetMinValue(long double x) {
    if (x != FMinValue && x <= FMaxValue)
        FMinValue = x;
}

void TNumEdit::SetMaxValue(long double x) {
    if (x != FMaxValue && x >= FMinValue)
        FMaxValue = x;
}

void TNumEdit::SetDecimals(int d) {
    if (d == FModel.Decimals)
        return;
    if (d < 0)
        d = -1;
    if (d > 14)
        d = 14;
    const int limit = LengthLimit();
    if (limit > 0 && d > limit - 2)
        d = limit - 2;
    FModel.Decimals = d;
    setText(FormatValue(Value()));
}

void TNumEdit::SetDecimalsProperty(int d) {
    Guarded([&] { SetDecimals(d); });
}

void TNumEdit::SetNumberFormat(TNumberFormat f) {
    if (!IsEnumValue<TNumberFormat>(f))
        return;
    FModel.NumberFormat = f;
    setText(FormatValue(Value()));
}

TNumEditModel& TNumEdit::Rules() {
    FModel.Seps = RegionalSeparators();
    FModel.MaxLength = LengthLimit();
    return FModel;
}

void TNumEdit::DeleteChar(int key) {
    Rules().DeleteChar(key);
    ShowState();
}

void TNumEdit::DeleteSelection() {
    Rules().DeleteSelection();
    ShowState();
}

void TNumEdit::CopyToClipboard() {
    QGuiApplication::clipboard()->setText(Rules().CopyText());
}

void TNumEdit::CutToClipboard() {
    CopyToClipboard();
    if (!isReadOnly())
        DeleteSelection();
}

void TNumEdit::PasteFromClipboard() {
    // A pasted control character must not paste again.
    if (isReadOnly() || FPasting)
        return;
    const QPointer<TNumEdit> self(this); // a key handler may delete the box
    DeleteSelection();
    if (self)
        TypeText(QGuiApplication::clipboard()->text());
}

void TNumEdit::TypeText(const QString& text) {
    if (isReadOnly() || FPasting)
        return;
    const QPointer<TNumEdit> self(this);
    FPasting = true;
    try {
        for (QChar c : text) {
            QChar key = c;
            KeyPress(key); // the same rules as typing, one character at a time
            if (!self)
                return;
            ProcessChar(key);
            if (!self)
                return;
        }
    } catch (...) {
        if (self)
            FPasting = false;
        throw;
    }
    FPasting = false;
}

QMenu* TNumEdit::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = hasSelectedText();
    const bool writable = !isReadOnly();
    const QPointer<TNumEdit> self(this);
    auto guarded = [self](void (TNumEdit::*op)()) {
        return [self, op] {
            if (self)
                Guarded([&] { (self.data()->*op)(); });
        };
    };
    menu->addAction(tr("Cu&t"), menu, guarded(&TNumEdit::CutToClipboard))
        ->setEnabled(selected && writable);
    menu->addAction(tr("&Copy"), menu, guarded(&TNumEdit::CopyToClipboard))->setEnabled(selected);
    menu->addAction(tr("&Paste"), menu, guarded(&TNumEdit::PasteFromClipboard))
        ->setEnabled(writable && !QGuiApplication::clipboard()->text().isEmpty());
    menu->addAction(tr("Delete"), menu, guarded(&TNumEdit::DeleteSelection))
        ->setEnabled(selected && writable);
    menu->addSeparator();
    menu->addAction(tr("Select All"), menu, [self] {
        if (self)
            self->selectAll();
    });
    return menu;
}

void TNumEdit::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

QVariant TNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    // No composing: the keys of an input method that is switched on (digits are syllables in
    // some) reach the box as the keys they are.
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void TNumEdit::inputMethodEvent(QInputMethodEvent* e) {
    // What an input method commits all the same is typed; its preview is not shown.
    e->accept();
    if (!e->commitString().isEmpty())
        Guarded([&] { TypeText(e->commitString()); });
}

// Text only, and copied, never moved: the source keeps its text whatever the rules leave of
// it here.
bool TNumEdit::AcceptTextDrop(QDropEvent* e) const {
    if (isReadOnly() || !e->mimeData()->hasText()) {
        e->ignore();
        return false;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    return true;
}

void TNumEdit::dragEnterEvent(QDragEnterEvent* e) {
    AcceptTextDrop(e);
}

void TNumEdit::dragMoveEvent(QDragMoveEvent* e) {
    AcceptTextDrop(e);
}

void TNumEdit::dropEvent(QDropEvent* e) {
    if (!AcceptTextDrop(e))
        return;
    const QString text = e->mimeData()->text();
    const int at = cursorPositionAt(e->position().toPoint());
    Guarded([&] {
        const QPointer<TNumEdit> self(this);
        // Entered first, so that leaving later checks what the drop typed.
        setFocus(Qt::MouseFocusReason);
        if (!self)
            return;
        setCursorPosition(at); // typed where it was dropped, replacing nothing
        TypeText(text);
    });
}

void TNumEdit::keyPressEvent(QKeyEvent* e) {
    e->accept();
    Guarded([&] { HandleKeyPress(e); });
}

void TNumEdit::HandleKeyPress(QKeyEvent* e) {
    // Key down.
    int key = VirtualKey(e);
    if (FOnKeyDown)
        FOnKeyDown(this, key, e->modifiers());
    FMouseEntry = false;
    bool used = key == 0;
    if (!isReadOnly() && (key == VK_BACK || key == VK_DELETE)) {
        Rules().KeyDown(key);
        ShowState();
        used = true;
    }
    // The character the key types, if any. Clipboard keys come first: a test harness sends
    // Ctrl+V with the text "v".
    QChar ch;
    if (e->matches(QKeySequence::Paste))
        ch = CtrlV;
    else if (e->matches(QKeySequence::Copy))
        ch = CtrlC;
    else if (e->matches(QKeySequence::Cut))
        ch = used ? QChar() : CtrlX; // Shift+Delete already deleted
    else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        ch = CarriageReturn;
    else if (!IsNavigation(e) && !e->text().isEmpty()) {
        const QChar c = e->text().front();
        if (c != QChar(0x7f) && c != QChar(27) && c != QChar(9))
            ch = c;
    }
    if (!ch.isNull()) {
        KeyPress(ch);
        ProcessChar(ch);
        return;
    }
    if (!used && IsNavigation(e))
        QLineEdit::keyPressEvent(e);
    else if (!used)
        e->ignore(); // not ours: let the window have it
}

void TNumEdit::KeyPress(QChar& key) {
    key = FModel.ApplyCharCase(key);
    EnterAsTabKey(key);
    if (!key.isNull() && FOnKeyPress)
        FOnKeyPress(this, key);
    FMouseEntry = false;
    if (key == CarriageReturn) {
        DefaultButton(key);
        return;
    }
    if (key.isNull() || isReadOnly() || IsClipboardChar(key))
        return;
    key = Rules().FilterKey(key);
    ShowState();
}

void TNumEdit::ProcessChar(QChar key) {
    if (key.isNull() || key == CarriageReturn)
        return;
    if (IsClipboardChar(key)) {
        if (FPasting)
            return;
        if (key == CtrlC)
            CopyToClipboard();
        else if (key == CtrlV)
            PasteFromClipboard();
        else
            CutToClipboard();
        return;
    }
    if (isReadOnly())
        return;
    Rules().InsertKey(key);
    ShowState();
}

void TNumEdit::DefaultButton(QChar& key) {
    const int selStart = FModel.SelStart;
    const int selLength = FModel.SelLength;
    QWidget* form = window();
    if (form == this)
        return; // no form: the key is the edit control's, which ignores it
    key = QChar();
    const QPointer<TNumEdit> self(this);
    QList<QPointer<QPushButton>> buttons;
    for (QPushButton* b : form->findChildren<QPushButton*>())
        buttons.append(b);
    bool clicked = false;
    for (const QPointer<QPushButton>& b : buttons) {
        // A hidden or disabled button cannot take the focus, so it is not pressed either.
        if (!b || !b->isDefault() || !b->isVisible() || !b->isEnabled())
            continue;
        b->setFocus(Qt::OtherFocusReason);
        if (b)
            b->click();
        clicked = true;
        if (!self)
            return;
    }
    if (!clicked) {
        Beep();
        return;
    }
    setFocus(Qt::OtherFocusReason);
    if (AutoSelect())
        FModel.SelectAll();
    else
        FModel.Select(selStart, selLength);
    ShowState();
}

void TNumEdit::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
    if (e->isAutoRepeat())
        return;
    Guarded([&] {
        int key = VirtualKey(e);
        if (FOnKeyUp)
            FOnKeyUp(this, key, e->modifiers());
        Rules().KeyUp(key);
        ShowState();
    });
}

void TNumEdit::DoEnter(Qt::FocusReason reason) {
    if (FOnEnter)
        FOnEnter(this);
    if (reason == Qt::MouseFocusReason || (QGuiApplication::mouseButtons() & Qt::LeftButton))
        FMouseEntry = true;
}

void TNumEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton) {
        e->accept(); // the release pastes nothing, so the press places no caret either
        return;
    }
    QLineEdit::mousePressEvent(e);
    if ((e->button() == Qt::LeftButton || (e->buttons() & Qt::LeftButton)) && FMouseEntry) {
        FMouseEntry = false;
        // Entered by this click: keep the whole text selected.
        if (AutoSelect())
            selectAll();
    }
}

void TNumEdit::DoExit() {
    SetValue(Value()); // the canonical text
    const long double v = Value();
    if (RangeInForce() && (v < FMinValue || v > FMaxValue)) {
        InvalidEntry();
        return;
    }
    if (FOnExit)
        FOnExit(this);
}

void TNumEdit::InvalidEntry() {
    if (FOnInvalidEntry) {
        FOnInvalidEntry(this);
        return;
    }
    const long double v = Value();
    if (v < FMinValue)
        SetValue(FMinValue);
    else if (v > FMaxValue)
        SetValue(FMaxValue);
    Beep();
    setFocus(Qt::OtherFocusReason);
}
