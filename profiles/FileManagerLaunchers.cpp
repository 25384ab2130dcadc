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
};
constexpr FileManager kThunar{"Thunar", "thunar", "sendto"};
constexpr FileManager kDolphin{"kio", "dolphin", "servicemenus"};
constexpr FileManager kNautilus{"nautilus", "nautilus", "scripts"};

// The folder of a file manager's actions, or an empty text when the file manager is neither
// set up for this user nor installed.
QString ActionsFolder(const FileManager& fm) {
  const QString base = DataHome() + u'/' + QLatin1String(fm.folder);
  if (!QFileInfo(base).isDir() &&
      QStandardPaths::findExecutable(QLatin1String(fm.program)).isEmpty()) {
    return {};
  }
  return base + u'/' + QLatin1String(fm.actions);
}

// The paths a profile's actions have, whether or not they exist.
QString ThunarPath(const QString& profile) {
  return DataHome() + QStringLiteral("/Thunar/sendto/") + BaseName(profile) +
         QStringLiteral(".desktop");
}
QString DolphinPath(const QString& profile) {
  return DataHome() + QStringLiteral("/kio/servicemenus/") + BaseName(profile) +
         QStringLiteral(".desktop");
}
QString NautilusPath(const QString& profile) {
  return DataHome() + QStringLiteral("/nautilus/scripts/") + BaseName(profile);
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
  const QString name = BaseName(profile);
  const QString exec = ExecLine(program, {QStringLiteral("-p:") + profile});
  QStringList written;
  if (!ActionsFolder(kThunar).isEmpty()) {
    // Thunar offers the entries of its sendto folder for the files of their MIME types.
    Write(ThunarPath(profile),
          QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=") +
              EscapeValue(name) + QStringLiteral("\nIcon=lumvale\nExec=") + exec +
              QStringLiteral("\nMimeType=image/jpeg;\n"),
          false);
    written << ThunarPath(profile);
  }
  if (!ActionsFolder(kDolphin).isEmpty()) {
    // One file per profile; all of them land in the one submenu "Lumvale". Dolphin runs only
    // service menus that are executable.
    Write(DolphinPath(profile),
          QStringLiteral("[Desktop Entry]\nType=Service\nMimeType=image/jpeg;\n"
                         "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\nX-KDE-Submenu=Lumvale\n"
                         "Actions=profile;\n\n[Desktop Action profile]\nName=") +
              EscapeValue(name) + QStringLiteral("\nIcon=lumvale\nExec=") + exec + u'\n',
          true);
    written << DolphinPath(profile);
  }
  if (!ActionsFolder(kNautilus).isEmpty()) {
    // Nautilus hands the selection over as one path per line; split there only, never at a
    // blank, and with no file name patterns expanded.
    Write(NautilusPath(profile),
          QStringLiteral("#!/bin/sh\n# Lumvale: the selected files to the profile given below.\n"
                         "IFS='\n'\nset -f\nexec ") +
              ShellQuote(program) + u' ' + ShellQuote(QStringLiteral("-p:") + profile) +
              QStringLiteral(" $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n"),
          true);
    written << NautilusPath(profile);
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
  candidates << ThunarPath(profile) << DolphinPath(profile) << NautilusPath(profile);
  QStringList existing;
  for (const QString& path : candidates) {
    if (StartsProfile(path, profile)) existing << path;
  }
  return existing;
}

}  // namespace lumvale
