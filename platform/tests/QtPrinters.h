#pragma once

// Lets GoogleTest print Qt strings in failure messages.
#include <QString>
#include <QStringList>

#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
  return os << s.toStdString();
}
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
  *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}
