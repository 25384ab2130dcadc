#pragma once

#include <QString>
#include <QStringList>

namespace lumvale {

// Each file manager's own menu of actions for selected files, besides the "Open With" list that
// they all read: Thunar's "Send To" entries, one "Lumvale" submenu of Dolphin's service menu,
// and Nautilus's scripts. An action starts the program with "-p:" and the profile's name and
// the selected files, as a droplet does.

// Writes the actions of a profile for the file managers whose folder exists below
// $XDG_DATA_HOME or whose program is installed; program is the executable to start. Returns the
// paths written. Throws EFileError when one cannot be written.
QStringList CreateFileManagerLaunchers(const QString& profile, const QString& program);

// Every launcher that starts the profile: the desktop droplet, the "Open With" entry and the
// file managers' actions.
QStringList LaunchersOf(const QString& profile);

// A text quoted for a POSIX shell: in single quotes, a single quote written '\''.
QString ShellQuote(const QString& text);

}  // namespace lumvale
