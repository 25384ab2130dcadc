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

// The launcher's name without its extension, as the droplet's file is named.
QString BaseName(const QString& profile) {
  return QFileInfo(ShortcutFileName(QStringLiteral("Lumvale - ") + profile)).completeBaseName();
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
    if (QFileInfo::exists(path)) existing << path;
  }
  return existing;
}

}  // namespace lumvale
