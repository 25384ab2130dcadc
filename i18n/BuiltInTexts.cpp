#include "BuiltInTexts.h"

#include "Exception.h"
#include "GnuGettext.h"
#include "TextMarker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>

#include <cstring>
#include <thread>

namespace lumvale {

namespace {

struct ResourceString {
  int id;
  const char* text;
};

constexpr ResourceString kResourceStrings[] = {
    {rsFileNotFound, N_("File not found")},
    {rsLoadingImage, N_("Loading image")},
    {rsImageSize, N_("Imagesize ")},
    {rsResizeTo, N_("Resize to ")},
    {rsImage, N_("Image")},
    {rsReduceFileSize, N_("Reduce file size")},
    {rsSavingImage, N_("Saving image")},
    {rsDone, N_("Done")},
    {rsOverwriteQuestion,
     N_("The file '%s' already exists!\nShould I overwrite the current file with the new file?")},
};

// Qt's source texts of dialog buttons and key names, and the program's built-in texts for them.
struct QtText {
  const char* context;
  const char* source;
  const char* msgid;
  bool keyPrefix;  // the msgid ends in "+", which Qt adds itself
};

constexpr QtText kQtTexts[] = {
    {"QPlatformTheme", "&Yes", N_("&Yes"), false},
    {"QPlatformTheme", "&No", N_("&No"), false},
    {"QPlatformTheme", "OK", N_("OK"), false},
    {"QPlatformTheme", "Cancel", N_("Cancel"), false},
    {"QPlatformTheme", "Help", N_("&Help"), false},
    {"QPlatformTheme", "Abort", N_("&Abort"), false},
    {"QPlatformTheme", "Retry", N_("&Retry"), false},
    {"QPlatformTheme", "Ignore", N_("&Ignore"), false},
    {"QPlatformTheme", "Yes to &All", N_("Yes to &All"), false},
    {"QPlatformTheme", "N&o to All", N_("N&o to All"), false},
    {"QDialogButtonBox", "&Yes", N_("&Yes"), false},
    {"QDialogButtonBox", "&No", N_("&No"), false},
    {"QDialogButtonBox", "OK", N_("OK"), false},
    {"QDialogButtonBox", "&OK", N_("OK"), false},
    {"QDialogButtonBox", "Cancel", N_("Cancel"), false},
    {"QDialogButtonBox", "&Cancel", N_("Cancel"), false},
    // The GNOME and GTK themes ask in their own context, so that their boxes say what the
    // program's other dialogs say.
    {"QGnomeTheme", "&OK", N_("OK"), false},
    {"QGnomeTheme", "&Cancel", N_("Cancel"), false},
    {"QShortcut", "Alt", N_("Alt+"), true},
    {"QShortcut", "Shift", N_("Shift+"), true},
    {"QShortcut", "Ctrl", N_("Ctrl+"), true},
};

// The "&All" of a message dialog has no Qt counterpart; it is listed for the catalogues.
constexpr const char* kOtherBuiltInTexts[] = {N_("&All")};

bool OnCreatorThread() {
  try {
    return std::this_thread::get_id() == GnuGettext().CreatorThread();
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

QString TranslateResourceString(int id) {
  if (id >= 65536) return QStringLiteral("ERROR");
  QString text;
  for (const ResourceString& r : kResourceStrings) {
    if (r.id == id) text = QString::fromUtf8(r.text);
  }
  return OnCreatorThread() ? TranslateBuiltInText(text) : text;
}

TBuiltInTextTranslator::TBuiltInTextTranslator() = default;
TBuiltInTextTranslator::~TBuiltInTextTranslator() = default;

QString TBuiltInTextTranslator::translate(const char* context, const char* sourceText,
                                          const char* disambiguation, int n) const {
  if (!context || !sourceText || !OnCreatorThread()) return {};
  for (const QtText& t : kQtTexts) {
    if (std::strcmp(context, t.context) != 0 || std::strcmp(sourceText, t.source) != 0) continue;
    const QString msgid = QString::fromUtf8(t.msgid);
    QString result = TranslateBuiltInText(msgid);
    if (result == msgid) break;  // untranslated here: Qt's catalogue, or Qt's own text
    if (t.keyPrefix && result.endsWith(u'+')) result.chop(1);
    return result;
  }
  return qt_ ? qt_->translate(context, sourceText, disambiguation, n) : QString();
}

void TBuiltInTextTranslator::SelectQtLanguage(const QString& code) {
  // QLocale reads the engine's codes, with or without a territory, codeset or modifier; "C" and
  // unknown codes give QLocale::C. Qt's English catalogue holds only plural forms of its own
  // texts, which Qt gets right without it.
  const QLocale locale(code);
  qt_.reset();
  if (locale.language() == QLocale::C || locale.language() == QLocale::English) return;
  auto next = std::make_unique<QTranslator>();
  if (next->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    qt_ = std::move(next);
  }
}

QString TBuiltInTextTranslator::QtCatalogue() const {
  return qt_ ? qt_->filePath() : QString();
}

THook::THook() : translator_(std::make_unique<TBuiltInTextTranslator>()) {}

THook::~THook() {
  if (enabled_ && QCoreApplication::instance()) {
    QCoreApplication::removeTranslator(translator_.get());
  }
}

void THook::Enable() {
  if (!QCoreApplication::instance()) {
    throw Exception(QStringLiteral("Patch position in THook was nil when Enable was called"));
  }
  if (!enabled_) QCoreApplication::installTranslator(translator_.get());
  enabled_ = true;
}

void THook::Disable() {
  if (!QCoreApplication::instance()) {
    enabled_ = false;
    throw Exception(QStringLiteral("Patch position in THook was nil when Disable was called"));
  }
  if (enabled_) QCoreApplication::removeTranslator(translator_.get());
  enabled_ = false;
}

void THook::SelectLanguage(const QString& code) {
  translator_->SelectQtLanguage(code);
  // The program's texts and Qt's catalogue may both have changed. Qt's widgets re-read their
  // texts on this event, which Qt itself sends when an installed translator loads a catalogue.
  if (enabled_ && QCoreApplication::instance()) {
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::LanguageChange));
  }
}

QStringList BuiltInTextMsgids() {
  QStringList out;
  for (const ResourceString& r : kResourceStrings) out << QString::fromUtf8(r.text);
  for (const QtText& t : kQtTexts) out << QString::fromUtf8(t.msgid);
  for (const char* text : kOtherBuiltInTexts) out << QString::fromUtf8(text);
  out.removeDuplicates();
  return out;
}

}  // namespace lumvale
