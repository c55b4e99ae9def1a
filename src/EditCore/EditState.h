#pragma once
// The state of a one-line edit (text, caret, selection, length limit) and the edit control's
// own primitives on it. The key rules of the edit controls work on this state, so that each
// rule can be exercised key by key without a widget; the widget shows it and reports into it
// what the user changes with the mouse and the caret keys.
#include <QChar>
#include <QString>

struct TEditState {
    QString Text;
    int SelStart = 0;  // the caret: characters before it, and the selection's start
    int SelLength = 0; // selected characters
    int MaxLength = 0; // 0: no limit

    QString SelectedText() const { return Text.mid(SelStart, SelLength); }
    // Keeps the caret and the selection inside the text.
    void ClampSelection();
    void Select(int start, int length);
    void SelectAll() { Select(0, static_cast<int>(Text.size())); }
    // The edit control's typing: S replaces the selection and the caret goes behind it. A
    // text that would pass MaxLength is refused whole; returns whether it went in.
    bool Insert(const QString& s);
    // Positions counted from 1; 0 when C does not occur.
    int Pos(QChar c) const { return static_cast<int>(Text.indexOf(c)) + 1; }
    // The character at a position counted from 1, a null character outside the text.
    QChar At(int pos) const;

    bool operator==(const TEditState&) const = default;
};
