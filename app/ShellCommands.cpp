// Launchers ("droplets" on the desktop and "Send to" entries among the applications) that start
// the program with the active profile, the product's web pages and the about box.
#include "AboutBox.h"
#include "DialogService.h"
#include "ExecutablePath.h"
#include "FileManagerLaunchers.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "Shortcuts.h"
#include "TextMarker.h"

#include <QAction>
#include <QFileInfo>

namespace lumvale {

namespace {

QString CreateLauncher(const QString& profile, TShortcutLocation location) {
  // The program in the folder of the running executable, under its own name.
  const QString dir = QFileInfo(ExecutablePath()).absolutePath() + u'/';
  // The desktop shows the comment in its user's language, whichever the program runs in: the
  // English one, and one for each language the program has a catalogue for.
  const char* comment = N_("Lumvale - Profile %1");
  QStringList languages;
  ListLanguages(GnuGettext().TextDomain(), languages);
  QMap<QString, QString> translated;
  for (const QString& code : languages) {
    const QString text = TranslateInLanguage(code, comment);
    if (text != QLatin1String(comment)) translated.insert(code, text.arg(profile));
  }
  return CreateShortcut(QStringLiteral("Lumvale - ") + profile, dir + QStringLiteral("lumvale"),
                        location, QString(), dir, {QStringLiteral("-p:") + profile},
                        QString::fromUtf8(comment).arg(profile), false, translated);
}

// Tells where the launchers went: a desktop without icons on it, or a file manager's menu,
// shows nothing of them by itself.
void TellWritten(const QString& profile, const QStringList& paths) {
  const QString text =
      paths.isEmpty()
          ? Translate("No folder for a launcher of the profile \"%1\" was found.").arg(profile)
          : Translate("The launchers of the profile \"%1\" were written:").arg(profile) + u'\n' +
                paths.join(u'\n');
  Dialogs().MessageBox(text, Translate("Launchers"), TMessageIcon::information, mbOK, mbOK);
}

}  // namespace

void TfrmMain::miCreatedropletClick() {
  const QString path = CreateLauncher(ActiveProfile, TShortcutLocation::slDesktop);
  TellWritten(ActiveProfile, path.isEmpty() ? QStringList() : QStringList{path});
}

void TfrmMain::miCreateSendToClick() {
  QStringList paths;
  const QString openWith = CreateLauncher(ActiveProfile, TShortcutLocation::slSendTo);
  if (!openWith.isEmpty()) paths << openWith;
  paths << CreateFileManagerLaunchers(
      ActiveProfile, QFileInfo(ExecutablePath()).absolutePath() + QStringLiteral("/lumvale"));
  TellWritten(ActiveProfile, paths);
}

void TfrmMain::miFollowLinkClick(QAction* sender) {
  const QString page = sender == miUpdate ? QStringLiteral("update") : QStringLiteral("support");
  Dialogs().OpenUrl(WebPageAddress(CurrentLanguage(), page));
}

void TfrmMain::miAboutClick() {
  TfrmAbout about(this);
  Dialogs().Execute(about);
}

}  // namespace lumvale
