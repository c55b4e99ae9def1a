#pragma once
// The numeric edit's number text: formatting a value under a number format and a number of
// decimals, stripping the grouping, and the strict reading back. Pure functions; the separators
// are passed in, so they can be exercised without a widget or the regional settings.
#include "Rtl/Locale.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace NumberText {
Q_NAMESPACE
enum TNumberFormat : std::uint8_t { Standard, Thousands, Scientific, Engineering };
Q_ENUM_NS(TNumberFormat)
} // namespace NumberText

#ifndef Q_MOC_RUN
using NumberText::TNumberFormat;
using enum NumberText::TNumberFormat;
#endif

// Renders X by a short pattern: "0" or ",0" for the integer part (the comma groups it), then
// optionally "." with "0" (fixed) and "#" (optional) decimal places, then optionally "E-" for
// scientific notation. The value is first rounded to 18 significant digits; the last
// placeholder then rounds halves away from zero. Non-finite values give "INF", "-INF", "NAN".
QString FormatFloat(const QString& pattern, long double x, const TSeparators& seps);

// The text a box shows for X under a number format and a number of decimals (-1 free).
QString FormatValue(long double x, TNumberFormat format, int decimals, const TSeparators& seps);

// S without thousands separators; nothing left gives "0", a lone "-" gives "-0".
QString StripThousands(const QString& s, QChar thousand);

// Reads a whole text as a decimal literal (blanks, sign, digits with at most one decimal
// separator and at least one digit or separator, an optional "E" part whose digits may be
// missing, blanks). Nothing if the text is not such a literal or its value is beyond the
// range of the number type.
std::optional<long double> TextToFloat(const QString& s, QChar decimal);

// The number a box's text denotes (StripThousands, then TextToFloat); otherwise EConvertError
// "'%s' is not a valid floating point value" with the stripped text.
long double ReadNumber(const QString& text, const TSeparators& seps);

// X truncated toward zero to 64 bits, of which the low 32 are returned. A value beyond the
// 64-bit range raises EConvertError naming the text it came from.
std::int32_t TruncToInt32(long double x, const QString& text);
