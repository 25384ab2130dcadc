#include "GnuGettext.h"

#include "BuiltInTexts.h"
#include "DialogService.h"
#include "ExecutablePath.h"
#include "GnuGettextErrors.h"
#include "PlatformTexts.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdlib>
#include <mutex>

namespace lumvale {

namespace {

TGnuGettextInstance* gInstance = nullptr;

QStringList gResourceStringDomains;
std::shared_mutex gResourceStringDomainsLock;

QString WithSlash(const QString& directory) {
  return directory.endsWith(u'/') ? directory : directory + u'/';
}

QString Env(const char* name) {
  return QString::fromLocal8Bit(qgetenv(name));
}

// The platform layer's texts are translated on the thread that created the engine only, as the
// built-in texts are: the engine's domains have no lock. Other threads keep the English text.
QString TranslateForPlatform(const char* text) {
  TGnuGettextInstance* engine = gInstance;
  if (!engine || std::this_thread::get_id() != engine->CreatorThread()) {
    return QString::fromUtf8(text);
  }
  return engine->Translate(QString::fromUtf8(text));
}

}  // namespace

std::string StripCarriageReturns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

std::string ExpandLineFeeds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// --- TDomain ---

TDomain::TDomain(TFileLocator& locator, QString name, QString directory, QString languageCode)
    : locator_(locator),
      name_(std::move(name)),
      directory_(WithSlash(directory)),
      languageCode_(std::move(languageCode)) {}

TDomain::~TDomain() {
  CloseCatalogue();
}

void TDomain::SetDirectory(const QString& directory) {
  directory_ = WithSlash(directory);
  CloseCatalogue();
}

void TDomain::SetLanguage(const QString& code) {
  CloseCatalogue();
  languageCode_ = code;
}

QString TDomain::CataloguePath(const QString& code) const {
  return directory_ + code + QStringLiteral("/LC_MESSAGES/") + name_ + QStringLiteral(".mo");
}

bool TDomain::Exists(const QString& path) const {
  return locator_.IsEmbedded(path) || QFileInfo(path).isFile();
}

void TDomain::OpenCatalogue() {
  QString path = CataloguePath(languageCode_);
  if (!Exists(path)) path = CataloguePath(languageCode_.left(2));
  if (!Exists(path)) {
    openFailed_ = true;
    return;
  }
  try {
    catalogue_ = &locator_.AcquireCatalogue(path);
  } catch (const EGGIOError& e) {
    // A damaged catalogue must not keep the program from starting: it is reported once for
    // this language and the texts stay English.
    openFailed_ = true;
    Dialogs().MessageBox(e.Message() + QStringLiteral("\nLumvale goes on in English."),
                         QStringLiteral("Localization problem"), TMessageIcon::error, mbOK, mbOK);
    return;
  }
  if (!HeaderField(QStringLiteral("Content-Type")).toUpper().contains(u"CHARSET=UTF-8")) {
    CloseCatalogue();
    Dialogs().MessageBox(QStringLiteral("The translation for the language code ") + languageCode_ +
                             QStringLiteral(" (in ") + path +
                             QStringLiteral(") does not have charset=utf-8 in its Content-Type. "
                                            "Translations are turned off."),
                         QStringLiteral("Localization problem"), TMessageIcon::none, mbOK, mbOK);
    enabled_ = false;
  }
}

void TDomain::CloseCatalogue() {
  if (catalogue_) locator_.ReleaseCatalogue(*catalogue_);
  catalogue_ = nullptr;
  openFailed_ = false;
}

std::string TDomain::Lookup(std::string_view msgid) {
  if (!enabled_) return std::string(msgid);
  if (!catalogue_ && !openFailed_) OpenCatalogue();
  if (!catalogue_) return std::string(msgid);
  return std::string(catalogue_->Lookup(msgid).bytes);
}

QString TDomain::HeaderField(const QString& field) {
  const QString key = field.toUpper() + QStringLiteral(": ");
  const QString header = QString::fromUtf8(Lookup({}));
  for (const QString& line : header.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
    if (line.left(key.size()).toUpper() == key) {
      const QString value = line.mid(key.size());
      qsizetype from = 0, to = value.size();
      while (from < to && value[from].unicode() <= 0x20) ++from;
      while (to > from && value[to - 1].unicode() <= 0x20) --to;
      return value.mid(from, to - from);
    }
  }
  return {};
}

void TDomain::ListLanguages(QStringList& list) const {
  list.clear();
  auto add = [&list](const QString& code) {
    if (!list.contains(code, Qt::CaseInsensitive)) list.append(code);
  };
  const QDir dir(directory_);
  for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted)) {
    if (QFileInfo(CataloguePath(entry)).isFile()) add(entry.toLower());
  }
  const QString prefix = directory_.toUpper();
  const QString suffix =
      (QStringLiteral("/LC_MESSAGES/") + name_ + QStringLiteral(".mo")).toUpper();
  for (const QString& name : locator_.EmbeddedNames()) {
    const QString full = (locator_.BaseDirectory() + QString(name).replace(u'\\', u'/')).toUpper();
    if (full.size() <= prefix.size() + suffix.size() || !full.startsWith(prefix) ||
        !full.endsWith(suffix)) {
      continue;
    }
    const QString code = full.mid(prefix.size(), full.size() - prefix.size() - suffix.size());
    add(code.left(3).toLower() + code.mid(3).toUpper());
  }
}

