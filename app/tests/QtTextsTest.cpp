// Qt's own texts in the program's dialogs (message boxes, the input box, the line edits' context
// menu, Qt's widget-based file and folder dialogs) in German and Italian: the program's catalogues
// for the texts it has, Qt's catalogue of the current language for the rest, following the
// language menu.
#include "FileBytes.h"
#include "GnuGettext.h"
#include "QtPrinters.h"
#include "TestInstallation.h"
#include "VirtualScreen.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

#include <memory>
#include <span>
#include <thread>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// The catalogues the build made from po/de.po and po/it.po, on disk beside a test executable
// for the codes de_DE and it_IT.
class RealCatalogues {
 public:
  RealCatalogues() : install_({}, {}) {
    for (const char* code : {"de", "it"}) {
      WriteBytes(
          install_.Locale(QStringLiteral("%1_%2/LC_MESSAGES/default.mo")
                              .arg(code, QString::fromLatin1(code).toUpper())),
          Read(QStringLiteral(LUMVALE_CATALOGUE_DIR "/%1/LC_MESSAGES/default.mo").arg(code)));
    }
  }
  const Installation& Install() const { return install_; }

 private:
  Installation install_;
};

QString ButtonText(QMessageBox& box, QMessageBox::StandardButton which) {
  QAbstractButton* button = box.button(which);
  return button ? button->text() : QStringLiteral("<no button>");
}

// The entries of a line edit's own context menu, without their shortcuts.
QStringList ContextMenuEntries() {
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList out;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) out << action->text().section(u'\t', 0, 0);
  }
  return out;
}

QString ChildText(const QWidget& parent, const char* name) {
  if (auto* label = parent.findChild<QLabel*>(QString::fromLatin1(name))) return label->text();
  if (auto* button = parent.findChild<QToolButton*>(QString::fromLatin1(name))) {
    return button->toolTip();
  }
  if (auto* action = parent.findChild<QAction*>(QString::fromLatin1(name))) return action->text();
  return QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

QString DialogButton(const QWidget& dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  QPushButton* button = box ? box->button(which) : nullptr;
  return button ? button->text() : QStringLiteral("<no button>");
}

// What a user meets in one language, in the order the language menu switches: the start in a
// German session, then Italian, then English again, where Qt keeps its own texts.
struct LanguageCase {
  const char* select;  // nullptr: the language the session started with
  const char* ok;
  const char* cancel;
  const char* yes;
  const char* no;
  const char* yesToAll;
  const char* noToAll;
  QStringList menu;
  const char* lookIn;
  const char* fileName;
  const char* fileType;
  const char* open;
  const char* back;
  const char* parent;
  const char* newFolder;
  const char* detailView;
  const char* rename;
  const char* hidden;
  const char* sizeColumn;
  const char* directory;
  const char* choose;
};

const LanguageCase kLanguages[] = {
    {nullptr,
     "OK",
     "Abbrechen",
     "&Ja",
     "&Nein",
     "Ja für &alle",
     "N&ein für alle",
     {"&Rückgängig", "Wieder&herstellen", "&Ausschneiden", "&Kopieren", "Einf&ügen", "Löschen",
      "Alles auswählen"},
     "Suchen in:",
     "Datei&name:",
     "Dateien des Typs:",
     "&Öffnen",
     "Zurück",
     "Übergeordnetes Verzeichnis",
     "Neuen Ordner erstellen",
     "Details",
     "&Umbenennen",
     "&Versteckte Dateien anzeigen",
     "Größe",
     "Verzeichnis:",
     "&Auswählen"},
    {"it_IT",
     "OK",
     "Annulla",
     "&Sì",
     "&No",
     "Sì a &tutti",
     "N&o a tutti",
     {"Ann&ulla", "&Rifai", "&Taglia", "&Copia", "&Incolla", "Elimina", "Seleziona tutto"},
     "Cerca in:",
     "&Nome del file:",
     "File di tipo:",
     "&Apri",
     "Indietro",
     "Cartella superiore",
     "Crea nuova cartella",
     "Vista dettagliata",
     "&Rinomina",
     "Mostra i &file nascosti",
     "Dimensione",
     "Cartella:",
     "S&cegli"},
    {"en",
     "OK",
     "Cancel",
     "&Yes",
     "&No",
     "Yes to &All",
     "N&o to All",
     {"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"},
     "Look in:",
     "File &name:",
     "Files of type:",
     "&Open",
     "Back",
     "Parent Directory",
     "Create New Folder",
     "Detail View",
     "&Rename",
     "Show &hidden files",
     "Size",
     "Directory:",
     "&Choose"},
};

}  // namespace

