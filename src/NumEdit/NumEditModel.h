#pragma once
// The numeric edit's key rules on a plain edit state (text, caret, selection), so that every
// rule can be exercised key by key without a widget. The widget copies its state in, runs a
// rule and copies the result back.
#include "NumEdit/NumberText.h"

#include <QString>
#include <cstdint>

// Key codes of the key-down and key-up rules (the characters of key presses are characters).
constexpr int VK_BACK = 8;
constexpr int VK_RETURN = 13;
constexpr int VK_SPACE = 32;
constexpr int VK_DELETE = 46;

enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };

struct TNumEditModel {
    QString Text = QStringLiteral("0");
    int SelStart = 0;  // the caret: characters before it, and the selection's start
    int SelLength = 0; // selected characters
    int Decimals = -1;
    TNumberFormat NumberFormat = Standard;
    TEditCharCase CharCase = ecNormal;
    int MaxLength = 0; // 0: no limit
    TSeparators Seps;

    QString FormatValue(long double x) const;
    long double Value() const; // throws EConvertError
    QString SelectedText() const;
    // What copying puts on the clipboard: the selection without its grouping.
    QString CopyText() const;

    // Backspace and Delete: false when the key is neither (the edit control gets it).
    bool KeyDown(int key);
    // The case rule of a typed character.
    QChar ApplyCharCase(QChar key) const;
    // Filters and places an accepted character: moves the caret, toggles signs and selects
    // what a digit types over. Returns the character for the edit control to insert at the
    // caret in place of the selection, or a null character when the key is used up.
    QChar FilterKey(QChar key);
    // The edit control's insertion (refused at MaxLength).
    void InsertKey(QChar key);
    // A character typed as the edit control sees it: case, filter, insertion.
    void Type(QChar key);
    // Regroups a Thousands text after a key; a text that does not read is left alone.
    void KeyUp(int key);
    void DeleteChar(int key);
    void DeleteSelection();
    // Paste without events: the selection goes, then every character is typed.
    void Paste(const QString& clip);
    void Cut(QString& clip);

  private:
    int Pos(QChar c) const { return Text.indexOf(c) + 1; } // 1-based, 0 if absent
    QChar At(int pos) const;                               // 1-based, null outside the text
    void ClampSelection();
};
