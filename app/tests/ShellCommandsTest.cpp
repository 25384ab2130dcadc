#include "AboutBox.h"
#include "BuiltCatalogues.h"
#include "DesktopEntryFields.h"
#include "ExecutablePath.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Shortcuts.h"
#include "TestInstallation.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace lumvale;
using namespace lumvale::test;

namespace {

class ShellCommandsTest : public testing::Test {
 protected:
  ShellCommandsTest()
      : install_(BuiltMessages("de"), BuiltMessages("it")),
        env_({{"LANG", "C"}}),
        l10n_(install_.Executable(), install_.Table()) {
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
    QDir(home.path()).mkpath("Desktop");
  }
  ~ShellCommandsTest() override {
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", savedHome_);
  }
  QByteArray savedHome_;
  Installation install_;
  Environment env_;
  TLocalization l10n_;
  ScriptedDialogs dialogs;
  QTemporaryDir home;
};

}  // namespace

TEST_F(ShellCommandsTest, DropletsAndSendToStartTheProgramWithTheProfile) {
  TfrmMain w(home.filePath("Lumvale.ini"));
  w.SelectProfile("Web \"small\" 100%");
  w.miCreateDropletMenu->trigger();
  w.miCreateSendtoforthecurrentprofile->trigger();
  const QString dir = QFileInfo(ExecutablePath()).absolutePath() + "/";
  const QString droplet = home.filePath("Desktop/Lumvale - Web \"small\" 100%.desktop");
  const QString sendTo = home.filePath("data/applications/Lumvale - Web \"small\" 100%.desktop");
  ASSERT_TRUE(QFileInfo::exists(droplet));
  ASSERT_TRUE(QFileInfo::exists(sendTo));
  for (const QString& path : {droplet, sendTo}) {
    const QMap<QString, QString> f = DesktopEntryFields(path);
    EXPECT_EQ(ParseExecLine(f["Exec"], {"/p/a.jpg", "/p/b c.JPG"}),
              (QStringList{dir + "lumvale", "-p:Web \"small\" 100%", "/p/a.jpg", "/p/b c.JPG"}));
    EXPECT_EQ(f["Comment"], "Lumvale - Profile Web \"small\" 100%");
    EXPECT_EQ(f["Path"], dir);
  }
  EXPECT_EQ(DesktopEntryFields(sendTo)["NoDisplay"], "true");
  EXPECT_TRUE(QFileInfo(droplet).isExecutable());
  w.miCreatedroplet->trigger();  // the same droplet again: rewritten, still one file
  EXPECT_EQ(QDir(home.filePath("Desktop")).entryList(QDir::Files).size(), 1);
}

TEST_F(ShellCommandsTest, TheUserIsToldWhereLaunchersWentAndCanRemoveThemWithTheProfile) {
  QDir(home.path()).mkpath("data/nautilus");  // Nautilus is set up for this user
  // No file manager installed on the search path: the folders alone decide.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", home.filePath("bin").toLocal8Bit());
  const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
  TfrmMain w(home.filePath("Lumvale.ini"));
  w.SelectProfile("Web");
  w.SaveProfile("Web");
  w.miCreateDropletMenu->trigger();
  w.miCreateSendTo->trigger();
  const QStringList launchers = {home.filePath("Desktop/Lumvale - Web.desktop"),
                                 home.filePath("data/applications/Lumvale - Web.desktop"),
                                 home.filePath("data/nautilus/scripts/Lumvale - Web")};
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].text,
            "The launchers of the profile \"Web\" were written:\n" + launchers[0]);
  EXPECT_EQ(dialogs.boxes[1].text, "The launchers of the profile \"Web\" were written:\n" +
                                       launchers[1] + "\n" + launchers[2]);
  for (const QString& path : launchers) EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();

  // Deleting the profile: its launchers would start the program with the defaults.
  dialogs.answers = {mbYes, mbYes};
  w.miDeletecurrentprofileClick();
  ASSERT_EQ(dialogs.boxes.size(), 4u);
  EXPECT_EQ(dialogs.boxes[3].text,
            "Remove the launchers of the profile \"Web\" too?\n" + launchers.join("\n"));
  for (const QString& path : launchers) EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
}

TEST_F(ShellCommandsTest, LaunchersSpeakEveryLanguageOfTheCatalogues) {
  TfrmMain w(home.filePath("Lumvale.ini"));
  w.SelectProfile("Web");
  // The desktop shows the comment in its own language, whichever the program runs in.
  for (const char* current : {"C", "de", "it"}) {
    SelectLanguage(current);
    w.miCreateDropletMenu->trigger();
    w.miCreateSendtoforthecurrentprofile->trigger();
    for (const char* folder : {"Desktop", "data/applications"}) {
      const QMap<QString, QString> f =
          DesktopEntryFields(home.filePath(QString(folder) + "/Lumvale - Web.desktop"));
      EXPECT_EQ(f["Comment"], "Lumvale - Profile Web") << current << " " << folder;
      EXPECT_EQ(f["Comment[de]"], "Lumvale - Profil Web") << current << " " << folder;
      EXPECT_EQ(f["Comment[it]"], "Lumvale - Profilo Web") << current << " " << folder;
      EXPECT_EQ(f["Icon"], "lumvale") << current << " " << folder;
    }
    EXPECT_EQ(CurrentLanguage(), current);
  }
}

TEST_F(ShellCommandsTest, WebPagesByLanguage) {
  TfrmMain w(home.filePath("Lumvale.ini"));
  w.miLinkSupport->trigger();
  w.miUpdate->trigger();
  SelectLanguage("de_AT");
  w.miLinkSupport->trigger();
  const QString version = "/?version=" + QString::number(kVersionNumber);
  EXPECT_EQ(dialogs.urls, (std::vector<QString>{"https://lumvale.example/en/support" + version,
                                                "https://lumvale.example/en/update" + version,
                                                "https://lumvale.example/de/support" + version}));
}

TEST_F(ShellCommandsTest, AboutBoxInEnglishAndGerman) {
  TfrmMain w(home.filePath("Lumvale.ini"));
  QString title, description, version;
  QSize logo;
  dialogs.dialogScript = [&](QDialog& d) {
    auto& about = static_cast<TfrmAbout&>(d);
    title = about.windowTitle();
    description = about.lbProgramNameSmall->text();
    version = about.lbVersion->text();
    logo = about.imgLogo->pixmap().size();
    QTest::mouseClick(about.lbURL, Qt::LeftButton);
    about.btOk->click();
    return about.result();
  };
  w.miAbout->trigger();
  EXPECT_EQ(title, "About Lumvale");
  EXPECT_EQ(description, "Downsizes JPEG photos in batches");
  EXPECT_EQ(version, QStringLiteral("V ") + kVersion);
  EXPECT_EQ(logo, QSize(128, 128));
  EXPECT_EQ(dialogs.urls, std::vector<QString>{"https://lumvale.example/"});
  SelectLanguage("de");
  w.miAbout->trigger();
  EXPECT_EQ(title, QString::fromUtf8("Über Lumvale"));
  EXPECT_EQ(description, "Verkleinert JPEG-Fotos stapelweise");
  EXPECT_EQ(version, QStringLiteral("V ") + kVersion);
}
