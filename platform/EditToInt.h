#pragma once

#include <QString>

#include <cstdint>

namespace lumvale {

// The integer in an edit's text, read the way the user's locale writes numbers: blanks around an
// optionally signed number, the locale's digit grouping, and a fraction taken to the nearest
// integer (halves to even). Anything else, and numbers outside 32 bits, give 0. Never fails.
int32_t EditToInt(const QString& text);

}  // namespace lumvale
