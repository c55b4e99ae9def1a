#pragma once
// TNumEdit: a single-line edit box for one number. The text is the number: every key, every
// clipboard operation and every focus change keeps it in the form the number format and the
// decimals prescribe. The key rules live in its TNumEditModel; this class forwards its events.
#include "EditCore/CustomEdit.h"
#include "NumEdit/NumEditModel.h"
#include "NumEdit/NumberText.h"
#include "Rtl/Exceptions.h"

#include <functional>

class QMenu;

class TNumEdit : public TCustomEdit {
    Q_OBJECT
    // The form description sets these by name. Order matters: MaxValue before MinValue (a
    // bound is refused when it would cross the other), Value after Decimals and NumberFormat.
    Q_PROPERTY(double MinValue READ MinValueProperty WRITE SetMinValueProperty)
    Q_PROPERTY(double MaxValue READ MaxValueProperty WRITE SetMaxValueProperty)
    Q_PROPERTY(double Value READ ValueProperty WRITE SetValueProperty)
    Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimalsProperty)
    Q_PROPERTY(NumberText::TNumberFormat NumberFormat READ NumberFormat WRITE SetNumberFormat)
    Q_PROPERTY(EditCase::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)

  public:
    explicit TNumEdit(QWidget* parent = nullptr);

    // The number in the text; EConvertError when the text does not read.
    long double Value() const;
    // Rewrites the text when the formatted value differs from it (no range check).
    void SetValue(long double x);
    // The value truncated toward zero, low 32 bits of the 64-bit result; EConvertError when
    // the text does not read.
    int AsInteger() const;

    long double MinValue() const { return FMinValue; }
    void SetMinValue(long double x);
    long double MaxValue() const { return FMaxValue; }
    void SetMaxValue(long double x);
    int Decimals() const { return FModel.Decimals; }
    void SetDecimals(int d);
    TNumberFormat NumberFormat() const { return FModel.NumberFormat; }
    void SetNumberFormat(TNumberFormat f);
    TEditCharCase CharCase() const { return FModel.CharCase; }
    void SetCharCase(TEditCharCase c) {
        if (IsEnumValue<TEditCharCase>(c))
            FModel.CharCase = c;
    }
    QString Version() const { return QStringLiteral("2.40.00.00"); }
    void SetVersion(const QString&) {} // constant
    // A range is in force when either bound is not zero.
    bool RangeInForce() const { return FMinValue != 0 || FMaxValue != 0; }

    QString FormatValue(long double x) const;
    QString StripThousands(const QString& s) const;

    // The editing primitives behind Backspace, Delete, typing over a selection and cut.
    void DeleteChar(int key);
    void DeleteSelection();
    // The reaction to a value out of range: OnInvalidEntry, or clamp, beep and focus back.
    void InvalidEntry();

    // The clipboard, for the program and the context menu; the same rules as the keys.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    // Types TEXT at the caret one character at a time through the key rules, as a paste does
    // after removing the selection; clipboard characters in it do nothing.
    void TypeText(const QString& text);
    // The box's context menu (the caller owns it).
    QMenu* CreateContextMenu(QWidget* parent);

    // The edit state the key rules work on.
    const TNumEditModel& Model() const { return FModel; }

    using TNotifyEvent = std::function<void(TNumEdit* sender)>;
    using TKeyEvent = std::function<void(TNumEdit* sender, int& key, Qt::KeyboardModifiers)>;
    using TKeyPressEvent = std::function<void(TNumEdit* sender, QChar& key)>;
    void SetOnInvalidEntry(TNotifyEvent e) { FOnInvalidEntry = std::move(e); }
    void SetOnEnter(TNotifyEvent e) { FOnEnter = std::move(e); }
    void SetOnExit(TNotifyEvent e) { FOnExit = std::move(e); }
    void SetOnKeyDown(TKeyEvent e) { FOnKeyDown = std::move(e); }
    void SetOnKeyUp(TKeyEvent e) { FOnKeyUp = std::move(e); }
    void SetOnKeyPress(TKeyPressEvent e) { FOnKeyPress = std::move(e); }

    // The mouse-entry flag: the focus arrived with the left button down.
    bool MouseEntry() const { return FMouseEntry; }

  public slots:
    // The line edit's clipboard slots, taken over so that no caller bypasses the rules.
    void cut() { CutToClipboard(); }
    void copy() { CopyToClipboard(); }
    void paste() { PasteFromClipboard(); }

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void DoEnter(Qt::FocusReason reason) override;
    void DoExit() override;
    void mousePressEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    using QLineEdit::inputMethodQuery;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool AcceptTextDrop(QDropEvent* e) const;

  private:
    double MinValueProperty() const { return static_cast<double>(FMinValue); }
    void SetMinValueProperty(double x) { SetMinValue(x); }
    double MaxValueProperty() const { return static_cast<double>(FMaxValue); }
    void SetMaxValueProperty(double x) { SetMaxValue(x); }
    double ValueProperty() const; // NaN when the text does not read
    void SetValueProperty(double x) { SetValue(x); }
    void SetDecimalsProperty(int d);
    // The model with what may have changed outside it: the regional separators and the line
    // edit's length limit.
    TNumEditModel& Rules();

    void HandleKeyPress(QKeyEvent* e);
    // Key press rules up to the filter; Key is what the edit control then gets.
    void KeyPress(QChar& key);
    // The edit control's handling of the character left after KeyPress.
    void ProcessChar(QChar key);
    void DefaultButton(QChar& key);

    TNumEditModel FModel;
    long double FMinValue = 0;
    long double FMaxValue = 0;
    bool FMouseEntry = false;
    bool FPasting = false;
    TNotifyEvent FOnInvalidEntry;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyEvent FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
};
