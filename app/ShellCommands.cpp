// Launchers ("droplets" on the desktop and "Send to" entries among the applications) that start
// the program with the active profile, the product's web pages and the about box.
#include "AboutBox.h"
#include "DialogService.h"
#include "ExecutablePath.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "Shortcuts.h"
#include "TextMarker.h"

#include <QAction>
#include <QFileInfo>

namespace lumvale {

namespace {

void CreateLauncher(const QString& profile, TShortcutLocation location) {
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
  CreateShortcut(QStringLiteral("Lumvale - ") + profile, dir + QStringLiteral("lumvale"), location,
                 QString(), dir, {QStringLiteral("-p:") + profile},
                 QString::fromUtf8(comment).arg(profile), false, translated);
}

}  // namespace

void TfrmMain::miCreatedropletClick() {
  CreateLauncher(ActiveProfile, TShortcutLocation::slDesktop);
}

void TfrmMain::miCreateSendToClick() {
  CreateLauncher(ActiveProfile, TShortcutLocation::slSendTo);
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
