#pragma once

// The key=value lines of a desktop entry file, for the launcher tests.
#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>

inline QMap<QString, QString> DesktopEntryFields(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  QMap<QString, QString> fields;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const qsizetype eq = line.indexOf('=');
    if (eq > 0) fields[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
  }
  return fields;
}
