#include "WindowTranslation.h"

#include "DialogService.h"
#include "GnuGettext.h"
#include "Strings.h"

#include <QMetaProperty>
#include <QPointer>
#include <QQueue>
#include <QRegularExpression>

#include <vector>

namespace lumvale {

namespace {

const QString kMarkerName = QStringLiteral("GNUgettextMarker");

bool OwnsMarker(const QObject* object) {
  return FindMarker(object) != nullptr;
}

enum class PropertyKind { other, narrow, wide, object };

PropertyKind KindOf(const QMetaProperty& p) {
  const QMetaType type = p.metaType();
  if (type.id() == QMetaType::QString) return PropertyKind::wide;
  if (type.id() == QMetaType::QByteArray) return PropertyKind::narrow;
  if (type.flags() & QMetaType::PointerToQObject) return PropertyKind::object;
  return PropertyKind::other;
}

QString ComponentError(const QObject* object, const char* property, const QString& reason) {
  return QStringLiteral("Property cannot be translated.\r\nAdd TP_GlobalIgnoreClassProperty(") +
         QString::fromLatin1(object->metaObject()->className()) + QStringLiteral(",'") +
         QString::fromLatin1(property) + QStringLiteral("') to your source code or use\r\n") +
         QStringLiteral("TP_Ignore (self,'.") + QString::fromLatin1(property) +
         QStringLiteral("') to prevent this message.\r\nReason: ") + reason;
}

// A text found in the tree, as it was before anything in the tree was translated.
struct TFoundText {
  QPointer<QObject> object;
  QMetaProperty property;  // unless a string list
  TStrings* list = nullptr;
  QString text;
};

void TranslateFoundProperty(TGnuGettextInstance& engine, const TFoundText& found,
                            const QString& domain) {
  QObject* object = found.object.data();
  if (!object) return;
  const QMetaProperty& p = found.property;
  try {
    if (engine.activeRecord) engine.activeRecord->Remember(object, p.name(), found.text);
    const QString translated = engine.TranslateInDomain(domain, found.text);
    if (translated != p.read(object).toString()) {
      p.write(object, KindOf(p) == PropertyKind::narrow ? QVariant(translated.toUtf8())
                                                        : QVariant(translated));
    }
  } catch (const Exception& e) {
    throw EGGComponentError(ComponentError(object, p.name(), e.Message()));
  }
}

QSet<QString> SkipSet(const TGnuGettextInstance& engine, const QObject* object) {
  QSet<QString> skip;
  for (const TClassMode& rule : engine.classRules) {
    if (object->metaObject()->inherits(rule.targetClass)) skip.unite(rule.ignoredProperties);
  }
  return skip;
}

}  // namespace

TGnuGettextComponentMarker::TGnuGettextComponentMarker() {
  setObjectName(kMarkerName);
}

TGnuGettextComponentMarker* FindMarker(const QObject* window) {
  return window->findChild<TGnuGettextComponentMarker*>(kMarkerName, Qt::FindDirectChildrenOnly);
}

void TTP_Retranslator::Remember(QObject* object, const QByteArray& propertyName,
                                const QString& untranslated) {
  items_.push_back({object, propertyName, untranslated});
}

void TTP_Retranslator::Replay() {
  for (const Item& item : items_) {
    QObject* object = item.object.data();
    if (!object) continue;
    if (TGnuGettextComponentMarker* other = FindMarker(object)) {
      if (other->retranslator.get() != this) {
        other->retranslator->Replay();
        continue;
      }
    }
    if (auto* list = qobject_cast<TStrings*>(object)) {
      TStrings lines;
      lines.SetText(item.untranslatedText);
      TranslateStringList(engine_, lines, textDomain);
      list->BeginUpdate();
      list->SetText(lines.Text());
      list->EndUpdate();
      continue;
    }
    const QString translated = engine_.TranslateInDomain(textDomain, item.untranslatedText);
    const int index = object->metaObject()->indexOfProperty(item.propertyName.constData());
    if (index < 0) continue;
    const QMetaProperty p = object->metaObject()->property(index);
    p.write(object, KindOf(p) == PropertyKind::narrow ? QVariant(translated.toUtf8())
                                                      : QVariant(translated));
  }
}

void TranslateObjectTree(TGnuGettextInstance& engine, QObject* root, const QString& requested) {
  const QString domain = requested.isEmpty() ? engine.TextDomain() : requested;
  if (engine.activeRecord) engine.activeRecord->textDomain = domain;
  QQueue<QObject*> todo;
  QSet<const QObject*> done;
  todo.enqueue(root);
  struct EndRecord {
    TGnuGettextInstance& engine;
    ~EndRecord() { engine.activeRecord = nullptr; }
  } endRecord{engine};
  // Every text is read before any is written: writing one can change another (a menu's title
  // is also the text of the item that opens it), which must be remembered untranslated.
  std::vector<TFoundText> found;
  while (!todo.isEmpty()) {
    QObject* object = todo.dequeue();
    if (!object || done.contains(object)) continue;
    done.insert(object);
    const QSet<QString> skip = SkipSet(engine, object);
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty p = meta->property(i);
      if (!p.isReadable() || KindOf(p) == PropertyKind::other) continue;
      if (skip.contains(QString::fromLatin1(p.name()).toUpper())) continue;
      try {
        const QVariant value = p.read(object);
        if (KindOf(p) == PropertyKind::object) {
          QObject* target = value.value<QObject*>();
          if (target && !OwnsMarker(target)) todo.enqueue(target);
          continue;
        }
        const QString text = KindOf(p) == PropertyKind::narrow
                                 ? QString::fromUtf8(value.toByteArray())
                                 : value.toString();
        if (!text.isEmpty() && p.isWritable()) found.push_back({object, p, nullptr, text});
      } catch (const Exception& e) {
        throw EGGComponentError(ComponentError(object, p.name(), e.Message()));
      }
    }
    if (auto* list = qobject_cast<TStrings*>(object)) {
      found.push_back({object, {}, list, list->Text()});
    }
    if (auto* collection = qobject_cast<TCollection*>(object)) {
      for (QObject* item : collection->Items()) todo.enqueue(item);
    }
    for (QObject* child : object->children()) {
      if (!OwnsMarker(child)) todo.enqueue(child);
    }
  }
  for (const TFoundText& text : found) {
    if (!text.list) {
      TranslateFoundProperty(engine, text, domain);
    } else if (text.object) {
      if (!text.text.isEmpty() && engine.activeRecord) {
        engine.activeRecord->Remember(text.list, "Text", text.text);
      }
      TranslateStringList(engine, *text.list, domain);
    }
  }
}

