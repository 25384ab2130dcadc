// The input list: files and folder patterns added by the dialogs or by dropping, removed by
// Delete or the clear button.
#include "DialogService.h"
#include "Dialogs.h"
#include "GnuGettext.h"
#include "InputExpansion.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QToolTip>

namespace lumvale {

namespace {
// A dropped path longer than this is cut.
constexpr qsizetype kMaxDroppedPath = 255;
}  // namespace

void TfrmMain::AddInputEntries(const QStringList& entries) {
  // Paths compare as the file system does: /x/A.jpg and /x/a.jpg are two photos. Thousands of
  // dropped files are checked against each other and the list in one pass.
  QStringList list;
  list.reserve(liFiles->count() + entries.size());
  for (int i = 0; i < liFiles->count(); ++i) list << liFiles->item(i)->text();
  const qsizetype before = list.size();
  AppendNewEntries(list, entries);
  liFiles->addItems(list.mid(before));
}

void TfrmMain::OpenInputs(const QStringList& paths) {
  QStringList entries;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    entries << (info.isDir() ? FolderPattern(info.absoluteFilePath()) : info.absoluteFilePath());
  }
  AddInputEntries(entries);
  UpdateControls();
}

void TfrmMain::AddInputFile(const QString& path) {
  AddInputEntries({path});
}

void TfrmMain::AddInputFolder(const QString& folder) {
  AddInputEntries({FolderPattern(folder)});
}

void TfrmMain::RemoveSelectedFiles() {
  for (int i = liFiles->count() - 1; i >= 0; --i) {
    if (liFiles->item(i)->isSelected()) delete liFiles->takeItem(i);
  }
}

void TfrmMain::btOpenClick() {
  const QStringList files = Dialogs().OpenFiles(
      od->Title(), od->Filter() + QStringLiteral(";;") + Translate("All files (*)"), QString());
  AddInputEntries(files);
  UpdateControls();
}

void TfrmMain::btFolderClick() {
  const QString folder = Dialogs().BrowseForFolder(JvBFFIn->Title(), lastInputFolder_);
  if (!folder.isEmpty()) {
    lastInputFolder_ = folder;
    AddInputFolder(folder);
  }
  UpdateControls();
}

void TfrmMain::btClearClick() {
  if (liFiles->selectedItems().isEmpty()) {
    liFiles->clear();
  } else {
    RemoveSelectedFiles();
  }
  UpdateControls();
}

void TfrmMain::liFilesClick() {
  QToolTip::hideText();
  if (QListWidgetItem* item = liFiles->currentItem()) liFiles->setToolTip(item->text());
  UpdateControls();
}

void TfrmMain::DropFiles(const QStringList& paths, const QPoint& position) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto inside = [&](QWidget* area) {
    return QRect(area->mapTo(this, QPoint(0, 0)), area->size()).contains(position);
  };
  const bool input = inside(gbInput);
  const bool output = !input && inside(TntPanelOutput);
  QStringList entries;
  for (QString path : paths) {
    path.truncate(kMaxDroppedPath);
    if (QFileInfo(path).isDir()) {
      if (output) {
        edOutputPath->setText(path);
        edOutputPath->setToolTip(path);
        edOutputPath->setEnabled(true);
      } else if (input) {
        entries << FolderPattern(path);
      }
    } else if (input) {
      entries << path;
    }
  }
  AddInputEntries(entries);
  QApplication::restoreOverrideCursor();
  UpdateControls();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  DropFiles(paths, event->position().toPoint());
  event->acceptProposedAction();
}

}  // namespace lumvale