TEST(QtTexts, DialogsFollowTheLanguage) {
  RealCatalogues catalogues;
  Environment env({{"LANG", "de_DE.UTF-8"}});
  TLocalization l10n(catalogues.Install().Executable(), catalogues.Install().Table());
  for (const LanguageCase& c : kLanguages) {
    if (c.select) SelectLanguage(QString::fromLatin1(c.select));
    SCOPED_TRACE(CurrentLanguage().toStdString());

    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumvale"), QStringLiteral("?"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No |
                        QMessageBox::YesToAll | QMessageBox::NoToAll);
    EXPECT_EQ(ButtonText(box, QMessageBox::Ok), QString::fromUtf8(c.ok));
    EXPECT_EQ(ButtonText(box, QMessageBox::Cancel), QString::fromUtf8(c.cancel));
    EXPECT_EQ(ButtonText(box, QMessageBox::Yes), QString::fromUtf8(c.yes));
    EXPECT_EQ(ButtonText(box, QMessageBox::No), QString::fromUtf8(c.no));
    EXPECT_EQ(ButtonText(box, QMessageBox::YesToAll), QString::fromUtf8(c.yesToAll));
    EXPECT_EQ(ButtonText(box, QMessageBox::NoToAll), QString::fromUtf8(c.noToAll));

    QInputDialog input;
    input.setLabelText(QStringLiteral("Name"));
    input.show();  // the input box makes its buttons when it is first shown
    EXPECT_EQ(DialogButton(input, QDialogButtonBox::Ok), QString::fromUtf8(c.ok));
    EXPECT_EQ(DialogButton(input, QDialogButtonBox::Cancel), QString::fromUtf8(c.cancel));
    input.hide();

    EXPECT_EQ(ContextMenuEntries(), c.menu);

    QFileDialog files(nullptr, QStringLiteral("Open"), QDir::tempPath());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFiles);
    EXPECT_EQ(ChildText(files, "lookInLabel"), QString::fromUtf8(c.lookIn));
    EXPECT_EQ(ChildText(files, "fileNameLabel"), QString::fromUtf8(c.fileName));
    EXPECT_EQ(ChildText(files, "fileTypeLabel"), QString::fromUtf8(c.fileType));
    EXPECT_EQ(DialogButton(files, QDialogButtonBox::Open), QString::fromUtf8(c.open));
    EXPECT_EQ(DialogButton(files, QDialogButtonBox::Cancel), QString::fromUtf8(c.cancel));
    EXPECT_EQ(ChildText(files, "backButton"), QString::fromUtf8(c.back));
    EXPECT_EQ(ChildText(files, "toParentButton"), QString::fromUtf8(c.parent));
    EXPECT_EQ(ChildText(files, "newFolderButton"), QString::fromUtf8(c.newFolder));
    EXPECT_EQ(ChildText(files, "detailModeButton"), QString::fromUtf8(c.detailView));
    EXPECT_EQ(ChildText(files, "qt_rename_action"), QString::fromUtf8(c.rename));
    EXPECT_EQ(ChildText(files, "qt_show_hidden_action"), QString::fromUtf8(c.hidden));
    auto* details = files.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->model()->headerData(1, Qt::Horizontal).toString(),
              QString::fromUtf8(c.sizeColumn));

    QFileDialog folder(nullptr, QStringLiteral("Folder"), QDir::tempPath());
    folder.setOption(QFileDialog::DontUseNativeDialog);
    folder.setFileMode(QFileDialog::Directory);
    folder.setOption(QFileDialog::ShowDirsOnly);
    EXPECT_EQ(ChildText(folder, "fileNameLabel"), QString::fromUtf8(c.directory));
    EXPECT_EQ(DialogButton(folder, QDialogButtonBox::Open), QString::fromUtf8(c.choose));
  }
}

