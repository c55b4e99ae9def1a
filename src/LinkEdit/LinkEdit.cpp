#include "LinkEdit/LinkEdit.h"

#include "Forms/Beep.h"
#include "Rtl/Application.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {
constexpr int kMinButtonWidth = 16;

// The character the window system's keyboard translation gives a key, 0 for none.
char16_t CharOfKey(const QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return (mods & Qt::ControlModifier) ? 10 : 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Delete:
        return 0;
    default:
        break;
    }
    const QString text = event->text();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        // Ctrl+letter is a control character whatever text the event carries (a test
        // harness sends the plain letter).
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return static_cast<char16_t>(key - Qt::Key_A + 1);
        return !text.isEmpty() && text[0].unicode() < 32 ? text[0].unicode() : 0;
    }
    if (text.isEmpty() || text[0].unicode() == 127)
        return 0;
    return text[0].unicode();
}

Qt::CursorShape CursorShape(TCursor id) {
    switch (id) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor; // crDefault, crArrow and ids the screen does not know
    }
}

// Half of n rounded to the nearest integer, a half to the even neighbour.
int HalfRoundedEven(int n) {
    int half = n / 2;
    if (n % 2 != 0 && half % 2 != 0)
        ++half;
    return half;
}

// One ring of a drawn edge: top and left in the light colour, right and bottom in the dark.
void DrawRing(QPainter& painter, const QRect& r, const QColor& light, const QColor& dark) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(r.left(), r.top(), r.width() - 1, 1, light);
    painter.fillRect(r.left(), r.top(), 1, r.height() - 1, light);
    painter.fillRect(r.right(), r.top(), 1, r.height(), dark);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, dark);
}
} // namespace

TLinkEdit::TLinkEdit(QWidget* parent) : TCustomEdit(FModel, parent) {
    // The dots (4 pixels apart) and the 7-pixel arrow need 16 pixels to clear the edges;
    // narrow scroll-bar styles would make them touch.
    FButtonWidth =
        std::max(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent), kMinButtonWidth);
    setMouseTracking(true); // the button cursor follows the pointer without a button held
    setAcceptDrops(false);  // dropped text would bypass the character filter
    ApplyEditAlignment();
}

TLinkEdit::~TLinkEdit() = default;

void TLinkEdit::SetLinkStyle(TLinkStyle value) {
    if (value == FLinkStyle || !IsEnumValue<TLinkStyle>(value))
        return;
    FLinkStyle = value;
    ApplyEditAlignment();
    if (testAttribute(Qt::WA_WState_Created))
        NarrowTextArea();
    update();
}

void TLinkEdit::SetButtonCursor(TCursor value) {
    if (value == FButtonCursor)
        return;
    FButtonCursor = value;
    UpdateCursor(mapFromGlobal(QCursor::pos()));
}

void TLinkEdit::AlignmentChanged() {
    ApplyEditAlignment();
    update();
}

void TLinkEdit::SetCtl3D(bool value) {
    FCtl3D = value;
    update();
}

