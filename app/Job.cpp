// The single image job in the windows: output name and folder, the overwrite question, the
// engine's preparation of the photo (ahead on a worker, or now) shown in the status window, and
// one atomic write of the result.
#include "Job.h"

#include "BuiltInTexts.h"
#include "DialogService.h"
#include "EditToInt.h"
#include "FileTimes.h"
#include "GnuGettext.h"
#include "Image32.h"
#include "ImageJob.h"
#include "InputExpansion.h"
#include "MainWindow.h"
#include "MemoryStream.h"
#include "Prefetcher.h"
#include "StatusWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <functional>
#include <optional>

namespace lumvale {

namespace {

// Called while handling the error that ended the job on inputPath: the same error, its message
// framed with the photo's path, so that a long batch tells which photo failed. A quiet abort and
// what is no std::exception pass unchanged.
[[noreturn]] void RethrowNamingThePhoto(const QString& inputPath) {
  try {
    throw;
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    throw EJobError(inputPath, e.Message());
  } catch (const std::exception& e) {
    throw EJobError(inputPath, QString::fromUtf8(e.what()));
  }
}

}  // namespace

EJobError::EJobError(const QString& inputPath, const QString& reason)
    : Exception(Translate("Error while processing \"%1\":\n%2").arg(inputPath, reason)),
      inputPath_(inputPath),
      reason_(reason) {}

QString OutputName(const QString& inputName, bool addExtension, bool suffix,
                   const QString& addition) {
  const qsizetype dot = inputName.lastIndexOf(u'.');
  const QString base = dot < 0 ? inputName : inputName.left(dot);
  // What is written is a JPEG: a photo of another kind keeps its name, not its extension.
  if (!addExtension) return IsJpegName(inputName) ? inputName : base + QStringLiteral(".jpg");
  return (suffix ? base + u'_' + addition : addition + u'_' + base) + QStringLiteral(".jpg");
}

QString OutputFolderFor(const QString& inputPath, const QString& outputFolder,
                        bool chosenFolderMode, const QString& chosenFolder) {
  QString folder = !outputFolder.isEmpty() ? outputFolder
                   : chosenFolderMode      ? chosenFolder
                                           : inputPath.left(inputPath.lastIndexOf(u'/') + 1);
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder;
}

namespace {

// Turns what a job tells into the status window's lines, progress steps and preview, as the
// job goes or, for a photo prepared ahead, at its turn.
class TWindowReport final : public TJobReport {
 public:
  TWindowReport(TfrmMain& main, const QString& inputPath, const std::function<void()>& step)
      : main_(main),
        path_(inputPath),
        name_(inputPath.mid(inputPath.lastIndexOf(u'/') + 1)),
        step_(step) {}

  void Loading() override {
    main_.ShowStatus(TranslateResourceString(rsLoadingImage) + u' ' + name_);
  }
  void ImageSize(int32_t W, int32_t H) override {
    main_.ShowStatus(TranslateResourceString(rsImageSize) +
                     QStringLiteral("(%1 x %2)").arg(W).arg(H));
    step_();
    pictureSize_ = QSize(W, H);
    frmImagePopup->gbImage->setTitle(TranslateResourceString(rsImage) + QStringLiteral(": ") +
                                     name_);
    frmImagePopup->img->setToolTip(path_);
    QCoreApplication::processEvents();
  }
  void ResizeTo(int32_t w, int32_t h) override {
    main_.ShowStatus(TranslateResourceString(rsResizeTo) +
                     QStringLiteral("(%1 x %2)").arg(w).arg(h));
  }
  void Scaled(const TBitmap32& picture) override {
    frmImagePopup->img->ScaledPicture(picture, pictureSize_);
  }
  void DataMissing() override {
    main_.ShowStatus(Translate("The photo file is damaged or cut short; its missing part is grey"));
  }
  void InformationLeftOut() override {
    main_.ShowStatus(Translate("Photo information could not be read and was left out"));
  }
  void ReducingFileSize(int q, int n, int64_t size) override {
    main_.ShowStatus(TranslateResourceString(rsReduceFileSize) + QStringLiteral(" (") +
                     Translate("quality") + QStringLiteral(":%1/%2 ").arg(q).arg(n) +
                     Translate("size:") + QString::number(size) + u')');
    QCoreApplication::processEvents();
  }
  void Encoded(int q, int64_t size) override {
    main_.ShowStatus(Translate("Quality:") + u' ' + QString::number(q) + u' ' + Translate("size:") +
                     u' ' + QString::number(size));
    step_();
  }

 private:
  TfrmMain& main_;
  const QString path_, name_;
  const std::function<void()>& step_;
  QSize pictureSize_;
};

}  // namespace

TJobSettings TfrmMain::ReadJobSettings() const {
  TJobSettings s;
  s.maxWidth = cbWidth->isChecked() ? EditToInt(edWidth->text()) : 0;
  s.maxHeight = cbHeight->isChecked() ? EditToInt(edHeight->text()) : 0;
  s.quality = tbQuality->value();
  s.progressive = cbProgressive->isChecked();
  const int64_t limit = int64_t(EditToInt(edFilesize->text())) * 1024;
  s.sizeLimit = cbFilesize->isChecked() && limit > 0 ? limit : 0;
  s.turnUpright = cbAutorotate->isChecked();
  s.keepColourProfile = cbKeepIcc->isChecked();
  s.keepInformation = cbKeepExif->isChecked();
  s.keepLocation = cbKeepExif->isChecked() && cbKeepGps->isChecked();
  return s;
}

void TfrmMain::StartPrefetch(const QStringList& files) {
  Prefetch.reset();
  const int threads = TPrefetcher::DefaultThreads();
  if (threads <= 1 || files.size() < 2) return;
  // A worker's finished photo wakes the event loop that waits for it.
  const auto wake = [] {
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(
          app, [] {}, Qt::QueuedConnection);
    }
  };
  // A window never put on a screen (the terminal mode's) shows no preview.
  const bool previews = !testAttribute(Qt::WA_DontShowOnScreen);
  Prefetch = std::make_unique<TPrefetcher>(files, threads, wake, previews);
}