// --- TGnuGettextInstance ---

TGnuGettextInstance::TGnuGettextInstance(TFileLocator& locator, QString defaultDomainDirectory)
    : locator_(locator), defaultDomainDirectory_(std::move(defaultDomainDirectory)) {
  SelectLanguage({});
  BindDomainDirectory(QStringLiteral("default"), defaultDomainDirectory_);
  SetTextDomain(QStringLiteral("default"));
  // Components keep their names; collections the name they are published under.
  TP_GlobalIgnoreClassProperty(*this, &QObject::staticMetaObject, QStringLiteral("objectName"));
  TP_GlobalIgnoreClassProperty(*this, &TCollection::staticMetaObject, QStringLiteral("PropName"));
}

TGnuGettextInstance::~TGnuGettextInstance() = default;

QString TGnuGettextInstance::TranslateNarrow(const std::string& text) {
  return TranslateNarrowInDomain(textDomain_, text);
}

QString TGnuGettextInstance::Translate(const QString& text) {
  return TranslateInDomain(textDomain_, text);
}

QString TGnuGettextInstance::TranslateNarrowInDomain(const QString& domain,
                                                     const std::string& text) {
  return TranslateInDomain(domain, QString::fromUtf8(text));
}

QString TGnuGettextInstance::TranslateInDomain(const QString& domain, const QString& text) {
  TDomain& d = FindDomain(domain);
  const std::string msgid = StripCarriageReturns(text.toUtf8().toStdString());
  return QString::fromStdString(ExpandLineFeeds(d.Lookup(msgid)));
}

QString TGnuGettextInstance::TranslateInLanguage(const QString& languageCode, const QString& text) {
  const QString& directory = FindDomain(textDomain_).Directory();
  TDomain* domain = nullptr;
  for (auto& d : otherLanguages_) {
    if (d->Name().compare(textDomain_, Qt::CaseInsensitive) == 0 &&
        d->LanguageCode() == languageCode) {
      domain = d.get();
    }
  }
  if (!domain) {
    otherLanguages_.push_back(
        std::make_unique<TDomain>(locator_, textDomain_, directory, languageCode));
    domain = otherLanguages_.back().get();
  } else if (domain->Directory() != directory) {
    domain->SetDirectory(directory);  // the domain was bound to a new folder since
  }
  const std::string msgid = StripCarriageReturns(text.toUtf8().toStdString());
  return QString::fromStdString(ExpandLineFeeds(domain->Lookup(msgid)));
}

void TGnuGettextInstance::SelectLanguage(const QString& requested) {
  QString code = requested;
  if (code.isEmpty()) {
    code = Env("LANG");
    if (code.isEmpty()) code = SystemLanguageCode();
    const qsizetype dot = code.indexOf(u'.');
    if (dot >= 0) code.truncate(dot);
  }
  currentLanguage_ = code;
  for (auto& domain : domains_) domain->SetLanguage(code);
  // A failed search is remembered until the language changes, for the other languages too.
  for (auto& domain : otherLanguages_) domain->CloseCatalogue();
  WhenNewLanguage(code);
}

void TGnuGettextInstance::BindDomainDirectory(const QString& domain, const QString& directory) {
  FindDomain(domain).SetDirectory(directory);
  WhenNewDomainDirectory(domain, directory);
}

void TGnuGettextInstance::SetTextDomain(const QString& domain) {
  textDomain_ = domain;
  WhenNewDomain(domain);
}

TDomain& TGnuGettextInstance::FindDomain(const QString& name) {
  for (auto& domain : domains_) {
    if (domain->Name().compare(name, Qt::CaseInsensitive) == 0) return *domain;
  }
  domains_.push_back(
      std::make_unique<TDomain>(locator_, name, defaultDomainDirectory_, currentLanguage_));
  return *domains_.back();
}

