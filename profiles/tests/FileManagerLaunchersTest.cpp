// Each file manager's action for a profile, started as that file manager starts it: Thunar's
// and Dolphin's through GLib's rules for desktop entries (gio launch), Nautilus's script with
// the selection in its variable. The profile's name and two paths with blanks arrive whole.
#include "FileManagerLaunchers.h"
#include "QtPrinters.h"
#include "Shortcuts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace lumvale;

namespace {

// Sets environment variables for one test and restores them after it.
class Environment {
 public:
  Environment(std::initializer_list<std::pair<const char*, QString>> values) {
    for (const auto& [name, value] : values) {
      saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
      qputenv(name, value.toLocal8Bit());
    }
  }
  ~Environment() {
    for (const Saved& s : saved_) {
      if (s.was) {
        qputenv(s.name, s.value);
      } else {
        qunsetenv(s.name);
      }
    }
  }

 private:
  struct Saved {
    const char* name;
    bool was;
    QByteArray value;
  };
  std::vector<Saved> saved_;
};

// A stand-in for the program: writes its arguments, one per line, to a file.
QString Recorder(const QTemporaryDir& dir) {
  const QString path = dir.filePath("bin dir/lumvale");
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  // Written aside and renamed, so that the test never reads it half-written.
  f.write(("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.filePath("args.part") + "' && mv '" +
           dir.filePath("args.part") + "' '" + dir.filePath("args") + "'\n")
              .toUtf8());
  f.close();
  f.setPermissions(f.permissions() | QFile::ExeOwner);
  return path;
}

QStringList Recorded(const QTemporaryDir& dir) {
  for (int i = 0; i < 100 && !QFileInfo::exists(dir.filePath("args")); ++i) QThread::msleep(20);
  QFile f(dir.filePath("args"));
  f.open(QIODevice::ReadOnly);
  QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  QFile::remove(dir.filePath("args"));
  return lines;
}

// Starts a desktop entry's Exec line with files, by GLib's rules, through an application entry
// that carries that line (a service menu's action is not an application of its own).
void GioLaunch(const QTemporaryDir& dir, const QString& exec, const QStringList& files) {
  const QString entry = dir.filePath("launch.desktop");
  QFile f(entry);
  f.open(QIODevice::WriteOnly);
  f.write(("[Desktop Entry]\nType=Application\nName=x\nExec=" + exec + "\n").toUtf8());
  f.close();
  QProcess::execute("gio", QStringList{"launch", entry} + files);
}

}  // namespace

