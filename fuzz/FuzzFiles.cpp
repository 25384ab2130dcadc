#include "FuzzFiles.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

QString WriteFuzzFile(const char* name, const uint8_t* data, size_t size) {
  static const QString dir =
      QDir::temp().filePath(QStringLiteral("lumvale-fuzz-%1").arg(::getpid()));
  QDir().mkpath(dir);
  const QString path = dir + u'/' + QString::fromLatin1(name);
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(reinterpret_cast<const char*>(data), qint64(size));
  return path;
}
