#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace lumvale {

// The integer in an edit's text, read the way the locale writes numbers: blanks around an
// optionally signed number, the locale's digit grouping, and a fraction taken to the nearest
// integer (halves to even); what the locale does not read is tried as the C locale writes
// numbers. Anything else, and numbers outside 32 bits, give 0. Never fails.
int32_t EditToInt(const QString& text, const QLocale& locale);

// The same in the user's locale (QLocale::system()), as the program's edits read numbers.
int32_t EditToInt(const QString& text);

}  // namespace lumvale
