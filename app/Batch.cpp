// The batch run behind "Run": the "Missing Values" question, the run's own list of files, the
// status window for the run's duration, and a clean-up that runs on every path.
#include "BatchScope.h"
#include "BuiltInTexts.h"
#include "DialogService.h"
#include "EditToInt.h"
#include "ErrorDisplay.h"
#include "GnuGettext.h"
#include "InputExpansion.h"
#include "Job.h"
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

void TfrmMain::SetIdle(bool idle) {
  Running = !idle;
  for (QPushButton* button : {btOpen, btFolder, btClear, btSameInput, btOutputPath}) {
    button->setEnabled(idle);
  }
  btRun->setText(idle ? Translate("Run") : Translate("Cancel"));
}

std::vector<TRunFile> TfrmMain::ExpandInputList() const {
  QStringList entries;
  for (int i = 0; i < liFiles->count(); ++i) entries << liFiles->item(i)->text();
  return ExpandEntries(entries, cbSubfolders->isChecked(),
                       edOutputPath->isEnabled() ? edOutputPath->text() : QString());
}

void TfrmMain::ProcessOrSkip(const QString& path, const QString& folder) {
  try {
    ProcessImage(path, folder);
  } catch (const EJobError& e) {
    // A photo that cannot be read or written stops the run unless the user chose to go on.
    if (!cbSkipErrors->isChecked()) throw;
    // The line names the photo's path once, at its start; a reason that names it again says
    // its file name only.
    const QString name = e.InputPath().mid(e.InputPath().lastIndexOf(u'/') + 1);
    SkippedPhotos << e.InputPath() + QStringLiteral(": ") +
                         QString(e.Reason()).replace(e.InputPath(), name).replace(u'\n', u' ');
    ShowStatus(Translate("Skipped:") + u' ' + e.InputPath());
  }
}

void TfrmMain::ShowSkippedPhotos() {
  if (SkippedPhotos.isEmpty()) return;
  Dialogs().ShowList(Translate("Skipped photos"),
                     Translate("These photos could not be processed and were skipped (%1):")
                         .arg(SkippedPhotos.size()),
                     SkippedPhotos);
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
    SkippedPhotos.clear();
    const std::vector<TRunFile> RunList = ExpandInputList();
    InitProgress(int(RunList.size()));
    ShowStatus(Translate("Photos found:") + u' ' + QString::number(RunList.size()));
    Cancelled = false;
    QStringList paths;
    paths.reserve(qsizetype(RunList.size()));
    for (const TRunFile& file : RunList) paths << file.path;
    StartPrefetch(paths);
    LastBatch = batch.Run([&] {
      for (const TRunFile& file : RunList) {
        if (Cancelled) return;
        const bool chosen = edOutputPath->isEnabled();
        QString folder =
            chosen ? edOutputPath->text() : file.path.left(file.path.lastIndexOf(u'/') + 1);
        if (chosen && !file.subfolder.isEmpty()) {
          // Below a chosen folder the listed folder's tree is mirrored (ProcessImage makes each
          // folder as a photo is written into it).
          if (!folder.endsWith(u'/')) folder += u'/';
          folder += file.subfolder;
        }
        ProcessOrSkip(file.path, folder);
      }
      if (!Cancelled) liFiles->clearSelection();
    });
    StopPrefetch();
    error = batch.Error();
  }
  // The error of a job, or the photos skipped, are shown once the run has cleaned up.
  ShowSkippedPhotos();
  if (LastBatch == TBatchOutcome::error) ShowError(error);
  if (LastBatch == TBatchOutcome::finished) UpdateControls();
}

}  // namespace lumvale