QRect TLinkEdit::ClientRect() const {
    if (!hasFrame())
        return rect();
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

QRect TLinkEdit::ButtonRect() const {
    if (!HasButton())
        return {};
    const QRect client = ClientRect();
    return {client.right() + 1 - FButtonWidth, client.top(), FButtonWidth, client.height()};
}

void TLinkEdit::NarrowTextArea() {
    // The edit's own text ends before the button.
    setTextMargins(0, 0, HasButton() ? FButtonWidth : 0, 0);
    update();
}

void TLinkEdit::ApplyEditAlignment() {
    // The edit's own painting (with a button, or while editing) puts the text at the top like
    // the self-drawn text; with a button it is always left-aligned.
    const Qt::Alignment horizontal = HasButton() ? Qt::AlignLeft : HorizontalAlignment(Alignment());
    if (alignment() != (horizontal | Qt::AlignTop))
        setAlignment(horizontal | Qt::AlignTop);
}

void TLinkEdit::FireButtonClick() {
    if (FOnButtonClick)
        Guarded([this] { FOnButtonClick(this); });
}

void TLinkEdit::Entering() {
    if (HasButton())
        NarrowTextArea();
}

void TLinkEdit::DoEnter(Qt::FocusReason) {
    if (FOnEnter)
        Guarded([this] { FOnEnter(this); });
}

void TLinkEdit::DoExit() {
    if (FOnExit)
        Guarded([this] { FOnExit(this); }); // sees the text as typed
    const QString repaired = RepairText(text(), FModel.TextType);
    if (repaired != text())
        setText(repaired);
}

char16_t TLinkEdit::KeyPress(char16_t key, bool* enterHandled) {
    if (key == CarriageReturn) {
        QChar k(key);
        if (EnterAsTabKey(k)) {
            key = 0;
            *enterHandled = true;
        } else {
            Beep();
        }
    }
    if (key != 0)
        key = FModel.FilterKey(key);
    if (FOnKeyPress) {
        QChar ch(key);
        Guarded([&] { FOnKeyPress(this, ch); });
        key = ch.unicode();
    }
    return key;
}

void TLinkEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers shift =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;

    // Key down. Ctrl+Enter belongs to the button: it fires and types nothing.
    if (HasButton() && enterKey && shift == Qt::ControlModifier) {
        FireButtonClick();
        event->accept();
        return;
    }
    int downKey = key;
    if (FOnKeyDown)
        Guarded([&] { FOnKeyDown(this, downKey, shift); });

    const char16_t ch = CharOfKey(event);
    if (ch == 0) {
        // No character: what the edit does at key down is all (caret keys, Shift+Insert).
        if (downKey == 0)
            event->accept();
        else if (event->matches(QKeySequence::Paste))
            Paste();
        else
            QLineEdit::keyPressEvent(event);
        return;
    }

    const QString text = event->text();
    if (text.size() > 1 && ch == text[0].unicode()) {
        // Several characters from one key (a compose sequence): each one is a key press.
        for (const QChar c : text) {
            bool enterHandled = false;
            const char16_t kept = KeyPress(c.unicode(), &enterHandled);
            if (kept >= 32)
                insert(QString(QChar(kept)));
        }
        event->accept();
        return;
    }

    bool enterHandled = false;
    const char16_t kept = KeyPress(ch, &enterHandled);
    if (enterKey || key == Qt::Key_Escape) {
        // The edit never types these; what it does with them (default and cancel buttons of
        // a dialog) belongs to key down.
        if (enterHandled || downKey == 0)
            event->accept();
        else
            QLineEdit::keyPressEvent(event);
        return;
    }
    if (kept == 0) {
        event->accept();
        return;
    }
    if (kept == 22) { // Ctrl+V
        Paste();
        event->accept();
        return;
    }
    if (kept == ch) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // OnKeyPress replaced the character: type the replacement instead.
    QKeyEvent replaced(event->type(), Qt::Key_unknown, Qt::NoModifier, QString(QChar(kept)));
    QLineEdit::keyPressEvent(&replaced);
    event->accept();
}

void TLinkEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Composed input is typed text too and goes through the same filter.
    const QString commit = event->commitString();
    if (commit.isEmpty() || (FModel.TextType == NormalText && FModel.AcceptCharList.isEmpty())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    TLinkEditModel typed = FModel; // a trial: the line edit does the typing
    const QString kept = typed.TypeFiltered(commit);
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void TLinkEdit::Paste() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;
    clipboard->setText(FilterPastedText(clipboard->text(), FModel.TextType));
    QLineEdit::paste();
}

QMenu* TLinkEdit::CreateContextMenu() {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        // The standard entry is "&Paste" followed by a tab and the shortcut.
        if (action->text().section(u'\t', 0, 0) != QLineEdit::tr("&Paste"))
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { Guarded([this] { Paste(); }); });
    }
    return menu;
}

void TLinkEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TLinkEdit::TrackButtonPress(const QPoint& pos) {
    const bool pressed = HasButton() && ButtonRect().contains(pos);
    if (pressed == FButtonDown)
        return;
    FButtonDown = pressed;
    update(ButtonRect());
}

void TLinkEdit::EndButtonPress() {
    if (!FButtonTracking)
        return;
    TrackButtonPress({-1, -1});
    FButtonTracking = false; // the implicit mouse grab ends with the release
}

void TLinkEdit::UpdateCursor(const QPoint& pos) {
    if (HasButton() && ButtonRect().contains(pos))
        setCursor(CursorShape(FButtonCursor));
    else
        setCursor(Qt::IBeamCursor);
}

