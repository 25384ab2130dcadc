#include "BuiltInTexts.h"
#include "Catalogues.h"
#include "DialogService.h"
#include "GnuGettext.h"
#include "GnuGettextErrors.h"
#include "QtPrinters.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <thread>

using namespace lumvale;
using namespace lumvale::test;

TEST(GnuGettext, ChoosesTheLanguageFromTheEnvironment) {
  Installation install;
  {
    Environment env({{"LANG", "de_DE.UTF-8"}});
    TLocalization l10n(install.Executable(), install.Table());
    EXPECT_EQ(CurrentLanguage(), "de_DE");
    EXPECT_EQ(Translate("Run"), "Starten") << "de_DE falls back to the embedded de";
    SelectLanguage("it");
    EXPECT_EQ(Translate("Run"), "Avvia");
    SelectLanguage("fr_FR.UTF-8");
    EXPECT_EQ(CurrentLanguage(), "fr_FR.UTF-8") << "only the automatic choice cuts at the dot";
    EXPECT_EQ(Translate("Run"), "Run");
    SelectLanguage("");
    EXPECT_EQ(CurrentLanguage(), "de_DE");
  }
  {
    Environment env({{"LC_ALL", "no_NO.UTF-8"}});
    TLocalization l10n(install.Executable(), install.Table());
    EXPECT_EQ(CurrentLanguage(), "nb_NO");
  }
  {
    Environment env({});
    TLocalization l10n(install.Executable(), install.Table());
    EXPECT_EQ(CurrentLanguage(), "C");
    EXPECT_EQ(Translate("Run"), "Run");
  }
}

TEST(GnuGettext, SystemLanguageCodes) {
  const struct {
    const char* all;
    const char* messages;
    const char* code;
  } cases[] = {{"de_AT.UTF-8", nullptr, "de_AT"},
               {nullptr, "it_IT@euro", "it_IT"},
               {"no_NO", nullptr, "nb_NO"},
               {"C", "pt_BR.UTF-8", "pt_BR"},
               {"POSIX", nullptr, "C"},
               {"german", nullptr, "C"},
               {"de", nullptr, "de"},
               {nullptr, nullptr, "C"}};
  for (const auto& c : cases) {
    Environment env({});
    if (c.all) ::setenv("LC_ALL", c.all, 1);
    if (c.messages) ::setenv("LC_MESSAGES", c.messages, 1);
    EXPECT_EQ(SystemLanguageCode(), c.code)
        << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-");
  }
}

TEST(GnuGettext, LineBreaksComeBackAsCrLf) {
  Installation install;
  Environment env({{"LANG", "fr"}});
  TLocalization l10n(install.Executable(), install.Table());
  EXPECT_EQ(Translate("a\r\nb"), "a\r\nb");
  EXPECT_EQ(Translate("a\nb"), "a\r\nb");
  EXPECT_EQ(Translate("a\rb"), "ab");
  EXPECT_EQ(Translate("\nb"), "\r\nb");
  EXPECT_EQ(Translate(""), "") << "no catalogue: no header";
  SelectLanguage("de");
  EXPECT_EQ(Translate("two\r\nlines"), "zwei\r\nZeilen") << "CR is removed before the lookup";
  EXPECT_TRUE(Translate("").startsWith("Content-Type: text/plain; charset=UTF-8\r\n"));
}

TEST(GnuGettext, DomainsAndCataloguesOnDisk) {
  Installation install;
  Environment env({{"LANG", "pt_BR"}});
  TLocalization l10n(install.Executable(), install.Table());
  EXPECT_EQ(Translate("Run"), "Run");
  // The failed search is remembered until the language changes.
  WriteBytes(install.Locale("pt_BR/LC_MESSAGES/default.mo"),
             CompileCatalogue({{"Run", "Executar"}}));
  EXPECT_EQ(Translate("Run"), "Run");
  SelectLanguage("pt_BR");
  EXPECT_EQ(Translate("Run"), "Executar");
  EXPECT_EQ(&GnuGettext().FindDomain("DEFAULT"), &GnuGettext().FindDomain("default"));
  EXPECT_EQ(GnuGettext().TranslateInDomain("Default", "Run"), "Executar");

  QStringList languages;
  ListLanguages("default", languages);
  EXPECT_EQ(languages, (QStringList{"pt_br", "de", "it"}));
  // A catalogue on disk for an embedded language adds nothing.
  WriteBytes(install.Locale("de/LC_MESSAGES/default.mo"), CompileCatalogue({{"Run", "Laufen"}}));
  ListLanguages("default", languages);
  EXPECT_EQ(languages.size(), 3);
  SelectLanguage("de");
  EXPECT_EQ(Translate("Run"), "Starten") << "the embedded catalogue wins";

  // Other domains look in their own folder.
  QTemporaryDir other;
  WriteBytes(other.filePath("de/LC_MESSAGES/extra.mo"), CompileCatalogue({{"Run", "Rennen"}}));
  GnuGettext().BindDomainDirectory("extra", other.path());
  EXPECT_EQ(GnuGettext().TranslateInDomain("extra", "Run"), "Rennen");
  EXPECT_EQ(GnuGettext().FindDomain("extra").Directory(), other.path() + "/");
}