void TranslateStringList(TGnuGettextInstance& engine, TStrings& list, const QString& domain) {
  if (list.Count() == 0) return;
  list.BeginUpdate();
  TStrings copy;
  copy.Assign(list);
  TStrings translated;
  for (int i = 0; i < copy.Count(); ++i) {
    const QString line = copy.Line(i);
    translated.Add(
        line.isEmpty() ? line : engine.TranslateNarrowInDomain(domain, line.toUtf8().toStdString()),
        copy.Object(i));
  }
  list.Assign(translated);
  list.EndUpdate();
}

void TP_GlobalIgnoreClassProperty(TGnuGettextInstance& engine, const QMetaObject* targetClass,
                                  const QString& propertyName) {
  const QString name = propertyName.toUpper();
  auto& rules = engine.classRules;
  for (auto it = rules.begin(); it != rules.end(); ++it) {
    if (it->targetClass == targetClass) {
      it->ignoredProperties.insert(name);
      return;
    }
    if (targetClass->inherits(it->targetClass)) {
      rules.insert(it, TClassMode{targetClass, {name}});
      return;
    }
  }
  rules.push_back(TClassMode{targetClass, {name}});
}

void TranslateComponent(QObject* window, const QString& domain) {
  TGnuGettextInstance& engine = GnuGettext();
  TGnuGettextComponentMarker* marker = FindMarker(window);
  if (!marker) {
    auto fresh = std::make_unique<TGnuGettextComponentMarker>();
    fresh->retranslator = std::make_unique<TTP_Retranslator>(engine);
    engine.activeRecord = fresh->retranslator.get();
    TranslateObjectTree(engine, window, domain);
    marker = fresh.release();
    marker->setParent(window);
  } else if (marker->lastLanguage != engine.CurrentLanguage()) {
    Dialogs().MessageBox(
        QStringLiteral("This application tried to switch the language, but in an incorrect way. "
                       "The programmer needs to replace a call to TranslateComponent with a call "
                       "to RetranslateComponent(). The programmer should see the changelog of "
                       "gnugettext for more information."),
        QStringLiteral("Error"), TMessageIcon::none, mbOK, mbOK);
  }
  marker->lastLanguage = engine.CurrentLanguage();
}

void RetranslateComponent(QObject* window) {
  TGnuGettextComponentMarker* marker = FindMarker(window);
  if (!marker) {
    throw EGGProgrammingError(
        QStringLiteral("Retranslate was called on an object that has not been translated before. "
                       "Please use TranslateComponent() before RetranslateComponent()."));
  }
  const QString current = GnuGettext().CurrentLanguage();
  if (marker->lastLanguage != current) marker->retranslator->Replay();
  marker->lastLanguage = current;
}

}  // namespace lumvale
