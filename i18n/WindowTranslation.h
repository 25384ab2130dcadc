#pragma once

// Translation of whole windows through Qt's meta-object system: a window is walked breadth-first
// through its children (owned components), the QObject properties that refer to other objects,
// collections and string lists, and every non-empty writable QString (wide) or QByteArray
// (narrow) property is replaced by its translation. Every text looked up is remembered, so that
// the window can later be translated into another language from its English texts.

#include "GnuGettextErrors.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace lumvale {

class TGnuGettextInstance;
class TStrings;

// A programming error in the use of the window translation.
class EGGProgrammingError : public EGnuGettext {
 public:
  using EGnuGettext::EGnuGettext;
};

// A property that could not be read or written while translating.
class EGGComponentError : public EGnuGettext {
 public:
  using EGnuGettext::EGnuGettext;
};

class TExecutable {
 public:
  virtual ~TExecutable() = default;
  virtual void Replay() = 0;
};

// The record of one window's translation: every text looked up, with its object and property.
class TTP_Retranslator final : public TExecutable {
 public:
  explicit TTP_Retranslator(TGnuGettextInstance& engine) : engine_(engine) {}
  void Remember(QObject* object, const QByteArray& propertyName, const QString& untranslated);
  void Replay() override;

  QString textDomain;
  struct Item {
    QPointer<QObject> object;  // objects destroyed before their window are skipped
    QByteArray propertyName;
    QString untranslatedText;
  };
  const std::vector<Item>& Items() const { return items_; }

 private:
  TGnuGettextInstance& engine_;
  std::vector<Item> items_;
};

// Added to a window after its first translation; holds the record and the language.
class TGnuGettextComponentMarker final : public QObject {
  Q_OBJECT

 public:
  TGnuGettextComponentMarker();
  QString lastLanguage;
  std::unique_ptr<TTP_Retranslator> retranslator;
};

// A window translation rule: properties (upper-case names) that objects of targetClass and its
// descendants keep untranslated.
struct TClassMode {
  const QMetaObject* targetClass;
  QSet<QString> ignoredProperties;
};

// The marker a window owns, or nullptr.
TGnuGettextComponentMarker* FindMarker(const QObject* window);

// Translates a freshly created window once (domain empty: the current text domain). A window
// already translated into another language is left alone, with an "Error" message box.
void TranslateComponent(QObject* window, const QString& domain = {});
// Brings a translated window into the current language; EGGProgrammingError for a window never
// translated.
void RetranslateComponent(QObject* window);

// The steps of the walk, on the given engine.
void TranslateObjectTree(TGnuGettextInstance& engine, QObject* root, const QString& domain);
void TranslateStringList(TGnuGettextInstance& engine, TStrings& list, const QString& domain);
void TP_GlobalIgnoreClassProperty(TGnuGettextInstance& engine, const QMetaObject* targetClass,
                                  const QString& propertyName);

}  // namespace lumvale
