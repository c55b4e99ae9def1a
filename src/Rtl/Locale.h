#pragma once
// The regional decimal and thousands separators. They are read from the system's locale once,
// when first asked for, and can be replaced (tests, or a start-up that wants fixed ones).
#include <QChar>

struct TSeparators {
    QChar Decimal{u'.'};
    QChar Thousand{u','};
};

// The separators in force: the system's, unless replaced.
TSeparators RegionalSeparators();
// Replaces the separators in force (tests); returns the ones it replaces.
TSeparators SetRegionalSeparators(const TSeparators& separators);
// Reads the system's separators again and puts them in force.
void ReloadRegionalSeparators();