void TGnuGettextInstance::ListLanguages(const QString& domain, QStringList& list) {
  FindDomain(domain).ListLanguages(list);
}

QString SystemLanguageCode() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES"}) {
    QString value = Env(variable);
    const qsizetype cut = value.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0) value.truncate(cut);
    if (value.isEmpty() || value == u"C" || value == u"POSIX") continue;
    const QStringList parts = value.split(u'_');
    QString language = parts.value(0);
    const QString country = parts.value(1);
    auto letters = [](const QString& s) {
      return s.size() == 2 && s[0].isLetter() && s[1].isLetter();
    };
    if (!letters(language)) continue;
    if (language.toLower() == u"no") language = QStringLiteral("nb");
    return letters(country) && parts.size() == 2 ? language + u'_' + country : language;
  }
  return QStringLiteral("C");
}

// --- the process-wide subsystem ---

namespace {

// The engine of the process: Qt's own texts follow its language. The base constructor's choice
// of the language reaches no override, so this one passes it on itself.
class TProcessEngine final : public TGnuGettextInstance {
 public:
  TProcessEngine(TFileLocator& locator, QString defaultDomainDirectory, THook& builtInTexts)
      : TGnuGettextInstance(locator, std::move(defaultDomainDirectory)),
        builtInTexts_(builtInTexts) {
    builtInTexts_.SelectLanguage(CurrentLanguage());
  }

 protected:
  void WhenNewLanguage(const QString& code) override { builtInTexts_.SelectLanguage(code); }

 private:
  THook& builtInTexts_;
};

}  // namespace

TLocalization::TLocalization() : TLocalization(ExecutablePath(), EmbeddedTableOffset()) {}

TLocalization::TLocalization(const QString& executablePath, uint64_t tableOffset) {
  if (gInstance) throw EGnuGettext(QStringLiteral("The localization is set up already"));
  locator_ = std::make_unique<TFileLocator>(executablePath);
  locator_->ScanEmbeddedFiles(tableOffset);
  {
    std::unique_lock guard(gResourceStringDomainsLock);
    gResourceStringDomains = {QStringLiteral("default")};
  }
  // The hook outlives the engine, which tells it every new language.
  builtInTexts_ = std::make_unique<THook>();
  engine_ = std::make_unique<TProcessEngine>(
      *locator_, QFileInfo(executablePath).absolutePath() + QStringLiteral("/locale"),
      *builtInTexts_);
  gInstance = engine_.get();
  SetPlatformTextTranslator(&TranslateForPlatform);
  if (QCoreApplication::instance()) builtInTexts_->Enable();
}

TLocalization::~TLocalization() {
  SetPlatformTextTranslator(nullptr);
  engine_.reset();
  gInstance = nullptr;
  {
    std::unique_lock guard(gResourceStringDomainsLock);
    gResourceStringDomains.clear();
  }
  builtInTexts_.reset();
  locator_.reset();
}

TGnuGettextInstance& GnuGettext() {
  if (!gInstance) throw EGnuGettext(QStringLiteral("The localization is not set up"));
  return *gInstance;
}

QString Translate(const QString& text) {
  return GnuGettext().Translate(text);
}
QString Translate(const char* text) {
  return GnuGettext().Translate(QString::fromUtf8(text));
}
QString TranslateInLanguage(const QString& languageCode, const QString& text) {
  return GnuGettext().TranslateInLanguage(languageCode, text);
}
QString TranslateInLanguage(const QString& languageCode, const char* text) {
  return GnuGettext().TranslateInLanguage(languageCode, QString::fromUtf8(text));
}
void SelectLanguage(const QString& code) {
  GnuGettext().SelectLanguage(code);
}
QString CurrentLanguage() {
  return GnuGettext().CurrentLanguage();
}
void ListLanguages(const QString& domain, QStringList& list) {
  GnuGettext().ListLanguages(domain, list);
}

QStringList ResourceStringDomains() {
  std::shared_lock guard(gResourceStringDomainsLock);
  return gResourceStringDomains;
}

QString TranslateBuiltInText(const QString& text) {
  if (text.isEmpty() || !gInstance) return text;
  std::shared_lock guard(gResourceStringDomainsLock);
  for (const QString& domain : gResourceStringDomains) {
    const QString result = gInstance->TranslateInDomain(domain, text);
    if (result != text) return result;
  }
  return text;
}

}  // namespace lumvale
