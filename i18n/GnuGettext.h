#pragma once

#include "FileLocator.h"
#include "WindowTranslation.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumvale {

// One text domain: a name, a catalogue folder and a language. Its catalogue is opened on the
// first lookup after a change, at <directory><code>/LC_MESSAGES/<name>.mo, falling back to the
// first two letters of the code; a failed search is remembered until the language or directory
// changes.
class TDomain {
 public:
  TDomain(TFileLocator& locator, QString name, QString directory, QString languageCode);
  ~TDomain();
  TDomain(const TDomain&) = delete;
  TDomain& operator=(const TDomain&) = delete;

  const QString& Name() const { return name_; }
  const QString& Directory() const { return directory_; }
  const QString& LanguageCode() const { return languageCode_; }
  bool Enabled() const { return enabled_; }
  bool HasCatalogue() const { return catalogue_ != nullptr; }

  // Adds a trailing "/" when missing; closes the catalogue.
  void SetDirectory(const QString& directory);
  // Closes the catalogue; the next lookup searches for the new language's.
  void SetLanguage(const QString& code);
  // The translation's UTF-8 bytes, or msgid when there is none. Throws EGGIOError for a
  // catalogue that cannot be read.
  std::string Lookup(std::string_view msgid);
  // The value of a header field of the catalogue ("Content-Type"), without regard to case.
  QString HeaderField(const QString& field);
  // The codes that have a catalogue on disk (folder order) or embedded (name order).
  void ListLanguages(QStringList& list) const;
  void OpenCatalogue();
  void CloseCatalogue();

 private:
  QString CataloguePath(const QString& code) const;
  bool Exists(const QString& path) const;

  TFileLocator& locator_;
  QString name_;
  QString directory_;
  QString languageCode_;
  TMoFile* catalogue_ = nullptr;
  bool openFailed_ = false;
  bool enabled_ = true;
};

// The translation engine, one per process: turns the program's English texts into the current
// language. All of it runs on the GUI thread.
class TGnuGettextInstance {
 public:
  // defaultDomainDirectory is the "locale" folder beside the executable (no trailing "/").
  TGnuGettextInstance(TFileLocator& locator, QString defaultDomainDirectory);
  virtual ~TGnuGettextInstance();

  virtual QString TranslateNarrow(const std::string& text);
  virtual QString Translate(const QString& text);
  virtual QString TranslateNarrowInDomain(const QString& domain, const std::string& text);
  // Line breaks come back as CR LF; carriage returns are dropped before the lookup.
  virtual QString TranslateInDomain(const QString& domain, const QString& text);
  // text in another language (a code as SelectLanguage takes it, "de" or "pt_BR"), from the
  // catalogues of the current text domain, with the same line breaks; the current language and
  // its catalogues are left alone. For texts that must carry every language at once, such as a
  // launcher's comment.
  QString TranslateInLanguage(const QString& languageCode, const QString& text);

  // Empty: the system default, from "LANG" (cut at the first ".") or the locale.
  void SelectLanguage(const QString& code);
  const QString& CurrentLanguage() const { return currentLanguage_; }
  void BindDomainDirectory(const QString& domain, const QString& directory);
  void SetTextDomain(const QString& domain);
  const QString& TextDomain() const { return textDomain_; }
  // The domain of that name (compared without regard to case), created on first use.
  TDomain& FindDomain(const QString& name);
  void ListLanguages(const QString& domain, QStringList& list);

  std::thread::id CreatorThread() const { return creatorThread_; }

  // Window translation state: the rules, most derived classes first, and the record of the
  // window being translated (none between translations).
  std::vector<TClassMode> classRules;
  TTP_Retranslator* activeRecord = nullptr;

 protected:
  virtual void WhenNewLanguage(const QString&) {}
  virtual void WhenNewDomain(const QString&) {}
  virtual void WhenNewDomainDirectory(const QString&, const QString&) {}

 private:
  TFileLocator& locator_;
  QString currentLanguage_;
  QString textDomain_ = QStringLiteral("default");
  QString defaultDomainDirectory_;
  std::vector<std::unique_ptr<TDomain>> domains_;
  // Domains of other languages than the current one, for TranslateInLanguage.
  std::vector<std::unique_ptr<TDomain>> otherLanguages_;
  std::thread::id creatorThread_ = std::this_thread::get_id();
};

// The user's language from the POSIX locale ("LC_ALL", then "LC_MESSAGES"): de_AT.UTF-8 gives
// de_AT, Norwegian "no" gives "nb", nothing usable gives "C".
QString SystemLanguageCode();

// Line-break normalisation of translations: every CR removed; every LF not preceded by CR gets
// one.
std::string StripCarriageReturns(std::string_view text);
std::string ExpandLineFeeds(std::string_view text);

// The localization subsystem of the process: set up before the first window, torn down after the
// last. Construct exactly one; the free calls below use it. While it exists, the platform
// layer's texts (TranslatePlatformText) are translated too, on the thread that created it.
class TLocalization {
 public:
  // The running executable, with the table its packaging wrote.
  TLocalization();
  // Another file as the "executable" (tests).
  TLocalization(const QString& executablePath, uint64_t tableOffset);
  ~TLocalization();
  TLocalization(const TLocalization&) = delete;
  TLocalization& operator=(const TLocalization&) = delete;

  TFileLocator& Locator() { return *locator_; }
  TGnuGettextInstance& Engine() { return *engine_; }

 private:
  std::unique_ptr<TFileLocator> locator_;
  std::unique_ptr<TGnuGettextInstance> engine_;
  std::unique_ptr<class THook> builtInTexts_;
};

TGnuGettextInstance& GnuGettext();
QString Translate(const QString& text);
// The same for a UTF-8 literal, which the catalogue check finds in the sources.
QString Translate(const char* text);
// The same in another language than the current one (see TGnuGettextInstance).
QString TranslateInLanguage(const QString& languageCode, const QString& text);
QString TranslateInLanguage(const QString& languageCode, const char* text);
void SelectLanguage(const QString& code);
QString CurrentLanguage();
void ListLanguages(const QString& domain, QStringList& list);

// The domains in which built-in texts are looked up ("default").
QStringList ResourceStringDomains();
// A built-in text in the first domain that translates it; unchanged when none does or it is
// empty.
QString TranslateBuiltInText(const QString& text);

}  // namespace lumvale
