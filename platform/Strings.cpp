#include "Strings.h"

#include <QRegularExpression>

namespace lumvale {

void TStrings::Add(const QString& line, QObject* object) {
  lines_.push_back({line, object});
  Notify();
}

void TStrings::Clear() {
  lines_.clear();
  Notify();
}

QString TStrings::Text() const {
  QStringList parts;
  for (const Entry& e : lines_) parts << e.text;
  return parts.join(QStringLiteral("\r\n"));
}

void TStrings::SetText(const QString& text) {
  lines_.clear();
  if (!text.isEmpty()) {
    QStringList parts = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (parts.last().isEmpty()) parts.removeLast();  // a final line break ends the last line
    for (const QString& line : parts) lines_.push_back({line, nullptr});
  }
  Notify();
}

void TStrings::Assign(const TStrings& other) {
  lines_ = other.lines_;
  Notify();
}

void TStrings::EndUpdate() {
  if (--updating_ == 0 && pending_) {
    pending_ = false;
    emit Changed();
  }
}

void TStrings::Notify() {
  if (updating_ > 0) {
    pending_ = true;
  } else {
    emit Changed();
  }
}

QObject* TCollection::Add(QObject* item) {
  item->setParent(this);
  items_.push_back(item);
  return item;
}

}  // namespace lumvale