void TfrmMain::StopPrefetch() {
  Prefetch.reset();  // the workers stop and are joined
}

void TfrmMain::ProcessImage(const QString& InputPath, const QString& OutputFolder) {
  int steps = 0;
  const std::function<void()> step = [&] {
    ++steps;
    StepProgress();
  };
  // The settings of this file are the controls' values as its turn begins.
  const TJobSettings settings = ReadJobSettings();
  const bool keepDate = cbKeepDate->isChecked();
  // Whether the workers were told that this file's turn passed (the same file may come next).
  bool turnPassed = false;
  if (Prefetch) Prefetch->Announce(settings);
  try {
    if (!QFileInfo(InputPath).isFile()) {
      if (Prefetch) Prefetch->Skip(InputPath);
      ShowStatus(TranslateResourceString(rsFileNotFound) + u' ' + InputPath);
      while (steps < 3) step();
      return;
    }
    const QString InputName = InputPath.mid(InputPath.lastIndexOf(u'/') + 1);
    const QString outputName =
        OutputName(InputName, cbAddExtension->isChecked(), rgSufix->isChecked(), edAddExt->text());
    const QString folder =
        OutputFolderFor(InputPath, OutputFolder, edOutputPath->isEnabled(), edOutputPath->text());
    QCoreApplication::processEvents();
    const QString OutputPath = folder + outputName;

    // A folder cannot be replaced by the picture: asking whether to overwrite it would offer
    // what cannot be done.
    if (QFileInfo(OutputPath).isDir()) {
      throw EFileError(
          Translate("Cannot write file \"%1\": a folder of that name exists.").arg(OutputPath));
    }
    if (QFileInfo::exists(OutputPath)) {
      TMessageButton answer = mbYes;
      if (OverwriteAnswer == TOverwriteAnswer::yesToAll) {
        answer = mbYes;
      } else if (OverwriteAnswer == TOverwriteAnswer::noToAll) {
        answer = mbNo;
      } else {
        QString question = TranslateResourceString(rsOverwriteQuestion);
        question.replace(QStringLiteral("%s"), OutputPath);
        answer = Dialogs().MessageBox(question, Translate("Confirm"), TMessageIcon::question,
                                      mbYes | mbNo | mbCancel | mbNoToAll | mbYesToAll, mbYes);
        if (answer == mbCancel) Cancelled = true;
        if (answer == mbNoToAll) OverwriteAnswer = TOverwriteAnswer::noToAll;
        if (answer == mbYesToAll) OverwriteAnswer = TOverwriteAnswer::yesToAll;
      }
      if (answer != mbYes && answer != mbYesToAll) {
        if (Prefetch) {
          if (Cancelled) Prefetch->Cancel();
          Prefetch->Skip(InputPath);
        }
        while (steps < 3) step();
        return;
      }
    }

    TWindowReport report(*this, InputPath, step);
    std::optional<TPrefetched> ready;
    if (Prefetch) {
      // While a worker finishes this photo the windows stay responsive; a cancel meanwhile
      // lets this photo finish and drops the ones after it.
      turnPassed = true;
      ready = Prefetch->Take(InputPath, settings, [this] {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (Cancelled && Prefetch) Prefetch->Cancel();
      });
    }
    TMemoryStream stream;
    if (ready) {
      const TBitmap32 none;  // no picture is kept where no preview is shown
      ready->report.ReplayTo(report, ready->image.scaled ? *ready->image.scaled : none);
      stream.Bytes() = std::move(ready->image.bytes);
    } else {
      stream.Bytes() = PrepareImage(InputPath, settings, report).bytes;
    }
    ShowStatus(TranslateResourceString(rsSavingImage) + u' ' + outputName);
    // Read before the write, which may replace the photo itself.
    const std::optional<timespec> inputTime = keepDate ? ModificationTime(InputPath) : std::nullopt;
    // A folder of a tree mirrored below the chosen folder is made once a photo is written into
    // it; a chosen folder that does not exist stays an error of the write.
    if (!OutputFolder.isEmpty() && edOutputPath->isEnabled() && !QFileInfo(folder).isDir() &&
        QFileInfo(edOutputPath->text()).isDir()) {
      QDir().mkpath(folder);
    }
    stream.SaveToFile(OutputPath);
    // Once the output is in place; a file system without the right to set times keeps its own.
    if (inputTime) SetModificationTime(OutputPath, *inputTime);
    step();
  } catch (...) {
    // The bar advances three steps per file whatever happens; the run then ends with the error,
    // or goes on without this photo, whose turn then passes for the workers too.
    if (Prefetch && !turnPassed) Prefetch->Skip(InputPath);
    while (steps < 3) step();
    RethrowNamingThePhoto(InputPath);
  }
}

}  // namespace lumvale
