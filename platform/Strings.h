#pragma once

// Small QObject types that stand for the toolkit's string lists and collections, so that the
// window translation can walk them: a TStrings holds lines with an object attached to each, a
// TCollection holds items.

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace lumvale {

class TStrings : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  int Count() const { return int(lines_.size()); }
  QString Line(int i) const { return lines_[size_t(i)].text; }
  QObject* Object(int i) const { return lines_[size_t(i)].object; }
  void Add(const QString& line, QObject* object = nullptr);
  void Clear();
  // All lines joined by CR LF (no line break after the last one).
  QString Text() const;
  // Splits at CR LF, CR or LF; attached objects are dropped.
  void SetText(const QString& text);
  // Copies lines and attached objects.
  void Assign(const TStrings& other);

  // Bulk changes between these notify once, at the end.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

 signals:
  void Changed();

 private:
  void Notify();

  struct Entry {
    QString text;
    QObject* object;
  };
  std::vector<Entry> lines_;
  int updating_ = 0;
  bool pending_ = false;
};

// A collection: an ordered list of items, each a QObject owned by the collection.
class TCollection : public QObject {
  Q_OBJECT
  // The name of the property under which the collection is published.
  Q_PROPERTY(QString PropName READ PropName WRITE SetPropName)

 public:
  using QObject::QObject;
  QString PropName() const { return propName_; }
  void SetPropName(const QString& name) { propName_ = name; }
  QObject* Add(QObject* item);
  const std::vector<QObject*>& Items() const { return items_; }

 private:
  QString propName_;
  std::vector<QObject*> items_;
};

}  // namespace lumvale
