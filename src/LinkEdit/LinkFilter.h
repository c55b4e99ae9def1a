#pragma once
// Character rules of the link edit, kept apart from the widget so they can be used and
// checked without events: which characters a text type takes, pasted-text filtering, the
// repair of number texts when the focus leaves, and the standard integer and decimal text
// conversions.
#include <QChar>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace LinkFilter {
Q_NAMESPACE
enum TTextType : std::uint8_t { NormalText, IntegerText, FloatText, IdentText };
Q_ENUM_NS(TTextType)
} // namespace LinkFilter

#ifndef Q_MOC_RUN
using LinkFilter::TTextType;
using enum LinkFilter::TTextType;
#endif

// A digit 0-9; other scripts' digits do not count.
bool IsAsciiDigit(QChar ch);

// A letter A-Z or a-z or the underscore; after the first position a digit 0-9 as well.
// Only these ASCII characters count.
bool IsIdentifierChar(QChar ch, bool first);

// Control characters that every filter lets through: Ctrl+A, Ctrl+C, Backspace, Ctrl+V,
// Ctrl+X and Ctrl+Z.
bool IsPassingControlChar(char16_t ch);

// The clipboard text with every character removed that the text type does not allow.
// The sign, single-point and character-list rules do not apply to pasted text.
QString FilterPastedText(const QString& text, TTextType textType);

// Standard integer conversion: optional leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after "$", "x" or "0x" (either letter case). Values outside
// the 32-bit signed range are rejected.
std::optional<std::int32_t> TextToInteger(const QString& text);

// Standard decimal conversion: optional leading blanks, an optional sign, digits with an
// optional "." and fraction, and an optional exponent (E or e, optional sign, digits).
std::optional<double> TextToDecimal(const QString& text);

// The text as it stands after the focus left an edit of the given type.
QString RepairText(const QString& text, TTextType textType);
