// Translations for the layers around the engine: the platform layer's texts, which it asks for
// through the translator that the localization installs there, and texts in a language other
// than the current one, as a launcher carries them for every language.
#include "Catalogues.h"
#include "GnuGettext.h"
#include "PlatformTexts.h"
#include "QtPrinters.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <thread>

using namespace lumvale;
using namespace lumvale::test;

TEST(TranslationServices, ThePlatformLayerTranslatesWhileTheLocalizationIsSetUp) {
  Installation install;
  Environment env({{"LANG", "de_DE.UTF-8"}});
  EXPECT_EQ(TranslatePlatformText("Run"), "Run") << "before the localization: English";
  {
    TLocalization l10n(install.Executable(), install.Table());
    EXPECT_EQ(TranslatePlatformText("Run"), "Starten");
    EXPECT_EQ(TranslatePlatformText("two\nlines"), "zwei\r\nZeilen") << "as Translate gives it";
    EXPECT_EQ(TranslatePlatformText("Not in the catalogue"), "Not in the catalogue");
    QString worker;
    std::thread([&] { worker = TranslatePlatformText("Run"); }).join();
    EXPECT_EQ(worker, "Run") << "only the thread that made the engine translates";
    SelectLanguage("it");
    EXPECT_EQ(TranslatePlatformText("Run"), "Avvia") << "the current language";
  }
  EXPECT_EQ(TranslatePlatformText("Run"), "Run") << "after the localization: English again";
}

TEST(TranslationServices, TextsInAnotherLanguageLeaveTheCurrentOneAlone) {
  Installation install;
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  const struct {
    const char* language;
    const char* text;
    const char* translation;
  } cases[] = {
      {"it", "Run", "Avvia"},
      {"de", "Run", "Starten"},
      {"de_AT", "Run", "Starten"},  // falls back to the first two letters, as the current one
      {"de", "two\nlines", "zwei\r\nZeilen"},
      {"fr", "Run", "Run"},
      {"it", "Done", "Done"},  // not in the Italian catalogue
      {"", "Run", "Run"},
  };
  for (const char* current : {"de", "it", "en"}) {
    SelectLanguage(current);
    const QString inCurrent = Translate("Run");
    for (const auto& c : cases) {
      EXPECT_EQ(TranslateInLanguage(c.language, c.text), QString::fromUtf8(c.translation))
          << current << " " << c.language << " " << c.text;
    }
    EXPECT_EQ(CurrentLanguage(), current);
    EXPECT_EQ(Translate("Run"), inCurrent) << "the current language's catalogue is untouched";
  }

  // A catalogue added on disk is found for its language, and a new folder of the domain is
  // followed.
  WriteBytes(install.Locale("pt_BR/LC_MESSAGES/default.mo"),
             CompileCatalogue({{"Run", "Executar"}}));
  EXPECT_EQ(TranslateInLanguage("pt_BR", "Run"), "Executar");
  QTemporaryDir other;
  WriteBytes(other.filePath("pt_BR/LC_MESSAGES/default.mo"), CompileCatalogue({{"Run", "Correr"}}));
  GnuGettext().BindDomainDirectory("default", other.path());
  EXPECT_EQ(TranslateInLanguage("pt_BR", "Run"), "Correr");
}