TEST(GnuGettext, ACatalogueWithoutUtf8TurnsTranslationsOffOnce) {
  Installation install;
  Environment env({{"LANG", "fr"}});
  RecordingDialogs dialogs;
  const auto& boxes = dialogs.boxes;
  {
    TLocalization l10n(install.Executable(), install.Table());
    WriteBytes(
        install.Locale("fr/LC_MESSAGES/default.mo"),
        CompileCatalogue({{"Run", "Lancer"}}, "Content-Type: text/plain; charset=ISO-8859-1\n"));
    EXPECT_EQ(Translate("Run"), "Run");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Localization problem");
    EXPECT_EQ(boxes[0].text, "The translation for the language code fr (in " +
                                 install.Locale("fr/LC_MESSAGES/default.mo") +
                                 ") does not have charset=utf-8 in its Content-Type. Translations "
                                 "are turned off.");
    SelectLanguage("de");
    EXPECT_EQ(Translate("Run"), "Run") << "the domain stays off";
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(l10n.Locator().OpenCatalogueCount(), 0u);
  }
  {
    // Field name and charset in other letter cases are accepted.
    TLocalization l10n(install.Executable(), install.Table());
    WriteBytes(install.Locale("fr/LC_MESSAGES/default.mo"),
               CompileCatalogue({{"Run", "Lancer"}}, "content-type: text/plain; CharSet=utf-8\n"));
    EXPECT_EQ(Translate("Run"), "Lancer");
    EXPECT_EQ(GnuGettext().FindDomain("default").HeaderField("CONTENT-TYPE"),
              "text/plain; CharSet=utf-8");
    EXPECT_EQ(boxes.size(), 1u);
  }
}

TEST(GnuGettext, ADamagedCatalogueIsReportedOnceAndTheTextsStayEnglish) {
  Installation install;
  Environment env({{"LANG", "fr"}});
  RecordingDialogs dialogs;
  TLocalization l10n(install.Executable(), install.Table());
  WriteBytes(install.Locale("fr/LC_MESSAGES/default.mo"), QByteArray("not a catalogue at all, no"));
  EXPECT_EQ(Translate("Run"), "Run");
  EXPECT_EQ(Translate("Exit"), "Exit");
  ASSERT_EQ(dialogs.boxes.size(), 1u) << "the damage is reported once, not for every text";
  EXPECT_TRUE(dialogs.boxes[0].text.startsWith("This file is not a valid GNU gettext mo file: "))
      << dialogs.boxes[0].text;
  EXPECT_TRUE(dialogs.boxes[0].text.contains("fr/LC_MESSAGES/default.mo"));
  // A language switch tries again; a mended catalogue then translates.
  WriteBytes(install.Locale("fr/LC_MESSAGES/default.mo"), CompileCatalogue({{"Run", "Lancer"}}));
  SelectLanguage("it");
  SelectLanguage("fr");
  EXPECT_EQ(Translate("Run"), "Lancer");
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST(GnuGettext, BuiltInTexts) {
  Installation install;
  Environment env({{"LANG", "de"}});
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  TLocalization l10n(install.Executable(), install.Table());
  EXPECT_EQ(TranslateResourceString(rsDone), "Fertig");
  EXPECT_EQ(TranslateResourceString(rsFileNotFound), "File not found") << "not in this catalogue";
  EXPECT_EQ(TranslateResourceString(65536), "ERROR");
  EXPECT_EQ(TranslateResourceString(100), "");
  QString worker;
  std::thread([&] { worker = TranslateResourceString(rsDone); }).join();
  EXPECT_EQ(worker, "Done") << "other threads get the English text";

  // Qt's own texts pass the translator while the hook is on.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
  EXPECT_EQ(QCoreApplication::translate("QShortcut", "Ctrl"), "Strg");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Save"), "Speichern")
      << "a text the program's table lacks comes from Qt's catalogue";
  THook hook;
  hook.Enable();
  hook.Disable();
  EXPECT_FALSE(hook.Enabled());
}

TEST(GnuGettext, QtsCatalogueOfEachLanguage) {
  const struct {
    const char* code;
    const char* file;  // in Qt's translations folder; nullptr: Qt keeps its own texts
  } cases[] = {{"de", "qtbase_de.qm"},
               {"de_AT", "qtbase_de.qm"},
               {"de_DE.UTF-8", "qtbase_de.qm"},
               {"it_IT@euro", "qtbase_it.qm"},
               {"it", "qtbase_it.qm"},
               {"fr_FR", "qtbase_fr.qm"},
               {"en", nullptr},
               {"en_GB", nullptr},
               {"C", nullptr},
               {"xx", nullptr}};
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  TBuiltInTextTranslator translator;
  for (const auto& c : cases) {
    translator.SelectQtLanguage(QString::fromLatin1(c.code));
    EXPECT_EQ(translator.QtCatalogue(),
              c.file ? QDir(folder).filePath(QString::fromLatin1(c.file)) : QString())
        << c.code;
  }
}

TEST(GnuGettext, HookWithoutApplication) {
  THook hook;
  try {
    hook.Enable();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Patch position in THook was nil when Enable was called");
  }
  EXPECT_THROW(hook.Disable(), Exception);
}
