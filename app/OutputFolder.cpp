// The output folder: next to each input (edOutputPath disabled) or one chosen folder.
#include "DialogService.h"
#include "Dialogs.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QLineEdit>

namespace lumvale {

void TfrmMain::btSameInputClick() {
  edOutputPath->setEnabled(false);
  cbAddExtension->setChecked(true);
  cbAddExtension->setEnabled(false);
  UpdateControls();
}

void TfrmMain::btOutputPathClick() {
  // A text that names no folder (the same-as-input marker) preselects nothing.
  const QString folder = Dialogs().BrowseForFolder(JvBFFOut->Title(), edOutputPath->text());
  if (!folder.isEmpty()) {
    edOutputPath->setText(folder);
    edOutputPath->setToolTip(folder);
    edOutputPath->setEnabled(true);
  }
  UpdateControls();
}

void TfrmMain::edOutputPathChange() {
  edOutputPath->setToolTip(edOutputPath->text());
}

}  // namespace lumvale
