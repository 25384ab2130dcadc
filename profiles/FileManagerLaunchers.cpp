#include "FileManagerLaunchers.h"

#include "Exception.h"
#include "PlatformTexts.h"
#include "Shortcuts.h"
#include "TextMarker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace lumvale {

namespace {

QString DataHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// The action's file name: the whole profile name (a "/" cannot be in a file name), so that
// profiles that differ only after a dot get actions of their own.
QString BaseName(const QString& profile) {
  return QStringLiteral("Lumvale - ") + QString(profile).replace(u'/', u'_');
}

// Whether a launcher starts this very profile: two profiles may share a launcher's file name
// (the droplet's name ends at the profile name's last dot).
bool StartsProfile(const QString& path, const QString& profile) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(file.readAll());
  const QString argument = QStringLiteral("-p:") + profile;
  if (!path.endsWith(QLatin1String(".desktop"))) return text.contains(ShellQuote(argument));
  for (const QString& line : text.split(u'\n')) {
    if (line.startsWith(QLatin1String("Exec=")) &&
        ParseExecLine(line.mid(5), {}).contains(argument)) {
      return true;
    }
  }
  return false;
}

struct FileManager {
  const char* folder;   // below $XDG_DATA_HOME
  const char* program;  // its executable
  const char* actions;  // where its actions live, below folder
  const char* suffix;   // of an action's file name
};
constexpr FileManager kThunar{"Thunar", "thunar", "sendto", ".desktop"};
constexpr FileManager kDolphin{"kio", "dolphin", "servicemenus", ".desktop"};
constexpr FileManager kNautilus{"nautilus", "nautilus", "scripts", ""};

// Whether the file manager is set up for this user or installed.
bool Present(const FileManager& fm) {
  return QFileInfo(DataHome() + u'/' + QLatin1String(fm.folder)).isDir() ||
         !QStandardPaths::findExecutable(QLatin1String(fm.program)).isEmpty();
}

// The path a profile's action has, whether or not it exists.
QString ActionPath(const FileManager& fm, const QString& profile) {
  return DataHome() + u'/' + QLatin1String(fm.folder) + u'/' + QLatin1String(fm.actions) + u'/' +
         BaseName(profile) + QLatin1String(fm.suffix);
}

void Write(const QString& path, const QString& text, bool executable) {
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot write file \"%1\". %2")).arg(path, file.errorString()));
  }
  if (executable) {
    QFile::setPermissions(
        path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
  }
}

}  // namespace

QString ShellQuote(const QString& text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

QStringList CreateFileManagerLaunchers(const QString& profile, const QString& program) {
  const QString name = EscapeValue(BaseName(profile));
  // Dolphin's settings list context-menu actions by their key: each profile keys its own, with
  // only the letters and digits a key may hold.
  const QString key = QStringLiteral("profile-") + QString::fromLatin1(profile.toUtf8().toHex());
  const QString exec = ExecLine(program, {QStringLiteral("-p:") + profile});
  const struct {
    const FileManager& fm;
    QString text;
    bool executable;
  } actions[] = {
      // Thunar offers the entries of its sendto folder for the files of their MIME types.
      {kThunar,
       QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=") + name +
           QStringLiteral("\nIcon=lumvale\nExec=") + exec +
           QStringLiteral("\nMimeType=image/jpeg;image/heic;image/heif;image/avif;\n"),
       false},
      // One file per profile; all of them land in the one submenu "Lumvale". Dolphin runs only
      // service menus that are executable.
      {kDolphin,
       QStringLiteral("[Desktop Entry]\nType=Service\nMimeType=image/jpeg;image/heic;image/heif;image/avif;\n"
                      "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\nX-KDE-Submenu=Lumvale\n"
                      "Actions=") +
           key + QStringLiteral(";\n\n[Desktop Action ") + key + QStringLiteral("]\nName=") + name +
           QStringLiteral("\nIcon=lumvale\nExec=") + exec + u'\n',
       true},
      // Nautilus hands the selection over as one path per line; split there only, never at a
      // blank, and with no file name patterns expanded.
      {kNautilus,
       QStringLiteral("#!/bin/sh\n# Lumvale: the selected files to the profile given below.\n"
                      "IFS='\n'\nset -f\nexec ") +
           ShellQuote(program) + u' ' + ShellQuote(QStringLiteral("-p:") + profile) +
           QStringLiteral(" $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n"),
       true},
  };
  QStringList written;
  for (const auto& a : actions) {
    if (!Present(a.fm)) continue;
    Write(ActionPath(a.fm, profile), a.text, a.executable);
    written << ActionPath(a.fm, profile);
  }
  return written;
}

QStringList LaunchersOf(const QString& profile) {
  const QString file = ShortcutFileName(QStringLiteral("Lumvale - ") + profile);
  QStringList candidates;
  for (TShortcutLocation location : {TShortcutLocation::slDesktop, TShortcutLocation::slSendTo}) {
    const QString folder = ShortcutFolder(location, false);
    if (!folder.isEmpty()) candidates << folder + u'/' + file;
  }
  for (const FileManager* fm : {&kThunar, &kDolphin, &kNautilus}) {
    candidates << ActionPath(*fm, profile);
  }
  QStringList existing;
  for (const QString& path : candidates) {
    if (StartsProfile(path, profile)) existing << path;
  }
  return existing;
}

}  // namespace lumvale
