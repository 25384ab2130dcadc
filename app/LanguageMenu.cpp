// The Languages submenu: English, every language with a catalogue, and the system default; the
// choice retranslates the main window at once and is stored for the next start.
#include "DialogService.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "SectionStore.h"
#include "WindowTranslation.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>

namespace lumvale {

namespace {

// The name of a language in itself, by the first two letters of its code; "pt_BR" as a whole.
QString NativeName(const QString& code) {
  static const struct {
    const char* code;
    const char* name;
  } kNames[] = {{"de", "Deutsch"},    {"fr", "Français"},  {"it", "Italiano"}, {"sv", "Svenska"},
                {"nl", "Nederlands"}, {"pt", "Português"}, {"pl", "Polski"},   {"tr", "Türkçe"},
                {"es", "español"},    {"ru", "Русско"},    {"ja", "日本語"}};
  if (code == QLatin1String("pt_BR")) return QString::fromUtf8("Português (Brasil)");
  const QString prefix = code.left(2);
  for (const auto& n : kNames) {
    if (prefix == QLatin1String(n.code)) return QString::fromUtf8(n.name);
  }
  return {};
}

}  // namespace

void TfrmMain::BuildLanguageMenu() {
  ListLanguages(QStringLiteral("default"), LanguageCodes);
  LanguageCodes.insert(0, QStringLiteral("en"));
  miLanguageEnglish->setText(QStringLiteral("English (en)"));
  for (int i = 1; i < LanguageCodes.size(); ++i) {
    const QString& code = LanguageCodes[i];
    const QString name = NativeName(code);
    auto* item =
        new QAction(name.isEmpty() ? code : name + QStringLiteral(" (") + code + u')', this);
    item->setObjectName(QStringLiteral("miLanguage_") + code);
    item->setCheckable(true);
    item->setData(i + 1);  // the tag
    languageGroup_->addAction(item);
    miSelectLanguage->insertAction(miLanguageSeperator, item);
  }
  RefreshLanguageTexts();
}

void TfrmMain::miLanguageClick(QAction* sender) {
  const int tag = sender->data().toInt();
  const QString code = tag > 0 ? LanguageCodes.value(tag - 1) : QString();
  SelectLanguage(code);
  RegSettings->WriteString(QStringLiteral("settings"), QStringLiteral("language"), code);
  RegSettings->Commit();
  RetranslateComponent(this);
  UpdateControls();
  Dialogs().MessageBox(
      Translate("Please restart the application to make sure that everything is in the correct "
                "language."),
      QApplication::applicationName(), TMessageIcon::none, mbOK, mbOK);
  RefreshLanguageTexts();
}

void TfrmMain::RefreshLanguageTexts() {
  miExtras->setTitle(Translate("Extras"));
  miHelp->setTitle(Translate("?"));
  miFile->setTitle(Translate("File"));
  miOptions->setTitle(Translate("Options"));
  const QString full = CurrentLanguage();
  const QString shortCode = full.left(2);
  int index = -1;
  for (int i = 0; i < LanguageCodes.size(); ++i) {
    if (LanguageCodes[i] == shortCode && index == -1) index = i;
    if (LanguageCodes[i] == full) index = i;
  }
  const QList<QAction*> items = languageGroup_->actions();
  if (index >= 0 && index < items.size()) items[index]->setChecked(true);
}

}  // namespace lumvale
