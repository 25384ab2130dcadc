#include "EditToInt.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace lumvale {

int32_t EditToInt(const QString& text) {
  return EditToInt(text, QLocale::system());
}

int32_t EditToInt(const QString& text, const QLocale& userLocale) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return 0;
  for (const QLocale& locale : {userLocale, QLocale::c()}) {
    bool ok = false;
    const qlonglong whole = locale.toLongLong(trimmed, &ok);
    if (ok) {
      return whole < std::numeric_limits<int32_t>::min() ||
                     whole > std::numeric_limits<int32_t>::max()
                 ? 0
                 : int32_t(whole);
    }
    const double real = locale.toDouble(trimmed, &ok);
    if (ok && std::isfinite(real)) {
      const double rounded = std::nearbyint(real);
      return rounded < std::numeric_limits<int32_t>::min() ||
                     rounded > std::numeric_limits<int32_t>::max()
                 ? 0
                 : int32_t(rounded);
    }
  }
  return 0;
}

}  // namespace lumvale
