#include "BuiltCatalogues.h"
#include "GnuGettext.h"
#include "JpegImage.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "StatusWindow.h"
#include "TestHeif.h"
#include "TestImages.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace lumvale;
using namespace lumvale::test;

namespace {

QStringList LanguageEntries(TfrmMain& w) {
  QStringList names;
  for (QAction* a : w.miSelectLanguage->actions()) {
    names << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isChecked() ? "*" : ""));
  }
  return names;
}

// The program's catalogues, embedded as the build made them.
class WithCatalogues : public testing::Test {
 protected:
  WithCatalogues() : install_(BuiltMessages("de"), BuiltMessages("it")) {}
  QString Ini() const { return dir.filePath("Lumvale.ini"); }
  Installation install_;
  ScriptedDialogs dialogs;
  QTemporaryDir dir;
};

}  // namespace

TEST_F(WithCatalogues, LanguageMenu) {
  Environment env({{"LANG", "de_AT.UTF-8"}});
  TLocalization l10n(install_.Executable(), install_.Table());
  {
    TfrmMain w(Ini());
    EXPECT_EQ(LanguageEntries(w),
              (QStringList{"English (en)", "Deutsch (de)*", "Italiano (it)", "-", "Systemsprache"}))
        << "de_AT checks the German item";
    EXPECT_EQ(w.LanguageCodes, (QStringList{"en", "de", "it"}));
    EXPECT_EQ(w.btRun->text(), "Starten");

    w.miSelectLanguage->actions()[2]->trigger();  // Italiano
    EXPECT_EQ(CurrentLanguage(), "it");
    EXPECT_EQ(w.btRun->text(), "Avvia") << "retranslated at once";
    EXPECT_EQ(w.miFile->title(), "File");
    EXPECT_EQ(w.miOptions->title(), "Opzioni");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith("Riavvia")) << "the message in the new language";
    EXPECT_EQ(LanguageEntries(w)[2], "Italiano (it)*");
    EXPECT_EQ(QSettings(Ini(), QSettings::IniFormat).value("settings/language").toString(), "it");
  }
  {
    // The stored language wins over the system's at the next start.
    TfrmMain w(Ini());
    EXPECT_EQ(CurrentLanguage(), "it");
    EXPECT_EQ(w.btRun->text(), "Avvia");
    w.miSelectLanguage->actions()[0]->trigger();  // English
    EXPECT_EQ(w.btRun->text(), "Run");
    EXPECT_EQ(QSettings(Ini(), QSettings::IniFormat).value("settings/language").toString(), "en");
    w.miLanguageDefault->trigger();
    EXPECT_EQ(CurrentLanguage(), "de_AT") << "the system's choice again";
    EXPECT_EQ(QSettings(Ini(), QSettings::IniFormat).value("settings/language").toString(), "");
    EXPECT_EQ(LanguageEntries(w)[1], "Deutsch (de)*");
  }
}

TEST_F(WithCatalogues, LanguagesOnDiskAndTheFullCodeWins) {
  for (const char* code : {"pt", "pt_BR", "xx"}) {
    WriteBytes(install_.Locale(QString(code) + "/LC_MESSAGES/default.mo"),
               CompileCatalogue({{"Run", "Executar"}}));
  }
  Environment env({{"LANG", "pt_BR"}});
  TLocalization l10n(install_.Executable(), install_.Table());
  TfrmMain w(Ini());
  const QStringList entries = LanguageEntries(w);
  EXPECT_TRUE(entries.contains(QString::fromUtf8("Português (pt)")) ||
              entries.contains(QString::fromUtf8("Português (pt)*")))
      << entries.join(", ");
  EXPECT_TRUE(entries.contains("xx")) << "no native name: the bare code";
  // On disk the folder is listed in lower case: pt_br shows "Português" and matches no full code,
  // so the two-letter match checks "pt".
  EXPECT_TRUE(entries.contains(QString::fromUtf8("Português (pt_br)")));
  EXPECT_TRUE(entries.contains(QString::fromUtf8("Português (pt)*"))) << entries.join(", ");
}

