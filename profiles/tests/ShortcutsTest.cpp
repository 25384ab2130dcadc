#include "DesktopEntryFields.h"
#include "QtPrinters.h"
#include "Shortcuts.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using namespace lumvale;

TEST(Shortcuts, FileNames) {
  const char* cases[][2] = {
      {"Lumvale - default", "Lumvale - default.desktop"},
      {"Lumvale - web.small", "Lumvale - web.desktop"},
      {"Lumvale - a/b", "b.desktop"},
      {"Lumvale - c:d.e", "d.desktop"},
      {"Lumvale - x.y/z", "z.desktop"},
      {"Lumvale - trailing.", "Lumvale - trailing.desktop"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortcutFileName(c[0]), c[1]) << c[0];
}

TEST(Shortcuts, ExecLinesArriveWhole) {
  const QStringList names = {"default",   "Web small", "it's \"quoted\"", "100% $HOME `x` \\n",
                             "tab\there", "ünïcödé"};
  const QStringList files = {"/photos/a b.jpg", "/photos/c.JPG"};
  for (const QString& name : names) {
    const QString target = "/opt/lumvale dir/lumvale";
    const QStringList parsed = ParseExecLine(ExecLine(target, {"-p:" + name}), files);
    EXPECT_EQ(parsed, (QStringList{target, "-p:" + name} + files)) << name;
  }
  EXPECT_EQ(QuoteExecArgument("-p:Web"), "-p:Web");
  EXPECT_EQ(QuoteExecArgument("-p:a b"), "\"-p:a b\"");
  EXPECT_EQ(QuoteExecArgument("50%"), "50%%");
  EXPECT_EQ(ExecLine("/x/lumvale", {"-p:a\\b"}), "/x/lumvale \"-p:a\\\\\\\\b\" %F")
      << "a backslash is escaped for the quoting and again for the file";
}

TEST(Shortcuts, LaunchersAreWrittenReplacedOrLeftOut) {
  QTemporaryDir dir;
  const QString path = CreateShortcut(
      "Lumvale - Web small", "/opt/lumvale/lumvale", TShortcutLocation::slExplicitFolder,
      dir.path(), "/opt/lumvale/", {"-p:Web small"}, "Lumvale - Profile Web small", false);
  ASSERT_EQ(path, dir.filePath("Lumvale - Web small.desktop"));
  QMap<QString, QString> f = DesktopEntryFields(path);
  EXPECT_EQ(f["Type"], "Application");
  EXPECT_EQ(f["Name"], "Lumvale - Web small");
  EXPECT_EQ(f["Comment"], "Lumvale - Profile Web small");
  EXPECT_EQ(f["Path"], "/opt/lumvale/");
  EXPECT_EQ(f["MimeType"], "image/jpeg;image/heic;image/heif;image/avif;");
  EXPECT_EQ(ParseExecLine(f["Exec"], {"/a.jpg"}),
            (QStringList{"/opt/lumvale/lumvale", "-p:Web small", "/a.jpg"}));
  EXPECT_FALSE(f.contains("NoDisplay"));

  // The same name again replaces the file; no working folder means the target's folder.
  CreateShortcut("Lumvale - Web small", "/usr/bin/lumvale", TShortcutLocation::slExplicitFolder,
                 dir.path(), "", {"-p:Web small"}, "changed", false);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
  f = DesktopEntryFields(path);
  EXPECT_EQ(f["Comment"], "changed");
  EXPECT_EQ(f["Path"], "/usr/bin/");

  // An unknown folder writes nothing.
  EXPECT_EQ(CreateShortcut("x", "/t", TShortcutLocation::slExplicitFolder, "", "", {}, "", false),
            "");
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slDesktop, true), "") << "no desktop for all users";
}

TEST(Shortcuts, UserFolders) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slDesktop, false), "") << "no desktop folder yet";
  QDir(home.path()).mkpath("Desktop");
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slDesktop, false), home.filePath("Desktop"));
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slSendTo, false), home.filePath("data/applications"));
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slStartup, false), home.filePath("config/autostart"));
  EXPECT_EQ(ShortcutFolder(TShortcutLocation::slSendTo, true), "/usr/share/applications");

  const QString droplet =
      CreateShortcut("Lumvale - default", "/opt/l/lumvale", TShortcutLocation::slDesktop, "",
                     "/opt/l/", {"-p:default"}, "Lumvale - Profile default", false);
  EXPECT_EQ(droplet, home.filePath("Desktop/Lumvale - default.desktop"));
  EXPECT_TRUE(QFileInfo(droplet).isExecutable());
  const QString sendTo =
      CreateShortcut("Lumvale - default", "/opt/l/lumvale", TShortcutLocation::slSendTo, "",
                     "/opt/l/", {"-p:default"}, "Lumvale - Profile default", false);
  EXPECT_EQ(sendTo, home.filePath("data/applications/Lumvale - default.desktop"));
  EXPECT_EQ(DesktopEntryFields(sendTo)["NoDisplay"], "true");
}

TEST(Shortcuts, WebPages) {
  const char* cases[][3] = {{"de", "support", "https://lumvale.example/de/support/?version="},
                            {"de_AT", "update", "https://lumvale.example/de/update/?version="},
                            {"DE_ch", "support", "https://lumvale.example/de/support/?version="},
                            {"en", "update", "https://lumvale.example/en/update/?version="},
                            {"it", "support", "https://lumvale.example/en/support/?version="},
                            {"C", "support", "https://lumvale.example/en/support/?version="},
                            {"", "update", "https://lumvale.example/en/update/?version="}};
  // The site tells versions apart by the project's version number.
  for (const auto& c : cases) {
    EXPECT_EQ(WebPageAddress(c[0], c[1]), c[2] + QString::number(kVersionNumber)) << c[0];
  }
}

TEST(Shortcuts, LaunchersCarryTheirCommentInEveryLanguageAndTheIcon) {
  QTemporaryDir dir;
  const QMap<QString, QString> translations = {{"de", "Lumvale - Profil Web"},
                                               {"it", "Lumvale - Profilo Web"},
                                               {"pt_br", "Lumvale - Perfil\nWeb"}};
  const QString path =
      CreateShortcut("Lumvale - Web", "/opt/lumvale/lumvale", TShortcutLocation::slExplicitFolder,
                     dir.path(), "", {}, "Lumvale - Profile Web", false, translations);
  const QMap<QString, QString> f = DesktopEntryFields(path);
  EXPECT_EQ(f["Comment"], "Lumvale - Profile Web");
  EXPECT_EQ(f["Comment[de]"], "Lumvale - Profil Web");
  EXPECT_EQ(f["Comment[it]"], "Lumvale - Profilo Web");
  EXPECT_EQ(f["Comment[pt_BR]"], "Lumvale - Perfil\\nWeb")
      << "escaped as any value, with the country in capitals";
  EXPECT_EQ(f["Icon"], "lumvale");

  // Without translations only the plain comment is written.
  CreateShortcut("Lumvale - Web", "/opt/lumvale/lumvale", TShortcutLocation::slExplicitFolder,
                 dir.path(), "", {}, "Lumvale - Profile Web", false);
  const QMap<QString, QString> plain = DesktopEntryFields(path);
  EXPECT_EQ(plain["Comment"], "Lumvale - Profile Web");
  EXPECT_EQ(plain["Icon"], "lumvale");
  for (const QString& key : plain.keys()) EXPECT_FALSE(key.startsWith("Comment[")) << key;
}
