// The input list: files and folder patterns added by the dialogs or by dropping, removed by
// Delete or the clear button.
#include "DialogService.h"
#include "Dialogs.h"
#include "GnuGettext.h"
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

void TfrmMain::AddInputFile(const QString& path) {
  // Paths compare as the file system does: /x/A.jpg and /x/a.jpg are two photos.
  for (int i = 0; i < liFiles->count(); ++i) {
    if (liFiles->item(i)->text() == path) return;
  }
  liFiles->addItem(path);
}

void TfrmMain::AddInputFolder(const QString& folder) {
  AddInputFile(folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) +
               QStringLiteral("*.jpg"));
}

void TfrmMain::RemoveSelectedFiles() {
  for (int i = liFiles->count() - 1; i >= 0; --i) {
    if (liFiles->item(i)->isSelected()) delete liFiles->takeItem(i);
  }
}

void TfrmMain::btOpenClick() {
  const QStringList files =
      Dialogs().OpenFiles(od->Title(), od->Filter() + QStringLiteral(";;*"), QString());
  for (const QString& file : files) AddInputFile(file);
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
  for (QString path : paths) {
    path.truncate(kMaxDroppedPath);
    if (QFileInfo(path).isDir()) {
      if (output) {
        edOutputPath->setText(path);
        edOutputPath->setToolTip(path);
        edOutputPath->setEnabled(true);
      } else if (input) {
        AddInputFolder(path);
      }
    } else if (input) {
      AddInputFile(path);
    }
  }
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
