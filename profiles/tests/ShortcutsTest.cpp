#include "DesktopEntryFields.h"
#include "QtPrinters.h"
#include "Shortcuts.h"

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
  EXPECT_EQ(f["MimeType"], "image/jpeg;");
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
  const char* cases[][3] = {
      {"de", "support", "https://lumvale.example/de/support/?version=10005"},
      {"de_AT", "update", "https://lumvale.example/de/update/?version=10005"},
      {"DE_ch", "support", "https://lumvale.example/de/support/?version=10005"},
      {"en", "update", "https://lumvale.example/en/update/?version=10005"},
      {"it", "support", "https://lumvale.example/en/support/?version=10005"},
      {"C", "support", "https://lumvale.example/en/support/?version=10005"},
      {"", "update", "https://lumvale.example/en/update/?version=10005"}};
  for (const auto& c : cases) EXPECT_EQ(WebPageAddress(c[0], c[1]), c[2]) << c[0];
}