TEST_F(WithCatalogues, CommandLineBatch) {
  Environment env({{"LANG", "C"}});
  TLocalization l10n(install_.Executable(), install_.Table());
  QSettings(Ini(), QSettings::IniFormat).setValue("profiles/Web/cbmaxwidth", "1");
  QSettings(Ini(), QSettings::IniFormat).setValue("profiles/Web/maxwidth", "32");
  QSettings(Ini(), QSettings::IniFormat).setValue("profiles/Web/ext", "web");
  for (const char* name : {"a.jpg", "b.JPG", "c.png", "d.jpeg"}) {
    WriteFile(dir.filePath(name), MakeJpeg({.width = 64, .height = 48}));
  }
  WriteFile(dir.filePath("h.HEIC"), EncodeHeif({.width = 64, .height = 48}));
  WriteFile(dir.filePath("v.avif"), EncodeHeif({.width = 64, .height = 48, .av1 = true}));
  struct Case {
    QStringList args;
    QStringList written;
    int total;
    bool ends;
  };
  const QString longName = QString(120, u'L');
  const Case cases[] = {
      {{"-p:Web", dir.filePath("a.jpg"), dir.filePath("b.JPG"), dir.filePath("c.png")},
       {"a_web.jpg", "b_web.jpg"},
       4,
       true},
      {{"-p:Web"}, {}, 1, false},
      // Every JPEG name is a photo; other files are not.
      {{dir.filePath("c.png"), dir.filePath("d.jpeg")}, {"d_small.jpg"}, 2, true},
      {{"-P:Web", dir.filePath("a.jpg")}, {"a_small.jpg"}, 2, true},
      // and so is every HEIF name, a phone's in capitals too.
      {{"-p:Web", dir.filePath("h.HEIC"), dir.filePath("v.avif")}, {"h_web.jpg", "v_web.jpg"}, 3,
       true},
      {{dir.filePath("missing.jpg")}, {}, 1, true},
      {{"-p:" + longName}, {}, 1, false},
  };
  for (const Case& c : cases) {
    for (const QString& f : QDir(dir.path()).entryList({"*_*.jpg"}, QDir::Files))
      QFile::remove(dir.filePath(f));
    TfrmMain w(Ini());
    w.Arguments = c.args;
    int total = -1;
    QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
      if (line == "Done") total = frmImagePopup->pg->maximum() / 3;
    });
    w.show();
    QTest::qWait(50);
    EXPECT_EQ(total, c.total) << c.args.join(' ');
    QStringList written = QDir(dir.path()).entryList({"*_*.jpg"}, QDir::Files);
    written.sort();
    EXPECT_EQ(written, c.written) << c.args.join(' ');
    EXPECT_EQ(w.Terminating, c.ends) << c.args.join(' ');
    EXPECT_FALSE(w.Running);
    if (c.args.value(0) == "-p:" + longName) {
      EXPECT_EQ(w.ActiveProfile, longName.left(100));
    }
    for (const QString& name : c.written) {
      if (!name.endsWith("_web.jpg")) continue;
      TJPEGImage jpeg;
      jpeg.LoadFromFile(dir.filePath(name));
      EXPECT_EQ(jpeg.Width(), 32) << "the profile's width limit: " << name.toStdString();
    }
  }
}

TEST_F(WithCatalogues, CommandLineCancelAndErrorKeepTheProgramOpen) {
  Environment env({{"LANG", "C"}});
  TLocalization l10n(install_.Executable(), install_.Table());
  for (const char* name : {"a.jpg", "b.jpg"}) {
    WriteFile(dir.filePath(name), MakeJpeg({.width = 64, .height = 48}));
  }
  WriteFile(dir.filePath("bad.jpg"), {'n', 'o'});
  {
    TfrmMain w(Ini());
    w.Arguments = {dir.filePath("a.jpg"), dir.filePath("b.jpg")};
    QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
      if (line == "Loading image a.jpg") frmImagePopup->btCancel->click();
    });
    w.show();
    QTest::qWait(50);
    EXPECT_EQ(w.LastBatch, TBatchOutcome::cancelled);
    EXPECT_FALSE(w.Terminating);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("a_small.jpg")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b_small.jpg")));
  }
  {
    TfrmMain w(Ini());
    w.Arguments = {dir.filePath("bad.jpg"), dir.filePath("b.jpg")};
    w.show();
    QTest::qWait(50);
    EXPECT_EQ(w.LastBatch, TBatchOutcome::error);
    EXPECT_FALSE(w.Terminating);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith("Error while processing \"" +
                                                 dir.filePath("bad.jpg") + "\":\r\nJPEG-Fehler"))
        << dialogs.boxes[0].text;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b_small.jpg")));
  }
}
