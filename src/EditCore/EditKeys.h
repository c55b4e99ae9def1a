#pragma once
// What the edit controls share about keys and focus: the control characters keys type, and
// when the focus arriving or going really enters or exits a control.
#include <QChar>
#include <Qt>

// Characters of control keys (Ctrl+letter types the letter's number).
inline constexpr char16_t CtrlA = 1;
inline constexpr char16_t CtrlC = 3;
inline constexpr char16_t BackspaceChar = 8;
inline constexpr char16_t CarriageReturn = 13;
inline constexpr char16_t CtrlV = 22;
inline constexpr char16_t CtrlX = 24;
inline constexpr char16_t CtrlZ = 26;

// Copy, paste and cut: Ctrl+C, Ctrl+V, Ctrl+X.
bool IsClipboardChar(QChar c);

// A control is entered when it becomes the window's focused control and exited when another
// control of the window takes over. Switching windows and opening a popup menu move the
// keyboard focus without changing the window's focused control: no enter, no exit, so a
// half-typed text is neither checked nor repaired meanwhile.
class TEditFocus {
  public:
    // The focus arrived: true when this enters the control.
    bool In(Qt::FocusReason reason);
    // The focus went: true when this exits the control.
    bool Out(Qt::FocusReason reason);
    bool Entered() const { return FEntered; }

  private:
    bool FEntered = false;
};
