#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

namespace lumvale {

// The per-user settings file ($XDG_CONFIG_HOME/Lumvale/Lumvale.ini).
QString SettingsFilePath();

// A store of values by section and identifier, every value a string: the program's settings
// (sections under the file's top) or the profiles (sections under the group "profiles"). Section
// names compare without regard to case, keeping the spelling stored first. Reads give the
// caller's default for a missing value; a value that is not a string raises
// "Ungültiger Datentyp für '%s'".
class TSectionStore {
 public:
  // root: the group the sections live in ("" for the top of the file).
  TSectionStore(QSettings& settings, QString root);

  QString ReadString(const QString& section, const QString& ident, const QString& def) const;
  // A value that is missing or no whole decimal number gives def.
  int ReadInteger(const QString& section, const QString& ident, int def) const;
  bool ReadBool(const QString& section, const QString& ident, bool def) const;

  // Creates the section when missing. The value reaches the file with the next Commit.
  void WriteString(const QString& section, const QString& ident, const QString& value);
  void WriteInteger(const QString& section, const QString& ident, int value);
  void WriteBool(const QString& section, const QString& ident, bool value);

  // Writes every change since the last commit to the file in one go (a temporary file renamed
  // into place), so that a save interrupted at any point leaves all old or all new values.
  // Raises "Erzeugung von Schlüssel %s misslungen" (the last section written) when the file
  // cannot be written.
  void Commit();

  QStringList ReadSections() const;
  // Removes the section with all it holds; a missing section is no error.
  void EraseSection(const QString& section);

 private:
  // The group of a section: the stored spelling of a section equal to it ignoring case.
  QString Group(const QString& section) const;

  QSettings& settings_;
  QString root_;
  QString lastSection_;
};

}  // namespace lumvale
