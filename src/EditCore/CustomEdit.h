#pragma once
// TCustomEdit: the base of the edit controls. A line edit that shows an edit state owned by
// the control (the key rules change the state, ShowState puts it on the screen, and what the
// line edit changes itself, by mouse, caret keys or the program, is reported back into it),
// with what both controls do alike: Enter acting as Tab, AutoSelect when entered, the text
// alignment, and enter and exit handling that ignores window switches and popup menus.
#include "EditCore/EditKeys.h"
#include "EditCore/EditState.h"
#include "Forms/ControlTypes.h"

#include <QLineEdit>

class TCustomEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool EnterAsTab READ EnterAsTab WRITE SetEnterAsTab)
    Q_PROPERTY(Controls::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)

  public:
    bool EnterAsTab() const { return FEnterAsTab; }
    void SetEnterAsTab(bool on) { FEnterAsTab = on; }
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);

  protected:
    // STATE is the control's own (it must outlive this base); it is read only after
    // construction.
    TCustomEdit(TEditState& state, QWidget* parent);

    // Puts the edit state on the screen; nothing happens when the screen already shows it,
    // so an untouched selection keeps its direction.
    void ShowState();
    // The line edit's length limit as the edit state counts it (0: none).
    int LengthLimit() const;
    // Enter acting as Tab: a carriage return moves the focus to the next control (when there
    // is a parent to find it in) and becomes 0. False when KEY is left alone.
    bool EnterAsTabKey(QChar& key);
    // The horizontal alignment flag of an alignment.
    static Qt::Alignment HorizontalAlignment(TAlignment a);

    // The control is being entered, before the line edit's own focus handling.
    virtual void Entering() {}
    // Entered (OnEnter and the like); AutoSelect follows. Runs guarded: what it throws is
    // reported and abandons the rest of entering.
    virtual void DoEnter(Qt::FocusReason reason) = 0;
    // Exited; runs guarded.
    virtual void DoExit() = 0;
    // Alignment changed: applies it to the line edit (centred vertically by default).
    virtual void AlignmentChanged();

    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    // Takes what the line edit shows into the edit state.
    void TakeState();

    TEditState& FState;
    TEditFocus FFocus;
    TAlignment FAlignment = taLeftJustify;
    bool FEnterAsTab = false;
    bool FAutoSelect = true;
    bool FShowing = false;
};