// Qt's dialogs ask for their button texts in the context of the session's platform theme: the
// GNOME theme (and the GTK one built on it) in "QGnomeTheme" for OK, Cancel, Save and Close,
// the others in "QPlatformTheme". This test checks the theme it runs under (offscreen: none);
// the next one runs it under each theme for real, on a virtual X server.
TEST(QtTexts, ButtonTextsOfTheSessionsTheme) {
  struct Text {
    QMessageBox::StandardButton button;
    const char* english;
    const char* german;
    const char* italian;
  };
  static constexpr Text kGnome[] = {
      {QMessageBox::Ok, "&OK", "&OK", "&OK"},
      {QMessageBox::Cancel, "&Cancel", "Abbrechen", "Annulla"},
      {QMessageBox::Save, "&Save", "S&peichern", "&Salva"},
      {QMessageBox::Close, "&Close", "Schl&ießen", "&Chiudi"},
      {QMessageBox::Yes, "&Yes", "&Ja", "&Sì"},
      {QMessageBox::No, "&No", "&Nein", "&No"},
      {QMessageBox::YesToAll, "Yes to &All", "Ja für &alle", "Sì a &tutti"},
      {QMessageBox::NoToAll, "N&o to All", "N&ein für alle", "N&o a tutti"},
  };
  static constexpr Text kPlatform[] = {
      {QMessageBox::Ok, "OK", "OK", "OK"},
      {QMessageBox::Cancel, "Cancel", "Abbrechen", "Annulla"},
      {QMessageBox::Save, "Save", "Speichern", "Salva"},
      {QMessageBox::Close, "Close", "Schließen", "Chiudi"},
      {QMessageBox::Yes, "&Yes", "&Ja", "&Sì"},
      {QMessageBox::No, "&No", "&Nein", "&No"},
      {QMessageBox::YesToAll, "Yes to &All", "Ja für &alle", "Sì a &tutti"},
      {QMessageBox::NoToAll, "N&o to All", "N&ein für alle", "N&o a tutti"},
  };
  const QByteArray theme = qgetenv("QT_QPA_PLATFORMTHEME");
  const std::span<const Text> texts =
      theme == "gnome" || theme == "gtk3" ? std::span<const Text>(kGnome) : kPlatform;

  RealCatalogues catalogues;
  Environment env({{"LANG", "de_DE.UTF-8"}});
  TLocalization l10n(catalogues.Install().Executable(), catalogues.Install().Table());
  for (const char* language : {"de_DE", "it_IT", "en"}) {
    SelectLanguage(QString::fromLatin1(language));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumvale"), QStringLiteral("?"),
                    QMessageBox::NoButton);
    for (const Text& t : texts) box.addButton(t.button);
    for (const Text& t : texts) {
      const QString expected = QString::fromUtf8(language[0] == 'd'   ? t.german
                                                 : language[0] == 'i' ? t.italian
                                                                      : t.english);
      EXPECT_EQ(ButtonText(box, t.button), expected)
          << "theme " << (theme.isEmpty() ? "none" : theme.constData()) << ", " << language << ", "
          << t.english;
    }
  }
}

TEST(QtTexts, EveryThemeForReal) {
  VirtualScreen screen;
  if (!screen.Missing().isEmpty()) GTEST_SKIP() << screen.Missing().toStdString();
  screen.ExpectPassUnderEveryTheme("QtTexts.ButtonTextsOfTheSessionsTheme");
}

TEST(QtTexts, OnlyTheGuiThreadGetsTranslations) {
  RealCatalogues catalogues;
  Environment env({{"LANG", "de_DE.UTF-8"}});
  TLocalization l10n(catalogues.Install().Executable(), catalogues.Install().Table());
  ASSERT_EQ(QCoreApplication::translate("QLineEdit", "Select All"), "Alles auswählen");
  QString worker;
  std::thread([&] { worker = QCoreApplication::translate("QLineEdit", "Select All"); }).join();
  EXPECT_EQ(worker, "Select All");
}

// A Qt dialog that is open while the language changes takes the new language's texts, as it
// does when a translator is installed.
TEST(QtTexts, AnOpenDialogFollowsALanguageSwitch) {
  RealCatalogues catalogues;
  Environment env({{"LANG", "de_DE.UTF-8"}});
  TLocalization l10n(catalogues.Install().Executable(), catalogues.Install().Table());
  QFileDialog files(nullptr, QStringLiteral("Open"), QDir::tempPath());
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.show();
  ASSERT_EQ(ChildText(files, "lookInLabel"), "Suchen in:");
  SelectLanguage("it_IT");
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents();  // the application passes the change on to its windows
  EXPECT_EQ(ChildText(files, "lookInLabel"), "Cerca in:");
  EXPECT_EQ(DialogButton(files, QDialogButtonBox::Cancel), "Annulla");
  SelectLanguage("en");
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(ChildText(files, "lookInLabel"), "Look in:");
  EXPECT_EQ(DialogButton(files, QDialogButtonBox::Cancel), "Cancel");
}
