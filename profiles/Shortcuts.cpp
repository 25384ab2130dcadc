#include "Shortcuts.h"

#include "Exception.h"
#include "PlatformTexts.h"
#include "TextMarker.h"
#include "Version.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace lumvale {

namespace {

QString DataHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString ConfigHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// Characters that make the Desktop Entry rules quote an argument.
bool NeedsQuotes(const QString& argument) {
  if (argument.isEmpty()) return true;
  for (QChar c : argument) {
    if (QStringLiteral(" \t\n\"'\\><~|&;$*?#()`").contains(c)) return true;
  }
  return false;
}

// A language code as a localized key of a desktop entry writes it: "pt_BR", "de".
QString DesktopLocale(const QString& code) {
  const qsizetype cut = code.indexOf(u'_');
  return cut < 0 ? code.toLower() : code.left(cut).toLower() + code.mid(cut).toUpper();
}

}  // namespace

QString EscapeValue(const QString& value) {
  QString out;
  for (QChar c : value) {
    if (c == u'\\') {
      out += QStringLiteral("\\\\");
    } else if (c == u'\n') {
      out += QStringLiteral("\\n");
    } else if (c == u'\t') {
      out += QStringLiteral("\\t");
    } else if (c == u'\r') {
      out += QStringLiteral("\\r");
    } else {
      out += c;
    }
  }
  return out;
}

QString ShortcutFolder(TShortcutLocation location, bool allUsers) {
  switch (location) {
    case TShortcutLocation::slDesktop: {
      if (allUsers) return {};
      const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
      return QFileInfo(desktop).isDir() ? desktop : QString();
    }
    case TShortcutLocation::slSendTo:
    case TShortcutLocation::slStartMenu:
    case TShortcutLocation::slPrograms:
      return allUsers ? QStringLiteral("/usr/share/applications")
                      : DataHome() + QStringLiteral("/applications");
    case TShortcutLocation::slStartup:
      return allUsers ? QStringLiteral("/etc/xdg/autostart")
                      : ConfigHome() + QStringLiteral("/autostart");
    case TShortcutLocation::slExplicitFolder:
      return {};
  }
  return {};
}

QString ShortcutFileName(const QString& linkName) {
  const qsizetype separator = std::max(linkName.lastIndexOf(u'/'), linkName.lastIndexOf(u':'));
  const qsizetype dot = linkName.lastIndexOf(u'.');
  const QString withExtension =
      (dot > separator ? linkName.left(dot) : linkName) + QStringLiteral(".desktop");
  return withExtension.mid(separator + 1);
}

QString QuoteExecArgument(const QString& argument) {
  QString out = argument;
  out.replace(u'%', QStringLiteral("%%"));
  if (!NeedsQuotes(argument)) return out;
  QString quoted = QStringLiteral("\"");
  for (QChar c : out) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  return quoted + u'"';
}

QString ExecLine(const QString& target, const QStringList& arguments) {
  QStringList parts{QuoteExecArgument(target)};
  for (const QString& a : arguments) parts << QuoteExecArgument(a);
  parts << QStringLiteral("%F");
  return EscapeValue(parts.join(u' '));
}

QStringList ParseExecLine(const QString& value, const QStringList& files) {
  // The file's escaping first, then the quoting of the Exec key.
  QString line;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) {
      const QChar e = value[++i];
      line += e == u's' ? u' ' : e == u'n' ? u'\n' : e == u't' ? u'\t' : e == u'r' ? u'\r' : e;
    } else {
      line += value[i];
    }
  }
  QStringList args;
  QString current;
  bool inQuotes = false, started = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (inQuotes) {
      if (c == u'\\' && i + 1 < line.size()) {
        current += line[++i];
      } else if (c == u'"') {
        inQuotes = false;
      } else {
        current += c;
      }
    } else if (c == u'"') {
      inQuotes = started = true;
    } else if (c == u' ') {
      if (started) args << current;
      current.clear();
      started = false;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) args << current;
  QStringList out;
  for (const QString& a : args) {
    if (a == u"%F" || a == u"%U") {
      out << files;
    } else if (a == u"%f" || a == u"%u") {
      if (!files.isEmpty()) out << files.first();
    } else {
      out << QString(a).replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
  }
  return out;
}

