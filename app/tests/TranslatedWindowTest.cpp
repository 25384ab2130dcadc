// The main window in German and Italian from the program's own catalogues, and back.
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "TestInstallation.h"
#include "WindowTranslation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

using namespace lumvale;
using namespace lumvale::test;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

}  // namespace

TEST(TranslatedMainWindow, FollowsTheLanguage) {
  // The catalogues the build made from po/de.po and po/it.po, on disk beside a test executable.
  Installation install({}, {});
  for (const char* code : {"de", "it"}) {
    WriteBytes(
        install.Locale(QStringLiteral("%1_XX/LC_MESSAGES/default.mo").arg(code)),
        ReadFile(QStringLiteral(LUMVALE_CATALOGUE_DIR "/%1/LC_MESSAGES/default.mo").arg(code)));
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

  SelectLanguage("it_XX");
  RetranslateComponent(&w);
  EXPECT_EQ(w.btRun->text(), "Avvia");
  EXPECT_EQ(w.findChild<QAction*>("miExit")->text(), "Esci");
  SelectLanguage("en");
  RetranslateComponent(&w);
  EXPECT_EQ(w.btRun->text(), "Run");
  EXPECT_EQ(w.gbMaxSize->title(), "Maximum Size");
  EXPECT_EQ(w.findChild<QAction*>("miCreateDropletMenu")->text(),
            "Create Droplet for the current profile");
}
