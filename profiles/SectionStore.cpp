#include "SectionStore.h"

#include "Exception.h"

#include <QStandardPaths>

namespace lumvale {

QString SettingsFilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Lumvale/Lumvale.ini");
}

TSectionStore::TSectionStore(QSettings& settings, QString root)
    : settings_(settings), root_(std::move(root)) {}

QString TSectionStore::Group(const QString& section) const {
  for (const QString& existing : ReadSections()) {
    if (existing.compare(section, Qt::CaseInsensitive) == 0) {
      return root_.isEmpty() ? existing : root_ + u'/' + existing;
    }
  }
  return root_.isEmpty() ? section : root_ + u'/' + section;
}

QString TSectionStore::ReadString(const QString& section, const QString& ident,
                                  const QString& def) const {
  const QString key = Group(section) + u'/' + ident;
  if (!settings_.contains(key)) return def;
  const QVariant value = settings_.value(key);
  if (value.metaType().id() != QMetaType::QString) {
    throw Exception(QString::fromUtf8("Ungültiger Datentyp für '%1'").arg(ident));
  }
  return value.toString();
}

int TSectionStore::ReadInteger(const QString& section, const QString& ident, int def) const {
  bool ok = false;
  const int value = ReadString(section, ident, QString()).toInt(&ok, 10);
  return ok ? value : def;
}

bool TSectionStore::ReadBool(const QString& section, const QString& ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TSectionStore::WriteString(const QString& section, const QString& ident,
                                const QString& value) {
  settings_.setValue(Group(section) + u'/' + ident, value);
  lastSection_ = section;
}

void TSectionStore::Commit() {
  settings_.sync();
  if (settings_.status() != QSettings::NoError) {
    throw Exception(QString::fromUtf8("Erzeugung von Schlüssel %1 misslungen").arg(lastSection_));
  }
}

void TSectionStore::WriteInteger(const QString& section, const QString& ident, int value) {
  WriteString(section, ident, QString::number(value));
}

void TSectionStore::WriteBool(const QString& section, const QString& ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TSectionStore::ReadSections() const {
  if (root_.isEmpty()) return settings_.childGroups();
  settings_.beginGroup(root_);
  const QStringList groups = settings_.childGroups();
  settings_.endGroup();
  return groups;
}

void TSectionStore::EraseSection(const QString& section) {
  settings_.remove(Group(section));
  settings_.sync();
}

}  // namespace lumvale
