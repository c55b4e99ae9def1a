#include "Rtl/Locale.h"

#include <QLocale>
#include <optional>

namespace {
std::optional<TSeparators>& Current() {
    static std::optional<TSeparators> current;
    return current;
}

TSeparators SystemSeparators() {
    const QLocale locale = QLocale::system();
    TSeparators result;
    // A locale may spell a separator with more than one character; the boxes use one.
    const QString decimal = locale.decimalPoint();
    const QString thousand = locale.groupSeparator();
    if (!decimal.isEmpty())
        result.Decimal = decimal.front();
    if (!thousand.isEmpty())
        result.Thousand = thousand.front();
    if (result.Thousand == result.Decimal)
        result.Thousand = result.Decimal == u',' ? QChar(u'.') : QChar(u',');
    return result;
}
} // namespace

TSeparators RegionalSeparators() {
    if (!Current())
        Current() = SystemSeparators();
    return *Current();
}

TSeparators SetRegionalSeparators(const TSeparators& separators) {
    const TSeparators previous = RegionalSeparators();
    Current() = separators;
    return previous;
}

void ReloadRegionalSeparators() {
    Current() = SystemSeparators();
}
