// The batch run behind "Run": the "Missing Values" question, the run's own list of files, the
// status window for the run's duration, and a clean-up that runs on every path.
#include "BatchScope.h"
#include "BuiltInTexts.h"
#include "DialogService.h"
#include "EditToInt.h"
#include "ErrorDisplay.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "MemoryReuse.h"
#include "StatusWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace lumvale {

namespace {

// Ordinary files only: no folders, nothing hidden (a name starting with ".").
bool IsOrdinaryFile(const QFileInfo& info) {
  return info.isFile() && !info.fileName().startsWith(u'.');
}

}  // namespace

void TfrmMain::SetIdle(bool idle) {
  Running = !idle;
  for (QPushButton* button : {btOpen, btFolder, btClear, btSameInput, btOutputPath}) {
    button->setEnabled(idle);
  }
  btRun->setText(idle ? Translate("Run") : Translate("Cancel"));
}

QStringList TfrmMain::ExpandInputList() const {
  QStringList files;
  for (int i = 0; i < liFiles->count(); ++i) {
    const QString entry = liFiles->item(i)->text();
    const QString folder = entry.left(entry.lastIndexOf(u'/') + 1);
    const QString pattern = entry.mid(folder.size());
    if (pattern.compare(QStringLiteral("*.jpg"), Qt::CaseInsensitive) == 0) {
      // Camera files named IMG_0001.JPG match too; the folder's own order, no subfolders.
      const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
      // Name filters ignore case unless told otherwise; QDir::Files leaves out hidden files.
      const QFileInfoList matches =
          dir.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Unsorted);
      for (const QFileInfo& info : matches) {
        if (IsOrdinaryFile(info)) files << folder + info.fileName();
      }
    } else if (IsOrdinaryFile(QFileInfo(entry))) {
      files << entry;
    }
  }
  return files;
}

TBatchScope::TBatchScope(TfrmMain& main) : main_(main), popup_(new TfrmImagePopup(main)) {
  KeepFreedMemoryForReuse();
  frmImagePopup = popup_;
  if (main.testAttribute(Qt::WA_DontShowOnScreen)) {
    popup_->setAttribute(Qt::WA_DontShowOnScreen);
  } else {
    popup_->move(main.frameGeometry().center() - popup_->rect().center());
    popup_->show();
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  main.SetIdle(false);
}

TBatchScope::~TBatchScope() {
  // "Done" pumps the event queue: a click on "Run" handled there must not start a batch inside
  // this one, and the status window released below is this batch's own.
  main_.CleaningUp = true;
  QApplication::restoreOverrideCursor();
  main_.SetIdle(true);
  main_.ShowStatus(TranslateResourceString(rsDone));
  popup_->hide();
  popup_->deleteLater();
  if (frmImagePopup == popup_) frmImagePopup = nullptr;
  ReturnFreedMemory();
  main_.CleaningUp = false;
}

TBatchOutcome TBatchScope::Run(const std::function<void()>& files) {
  try {
    files();
  } catch (const Exception& e) {
    error_ = e.Message();
    return TBatchOutcome::error;
  } catch (const std::exception& e) {
    error_ = QString::fromUtf8(e.what());
    return TBatchOutcome::error;
  }
  return main_.Cancelled ? TBatchOutcome::cancelled : TBatchOutcome::finished;
}

void TfrmMain::btRunClick() {
  if (Running) {
    Cancelled = true;
    return;
  }
  if (CleaningUp) return;
  CommitFocusedEdit();
  const bool missing = (cbWidth->isChecked() && EditToInt(edWidth->text()) <= 0) ||
                       (cbHeight->isChecked() && EditToInt(edHeight->text()) <= 0) ||
                       (cbFilesize->isChecked() && EditToInt(edFilesize->text()) <= 0);
  if (missing &&
      Dialogs().MessageBox(Translate("You have checked a constrain but you didn't enter a proper "
                                     "value! Do you really want to continue?"),
                           Translate("Missing Values"), TMessageIcon::none, mbYes | mbNo,
                           mbYes) != mbYes) {
    return;
  }
  QString error;
  {
    TBatchScope batch(*this);
    OverwriteAnswer = TOverwriteAnswer::none;
    const QStringList RunList = ExpandInputList();
    InitProgress(int(RunList.size()));
    Cancelled = false;
    StartPrefetch(RunList);
    LastBatch = batch.Run([&] {
      for (const QString& path : RunList) {
        if (Cancelled) return;
        const QString folder = edOutputPath->isEnabled() ? edOutputPath->text()
                                                         : path.left(path.lastIndexOf(u'/') + 1);
        ProcessImage(path, folder);
      }
      if (!Cancelled) liFiles->clearSelection();
    });
    StopPrefetch();
    error = batch.Error();
  }
  // The error of a job is shown once the run has cleaned up.
  if (LastBatch == TBatchOutcome::error) ShowError(error);
  if (LastBatch == TBatchOutcome::finished) UpdateControls();
}

}  // namespace lumvale