QString CreateShortcut(const QString& linkName, const QString& target, TShortcutLocation location,
                       const QString& folderOrSubfolder, const QString& workingDirectory,
                       const QStringList& arguments, const QString& description, bool allUsers,
                       const QMap<QString, QString>& translatedDescriptions) {
  const QString fileName = ShortcutFileName(linkName);
  const bool explicitFolder = location == TShortcutLocation::slExplicitFolder;
  const QString folder = explicitFolder ? folderOrSubfolder : ShortcutFolder(location, allUsers);
  if (folder.isEmpty()) return {};
  const QString directory =
      !explicitFolder && !folderOrSubfolder.isEmpty() ? folder + u'/' + folderOrSubfolder : folder;
  QDir().mkpath(directory);
  const QString path = directory + u'/' + fileName;
  const QString workDir =
      !workingDirectory.isEmpty() ? workingDirectory : target.left(target.lastIndexOf(u'/') + 1);

  QString entry = QStringLiteral("[Desktop Entry]\nType=Application\n");
  entry += QStringLiteral("Name=") + EscapeValue(QFileInfo(fileName).completeBaseName()) + u'\n';
  entry += QStringLiteral("Comment=") + EscapeValue(description) + u'\n';
  for (auto it = translatedDescriptions.begin(); it != translatedDescriptions.end(); ++it) {
    entry += QStringLiteral("Comment[") + DesktopLocale(it.key()) + QStringLiteral("]=") +
             EscapeValue(it.value()) + u'\n';
  }
  entry += QStringLiteral("Icon=lumvale\n");
  entry += QStringLiteral("Exec=") + ExecLine(target, arguments) + u'\n';
  entry += QStringLiteral("Path=") + EscapeValue(workDir) + u'\n';
  entry += QStringLiteral("Terminal=false\nMimeType=image/jpeg;image/heic;image/heif;image/avif;\n");
  // A "Send to" entry is offered by file managers but kept out of the application menus.
  if (location == TShortcutLocation::slSendTo) entry += QStringLiteral("NoDisplay=true\n");

  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit()) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot write file \"%1\". %2")).arg(path, file.errorString()));
  }
  if (location == TShortcutLocation::slDesktop) {
    // Desktops start only launchers that are executable (and, in GNOME, marked trusted).
    QFile::setPermissions(
        path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    if (!QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
      // GNOME's mark, and Xfce's: the checksum of the launcher as it was trusted.
      const QByteArray sum =
          QCryptographicHash::hash(entry.toUtf8(), QCryptographicHash::Sha256).toHex();
      for (const QStringList& mark :
           {QStringList{QStringLiteral("metadata::trusted"), QStringLiteral("true")},
            QStringList{QStringLiteral("metadata::xfce-exe-checksum"), QString::fromLatin1(sum)}}) {
        QProcess gio;
        gio.start(QStringLiteral("gio"), QStringList{QStringLiteral("set"), path} + mark);
        // Without a desktop session it may not answer.
        if (!gio.waitForFinished(3000)) gio.kill();
      }
    }
  }
  return path;
}

QString WebSiteRoot() {
  return QStringLiteral("https://lumvale.example/");
}

QString WebPageAddress(const QString& languageCode, const QString& page) {
  const QString language =
      languageCode.left(2).toLower() == u"de" ? QStringLiteral("de") : QStringLiteral("en");
  return WebSiteRoot() + language + u'/' + page + QStringLiteral("/?version=") +
         QString::number(kVersionNumber);
}

}  // namespace lumvale