void TLinkEdit::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && HasButton() && ButtonRect().contains(pos)) {
        FButtonTracking = true;
        TrackButtonPress(pos);
    }
    QLineEdit::mousePressEvent(event);
}

void TLinkEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press on the button too.
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && HasButton() && ButtonRect().contains(pos)) {
        FButtonTracking = true;
        TrackButtonPress(pos);
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

void TLinkEdit::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (FButtonTracking)
        TrackButtonPress(pos);
    UpdateCursor(pos);
    QLineEdit::mouseMoveEvent(event);
}

void TLinkEdit::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasDown = FButtonDown;
    EndButtonPress();
    if (event->button() == Qt::LeftButton && HasButton() && wasDown)
        FireButtonClick();
    TCustomEdit::mouseReleaseEvent(event);
}

void TLinkEdit::enterEvent(QEnterEvent* event) {
    UpdateCursor(event->position().toPoint());
    QLineEdit::enterEvent(event);
}

void TLinkEdit::paintEvent(QPaintEvent* event) {
    if (HasButton()) {
        QLineEdit::paintEvent(event);
        QPainter painter(this);
        PaintButton(painter);
        return;
    }
    if (hasFocus()) {
        // While editing, the edit's own painting shows the caret and the selection; its
        // alignment follows Alignment.
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    PaintText(painter);
}

void TLinkEdit::PaintButton(QPainter& painter) {
    const QRect button = ButtonRect();
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    painter.fillRect(button, face);
    if (FButtonDown) {
        // Flat edge: one ring of the button shadow, the face inside.
        DrawRing(painter, button, pal.color(QPalette::Dark), pal.color(QPalette::Dark));
    } else {
        // Raised edge: 3D light and dark shadow outside, highlight and shadow inside.
        DrawRing(painter, button, pal.color(QPalette::Midlight), pal.color(QPalette::Shadow));
        DrawRing(painter, button.adjusted(1, 1, -1, -1), pal.color(QPalette::Light),
                 pal.color(QPalette::Dark));
    }
    const int left = button.left();
    const int top = button.top();
    if (FLinkStyle == lsEllipsis) {
        const int offset = button.width() / 2 - 1 + (FButtonDown ? 1 : 0);
        const int y = HalfRoundedEven(ClientRect().height()) + top - 1;
        for (const int dx : {0, -4, 4})
            painter.fillRect(left + offset + dx, y, 2, 2, Qt::black);
    } else if (FLinkStyle == lsDropDown) {
        for (int i = 0; i <= 3; ++i)
            painter.fillRect(left + 4 + i, top + 7 + i, 7 - 2 * i, 1, Qt::black);
    }
}

QPoint TLinkEdit::TextMargins() const {
    const int i = !hasFrame() ? 0 : (FCtl3D ? 1 : 2);
    // The edit's own left margin: its fixed two pixels plus the text margin.
    const int editLeftMargin = 2 + textMargins().left();
    return {editLeftMargin + i, i};
}

void TLinkEdit::PaintText(QPainter& painter) {
    const QPalette& pal = palette();
    if (hasFrame()) {
        // The frame around the client area, as the window system draws it.
        QStyleOptionFrame option;
        initStyleOption(&option);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    }
    const QRect client = ClientRect();
    QRect r = client;
    if (!FCtl3D && hasFrame()) {
        painter.setPen(pal.color(QPalette::WindowText)); // the window frame colour
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }

    QString s = text();
    if (echoMode() == QLineEdit::NoEcho) {
        s.clear();
    } else if (echoMode() != QLineEdit::Normal) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QChar mask(style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, this));
        s = QString(s.size(), mask);
    }

    const QFontMetrics metrics(font());
    const QPoint margins = TextMargins();
    const int width = metrics.horizontalAdvance(s);
    int x = margins.x();
    if (Alignment() == taRightJustify)
        x = client.width() - width - margins.x() - 1;
    else if (Alignment() == taCenter)
        x = (client.width() - width) / 2;

    painter.setClipRect(r);
    painter.fillRect(r, pal.color(QPalette::Base));
    painter.setFont(font());
    painter.setPen(pal.color(QPalette::Text));
    painter.drawText(client.left() + x, client.top() + margins.y() + metrics.ascent(), s);
}
