#pragma once

// The main window's file and folder dialogs as components: they keep their titles and filter as
// text properties, so that the window translation reaches them; showing them goes through the
// dialog service.

#include <QObject>
#include <QString>

namespace lumvale {

class TOpenDialog : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Title READ Title WRITE SetTitle)
  Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)

 public:
  using QObject::QObject;
  QString Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }
  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter) { filter_ = filter; }

 private:
  QString title_, filter_;
};

class TBrowseForFolder : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Title READ Title WRITE SetTitle)

 public:
  using QObject::QObject;
  QString Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }

 private:
  QString title_;
};

}  // namespace lumvale
