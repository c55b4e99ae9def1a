#pragma once
// One-line edit with an optional link button inside its right edge (three dots or a down
// arrow), typed and pasted characters filtered by a text type, a repair of number texts when
// the focus leaves, Enter acting as Tab, and, without a button, self-drawn aligned text.
#include "EditCore/CustomEdit.h"
#include "Forms/ControlTypes.h"
#include "LinkEdit/LinkEditModel.h"

#include <cstdint>
#include <functional>

class QMenu;

namespace LinkStyles {
Q_NAMESPACE
enum TLinkStyle : std::uint8_t { lsNone, lsEllipsis, lsDropDown };
Q_ENUM_NS(TLinkStyle)
} // namespace LinkStyles

#ifndef Q_MOC_RUN
using LinkStyles::TLinkStyle;
using enum LinkStyles::TLinkStyle;
#endif

class TLinkEdit : public TCustomEdit {
    Q_OBJECT
    // Enumerations by their names, so a form description can set them as "LinkStyles::lsNone".
    Q_PROPERTY(LinkStyles::TLinkStyle LinkStyle READ LinkStyle WRITE SetLinkStyle)
    Q_PROPERTY(int ButtonCursor READ ButtonCursor WRITE SetButtonCursorId)
    Q_PROPERTY(LinkFilter::TTextType TextType READ TextType WRITE SetTextType)
    Q_PROPERTY(bool AcceptNegative READ AcceptNegative WRITE SetAcceptNegative)
    Q_PROPERTY(QString AcceptCharList READ AcceptCharList WRITE SetAcceptCharList)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)

  public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TLinkEdit(QWidget* parent = nullptr);
    ~TLinkEdit() override;

    const TNotifyEvent& OnButtonClick() const { return FOnButtonClick; }
    void SetOnButtonClick(TNotifyEvent handler) { FOnButtonClick = std::move(handler); }

    TLinkStyle LinkStyle() const { return FLinkStyle; }
    void SetLinkStyle(TLinkStyle value);
    TCursor ButtonCursor() const { return FButtonCursor; }
    void SetButtonCursor(TCursor value);
    TTextType TextType() const { return FModel.TextType; }
    void SetTextType(TTextType value) {
        if (IsEnumValue<TTextType>(value))
            FModel.TextType = value;
    }
    bool AcceptNegative() const { return FModel.AcceptNegative; }
    void SetAcceptNegative(bool value) { FModel.AcceptNegative = value; }
    const QString& AcceptCharList() const { return FModel.AcceptCharList; }
    void SetAcceptCharList(const QString& value) { FModel.AcceptCharList = value; }
    // The edit state the key rules work on.
    const TLinkEditModel& Model() const { return FModel; }

    // An inherited edit property the control's painting depends on.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);

    // Inherited events, at their usual places in the input handling. A key-down handler may
    // set the key to 0 to keep the edit from acting on it; a key-press handler may change or
    // clear the character.
    using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
    using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
    void SetOnEnter(TNotifyEvent handler) { FOnEnter = std::move(handler); }
    void SetOnExit(TNotifyEvent handler) { FOnExit = std::move(handler); }
    void SetOnKeyDown(TKeyEvent handler) { FOnKeyDown = std::move(handler); }
    void SetOnKeyPress(TKeyPressEvent handler) { FOnKeyPress = std::move(handler); }

    // Button width: the platform's width of a vertical scroll bar (at least 16 pixels),
    // read at construction.
    int ButtonWidth() const { return FButtonWidth; }
    // The drawing area inside the frame, in widget coordinates (the "client rectangle").
    QRect ClientRect() const;
    // The button in widget coordinates; empty while LinkStyle is lsNone.
    QRect ButtonRect() const;
    bool ButtonDown() const { return FButtonDown; }
    bool ButtonTracking() const { return FButtonTracking; }

    // Pastes the clipboard text through the text type's filter; the filtered text stays on
    // the clipboard. Nothing happens while the clipboard holds no text.
    void Paste();
    // The standard context menu, with its paste entry going through the filter.
    QMenu* CreateContextMenu();

  protected:
    void Entering() override;
    void DoEnter(Qt::FocusReason reason) override;
    void DoExit() override;
    void AlignmentChanged() override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void SetButtonCursorId(int value) { SetButtonCursor(static_cast<TCursor>(value)); }

    bool HasButton() const { return FLinkStyle != lsNone; }
    void NarrowTextArea();
    void ApplyEditAlignment();
    void FireButtonClick();
    void TrackButtonPress(const QPoint& pos);
    void EndButtonPress();
    void UpdateCursor(const QPoint& pos);
    // The key-press steps for one character: Enter, the passing control characters, the
    // type filter and OnKeyPress. Returns the character left, 0 when nothing is to be typed.
    char16_t KeyPress(char16_t key, bool* enterHandled);
    void PaintButton(QPainter& painter);
    void PaintText(QPainter& painter);
    QPoint TextMargins() const;

    TNotifyEvent FOnButtonClick;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyPressEvent FOnKeyPress;
    TLinkEditModel FModel;
    TLinkStyle FLinkStyle = lsNone;
    TCursor FButtonCursor = crDefault;
    bool FCtl3D = true;
    int FButtonWidth = 0;
    bool FButtonDown = false;
    bool FButtonTracking = false;
};
