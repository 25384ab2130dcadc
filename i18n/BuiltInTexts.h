#pragma once

#include <QString>
#include <QTranslator>

#include <memory>

namespace lumvale {

// The program's own resource strings, loaded by identifier.
enum TResourceStringId : int {
  rsFileNotFound = 65140,
  rsLoadingImage = 65141,
  rsImageSize = 65142,
  rsResizeTo = 65143,
  rsImage = 65144,
  rsReduceFileSize = 65145,
  rsSavingImage = 65146,
  rsDone = 65147,
  rsOverwriteQuestion = 65148,
};

// Loads a resource string and, on the thread that created the engine, translates it through the
// built-in text domains. 65536 and above give "ERROR"; an unknown identifier the empty text.
QString TranslateResourceString(int id);

// Qt's own user-visible texts (dialog buttons, key names, context menus, the file dialog) reach
// the translator through this: a Qt source text the program has is mapped to the program's
// built-in text ("Abort" to "&Abort", the key name "Ctrl" to the prefix "Ctrl+") and translated
// in the built-in text domains; every other one, and one the program's catalogues leave
// untranslated, comes from Qt's own catalogue of the current language (qtbase_de.qm from
// QLibraryInfo::TranslationsPath), so the program's wording wins where both have a text. Only
// the thread that created the engine gets translations: the engine's lists have no lock, and
// Qt's catalogue is replaced on that thread when the language changes.
class TBuiltInTextTranslator final : public QTranslator {
 public:
  TBuiltInTextTranslator();
  ~TBuiltInTextTranslator() override;

  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override;
  bool isEmpty() const override { return false; }

  // Loads Qt's catalogue for a language code of the engine ("de", "de_AT", "it_IT.UTF-8");
  // English and "C" have none, so Qt keeps its own texts.
  void SelectQtLanguage(const QString& code);
  // The file of Qt's catalogue in use; empty when there is none.
  QString QtCatalogue() const;

 private:
  std::unique_ptr<QTranslator> qt_;
};

// Routes Qt's built-in texts through the translator while switched on, by installing
// TBuiltInTextTranslator on the application. Switched off when destroyed.
class THook {
 public:
  THook();
  ~THook();
  THook(const THook&) = delete;
  THook& operator=(const THook&) = delete;

  // Throw Exception when there is no application object to install on.
  void Enable();
  void Disable();
  bool Enabled() const { return enabled_; }

  // Follows a new language of the engine. While switched on, Qt's widgets that are alive get a
  // LanguageChange event, as when a translator is installed, and so re-read their own texts.
  void SelectLanguage(const QString& code);

 private:
  std::unique_ptr<TBuiltInTextTranslator> translator_;
  bool enabled_ = false;
};

// The texts the program shows through the built-in text path, for the catalogue checks.
QStringList BuiltInTextMsgids();

}  // namespace lumvale
