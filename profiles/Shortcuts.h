#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace lumvale {

// Where CreateShortcut writes a launcher (freedesktop desktop entries): the desktop, the
// applications folder that file managers offer under "Open With" (as a hidden entry for
// "Send to"), the autostart folder, or a folder the caller names.
enum class TShortcutLocation {
  slDesktop,
  slSendTo,
  slStartMenu,
  slStartup,
  slPrograms,
  slExplicitFolder
};

// The folder of a location; empty when there is none (there is no desktop for all users, and a
// desktop folder that does not exist counts as unknown).
QString ShortcutFolder(TShortcutLocation location, bool allUsers);

// The launcher's file name: the extension of linkName (from the last "." after the last "/" or
// ":") replaced by ".desktop", or ".desktop" appended; then only the part after the last "/" or
// ":".
QString ShortcutFileName(const QString& linkName);

// A desktop file's own escaping of a string value (backslash, line break, tab, return).
QString EscapeValue(const QString& value);

// One command-line argument quoted by the Desktop Entry rules for an Exec key (before the
// file's own escaping of backslashes).
QString QuoteExecArgument(const QString& argument);
// A whole Exec value: the quoted program and arguments, then %F for the dropped files, escaped
// as a desktop file's string value.
QString ExecLine(const QString& target, const QStringList& arguments);
// The reverse, as a file manager reads it: the program and arguments, with files in place of
// %F (and %f, %U, %u). Used to check launchers.
QStringList ParseExecLine(const QString& value, const QStringList& files);

// Writes a launcher named by linkName into the location's folder (plus a subfolder; or into
// folderOrSubfolder itself for slExplicitFolder), replacing a file of that name. Nothing is
// written when the folder is unknown. Returns the path written, or an empty text. Throws
// EFileError when the file cannot be written. The launcher names the icon "lumvale" of the icon
// theme; translatedDescriptions gives the description in other languages by language code
// ("de", "pt_BR"), each written as a localized Comment key that desktops show in their language.
QString CreateShortcut(const QString& linkName, const QString& target, TShortcutLocation location,
                       const QString& folderOrSubfolder, const QString& workingDirectory,
                       const QStringList& arguments, const QString& description, bool allUsers,
                       const QMap<QString, QString>& translatedDescriptions = {});

// The address of a page of the product web site for the interface language ("de" for German,
// else "en"): root + language + "/" + page + "/?version=" + the version number (kVersionNumber).
QString WebPageAddress(const QString& languageCode, const QString& page);
// The site's root address.
QString WebSiteRoot();

}  // namespace lumvale
