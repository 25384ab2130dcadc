#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace lumvale::test {

// The whole content of a file; empty when it cannot be read.
inline QByteArray Read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

}  // namespace lumvale::test