TEST(FileManagerLaunchers, EachStartsTheProfileWithTheFilesWhole) {
  if (QStandardPaths::findExecutable("gio").isEmpty()) GTEST_SKIP() << "gio is not installed";
  QTemporaryDir dir;
  Environment env({{"XDG_DATA_HOME", dir.filePath("data")},
                   {"PATH", "/usr/bin:/bin"}});  // no file manager installed: folders decide
  const QString data = dir.filePath("data");
  for (const char* folder : {"Thunar", "kio", "nautilus"}) QDir(data).mkpath(folder);
  const QString program = Recorder(dir);
  const QString profile = "Web small 'n \"big\"";
  const QStringList files = {dir.filePath("a photo.jpg"), dir.filePath("b  two blanks.JPG")};
  const QStringList expected = QStringList{"-p:" + profile} + files;

  const QStringList written = CreateFileManagerLaunchers(profile, program);
  const QString name = "Lumvale - " + profile;
  ASSERT_EQ(written, (QStringList{data + "/Thunar/sendto/" + name + ".desktop",
                                  data + "/kio/servicemenus/" + name + ".desktop",
                                  data + "/nautilus/scripts/" + name}));
  EXPECT_EQ(LaunchersOf(profile), written);

  // Thunar's entry is an application entry: started as it is.
  QProcess::execute("gio", QStringList{"launch", written[0]} + files);
  EXPECT_EQ(Recorded(dir), expected) << "Thunar";

  // Dolphin's: an executable service menu with the action in the submenu "Lumvale".
  const QSettings dolphin(written[1], QSettings::IniFormat);
  EXPECT_TRUE(QFileInfo(written[1]).isExecutable());
  EXPECT_EQ(dolphin.value("Desktop Entry/X-KDE-Submenu").toString(), "Lumvale");
  EXPECT_EQ(dolphin.value("Desktop Entry/Type").toString(), "Service");
  // Keyed by the profile, so that Dolphin's settings tell one profile's action from another's.
  const QString key = dolphin.value("Desktop Entry/Actions").toString().remove(u';');
  EXPECT_TRUE(QRegularExpression("^[A-Za-z0-9-]+$").match(key).hasMatch()) << key.toStdString();
  EXPECT_TRUE(dolphin.childGroups().contains("Desktop Action " + key)) << key.toStdString();
  QDir(data).mkpath("kio");
  const QString other = CreateFileManagerLaunchers("Web large", program)[1];
  EXPECT_NE(QSettings(other, QSettings::IniFormat).value("Desktop Entry/Actions").toString(),
            dolphin.value("Desktop Entry/Actions").toString());
  QFile menu(written[1]);
  menu.open(QIODevice::ReadOnly);
  QString exec;
  for (const QString& line : QString::fromUtf8(menu.readAll()).split(u'\n')) {
    if (line.startsWith("Exec=")) exec = line.mid(5);
  }
  GioLaunch(dir, exec, files);
  EXPECT_EQ(Recorded(dir), expected) << "Dolphin: " << exec.toStdString();

  // Nautilus's script, with the selection as Nautilus hands it over: one path per line.
  QProcess script;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", files.join(u'\n') + u'\n');
  script.setProcessEnvironment(e);
  script.start(written[2], {});
  ASSERT_TRUE(script.waitForFinished(10000));
  EXPECT_EQ(script.exitCode(), 0);
  EXPECT_EQ(Recorded(dir), expected) << "Nautilus";
}

TEST(FileManagerLaunchers, ProfilesThatShareADropletNameKeepTheirOwnLaunchers) {
  QTemporaryDir dir;
  Environment env({{"XDG_DATA_HOME", dir.filePath("data")}, {"PATH", dir.filePath("none")}});
  QDir(dir.filePath("data")).mkpath("nautilus");
  // "web.small" and "web.large" share the "Open With" entry's name, which ends at the dot: the
  // later one's entry replaces the earlier one's. Their scripts are two.
  for (const QString profile : {"web.small", "web.large"}) {
    CreateShortcut("Lumvale - " + profile, "/usr/bin/lumvale", TShortcutLocation::slSendTo, "",
                   "/usr/bin/", {"-p:" + profile}, profile, false);
    CreateFileManagerLaunchers(profile, "/usr/bin/lumvale");
  }
  const QString scripts = dir.filePath("data") + "/nautilus/scripts/";
  const QString entry = dir.filePath("data") + "/applications/Lumvale - web.desktop";
  EXPECT_EQ(LaunchersOf("web.small"), QStringList{scripts + "Lumvale - web.small"})
      << "the shared entry starts web.large: not web.small's to remove";
  EXPECT_EQ(LaunchersOf("web.large"), (QStringList{entry, scripts + "Lumvale - web.large"}));
  EXPECT_EQ(LaunchersOf("web"), QStringList());
}

TEST(FileManagerLaunchers, OnlyForTheFileManagersThatAreThere) {
  QTemporaryDir dir;
  Environment env({{"XDG_DATA_HOME", dir.filePath("data")}, {"PATH", dir.filePath("none")}});
  QDir(dir.filePath("data")).mkpath("nautilus");
  EXPECT_EQ(CreateFileManagerLaunchers("Web", "/usr/bin/lumvale"),
            QStringList{dir.filePath("data") + "/nautilus/scripts/Lumvale - Web"});
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
}
