#include "ExecutablePath.h"

#include <QFileInfo>

namespace lumvale {

QString ExecutablePath() {
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

}  // namespace lumvale
