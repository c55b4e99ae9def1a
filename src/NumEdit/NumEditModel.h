#pragma once
// The numeric edit's key rules on its edit state, so that every rule can be exercised key by
// key without a widget.
#include "EditCore/EditState.h"
#include "NumEdit/NumberText.h"

#include <QObject>
#include <QString>
#include <cstdint>

// Key codes of the key-down and key-up rules (the characters of key presses are characters).
constexpr int VK_BACK = 8;
constexpr int VK_RETURN = 13;
constexpr int VK_SPACE = 32;
constexpr int VK_DELETE = 46;

namespace EditCase {
Q_NAMESPACE
enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };
Q_ENUM_NS(TEditCharCase)
} // namespace EditCase

#ifndef Q_MOC_RUN
using EditCase::TEditCharCase;
using enum EditCase::TEditCharCase;
#endif

struct TNumEditModel : TEditState {
    int Decimals = -1;
    TNumberFormat NumberFormat = Standard;
    TEditCharCase CharCase = ecNormal;
    TSeparators Seps;

    TNumEditModel() { Text = QStringLiteral("0"); }

    QString FormatValue(long double x) const;
    long double Value() const; // throws EConvertError
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
};
