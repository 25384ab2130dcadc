// The main window in German and Italian from the program's own catalogues, and back.
#include "BuiltCatalogues.h"
#include "FileBytes.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "TestInstallation.h"
#include "WindowTranslation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// The language menu's item for a code, chosen as a user chooses it.
void PickLanguage(TfrmMain& w, const char* code) {
  QAction* item = w.findChild<QAction*>(QStringLiteral("miLanguage_%1").arg(code));
  if (!item) item = w.miLanguageEnglish;
  item->trigger();
}

}  // namespace

TEST(TranslatedMainWindow, FollowsTheLanguage) {
  // The catalogues the build made from po/de.po and po/it.po, on disk beside a test executable.
  Installation install({}, {});
  for (const char* code : {"de", "it"}) {
    WriteBytes(install.Locale(QStringLiteral("%1_XX/LC_MESSAGES/default.mo").arg(code)),
               Read(QStringLiteral(LUMVALE_CATALOGUE_DIR "/%1/LC_MESSAGES/default.mo").arg(code)));
  }
  Environment env({{"LANG", "de_XX"}});
  TLocalization l10n(install.Executable(), install.Table());
  TfrmMain w;
  EXPECT_EQ(w.btRun->text(), "Starten");
  EXPECT_EQ(w.gbMaxSize->title(), QString::fromUtf8("Maximale Größe"));
  EXPECT_EQ(w.findChild<QMenu*>("miFile")->title(), "Datei");
  EXPECT_EQ(w.findChild<QAction*>("miExit")->text(), "Beenden");
  EXPECT_EQ(w.lbPrefixExample->text(), "Beispiel: DCSF1234_klein.jpg") << "the default addition";
  EXPECT_EQ(w.windowTitle(), "Lumvale - Software zum Verkleinern von Bildern");
  ScriptedDialogs dialogs;
  w.btOpen->click();

  SelectLanguage("it_XX");
  RetranslateComponent(&w);
  EXPECT_EQ(w.btRun->text(), "Avvia");
  w.btOpen->click();
  EXPECT_EQ(dialogs.fileFilters,
            (std::vector<QString>{"Fotos (*.jpg *.jpeg *.jpe *.jfif *.heic *.heif *.hif *.avif);;Alle Dateien (*)",
                                  "Foto (*.jpg *.jpeg *.jpe *.jfif *.heic *.heif *.hif *.avif);;Tutti i file (*)"}));
  EXPECT_EQ(w.findChild<QAction*>("miExit")->text(), "Esci");
  SelectLanguage("en");
  RetranslateComponent(&w);
  EXPECT_EQ(w.btRun->text(), "Run");
  EXPECT_EQ(w.gbMaxSize->title(), "Maximum Size");
  EXPECT_EQ(w.findChild<QAction*>("miCreateDropletMenu")->text(),
            "Create Droplet for the current profile");
}

TEST(TranslatedMainWindow, ALanguageSwitchKeepsTheLoadedSettings) {
  Installation install(BuiltMessages("de"), BuiltMessages("it"));
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  RecordingDialogs dialogs;
  QTemporaryDir dir;
  const QString ini = dir.filePath("Lumvale.ini");
  {
    QSettings stored(ini, QSettings::IniFormat);
    stored.beginGroup("profiles/Web");
    for (const auto& [key, value] : {std::pair{"quality", "75"},
                                     {"maxwidth", "1024"},
                                     {"maxheight", "768"},
                                     {"filesize", "250"},
                                     {"ext", "web"},
                                     {"cbmaxwidth", "1"},
                                     {"cbfilesize", "1"}}) {
      stored.setValue(key, value);
    }
  }
  TfrmMain w(ini);
  w.SelectProfile("Web");
  w.LoadProfile("Web");
  const auto values = [&] {
    return QStringList{w.edWidth->text(),    w.edHeight->text(),
                       w.edQuality->text(),  QString::number(w.tbQuality->value()),
                       w.edFilesize->text(), w.edAddExt->text()};
  };
  const QStringList loaded{"1024", "768", "75", "75", "250", "web"};
  ASSERT_EQ(values(), loaded);
  ASSERT_EQ(w.btRun->text(), "Starten");
  // The menu's way: de -> it -> en.
  for (const char* code : {"it", "en"}) {
    PickLanguage(w, code);
    EXPECT_EQ(values(), loaded) << code;
    EXPECT_EQ(w.btRun->text(), *code == 'i' ? "Avvia" : "Run");
  }
  EXPECT_EQ(w.btRun->text(), "Run");
  w.miUpdatecurrentprofileClick();
  QSettings stored(ini, QSettings::IniFormat);
  EXPECT_EQ(stored.value("profiles/Web/maxwidth").toString(), "1024");
  EXPECT_EQ(stored.value("profiles/Web/quality").toString(), "75");
}

TEST(TranslatedMainWindow, EveryMenuTitleFollowsASwitch) {
  // Started in German and switched by the menu to Italian and then English: every menu and
  // submenu, and the item that opens it, reads as in a window started in that language.
  Installation install(BuiltMessages("de"), BuiltMessages("it"));
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  RecordingDialogs dialogs;
  QTemporaryDir dir;
  const auto titles = [](const TfrmMain& window) {
    QStringList all;
    for (const QMenu* menu : window.findChildren<QMenu*>()) {
      if (menu->objectName().isEmpty()) continue;  // Qt's own, of line edits and the like
      all << menu->objectName() + ": " + menu->title() + " / " + menu->menuAction()->text();
    }
    all.sort();
    return all;
  };
  TfrmMain w(dir.filePath("switched.ini"));
  ASSERT_TRUE(titles(w).join('\n').contains("Sprachen")) << titles(w).join('\n').toStdString();
  for (const char* code : {"it", "en"}) {
    PickLanguage(w, code);
    const QStringList switched = titles(w);
    TfrmMain fresh(dir.filePath(QStringLiteral("fresh-%1.ini").arg(code)));
    EXPECT_EQ(switched, titles(fresh)) << code;
    EXPECT_EQ(switched.filter("Sprachen"), QStringList()) << code;
  }
}
