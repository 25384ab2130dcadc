// The single image job: output name and folder, the overwrite question, loading into the status
// window's bitmap, the aspect-preserving Lanczos shrink, encoding, the quality-lowering loop for
// the size limit, and one atomic write of the result.
#include "Job.h"

#include "BuiltInTexts.h"
#include "DialogService.h"
#include "EditToInt.h"
#include "GnuGettext.h"
#include "Image32.h"
#include "JpegImage.h"
#include "KernelResampler.h"
#include "MainWindow.h"
#include "MemoryStream.h"
#include "StatusWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

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
      inputPath_(inputPath) {}

QString OutputName(const QString& inputName, bool addExtension, bool suffix,
                   const QString& addition) {
  if (!addExtension) return inputName;
  const qsizetype dot = inputName.lastIndexOf(u'.');
  const QString base = dot < 0 ? inputName : inputName.left(dot);
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

void TargetSize(int32_t W, int32_t H, int32_t maxWidth, int32_t maxHeight, int32_t& w, int32_t& h) {
  // 64-bit products: a dimension times a limit can pass 2^31.
  int64_t tw = W, th = H;
  if (maxWidth > 0 && maxWidth < W) {
    th = int64_t(H) * maxWidth / W;
    tw = maxWidth;
  }
  if (maxHeight > 0 && maxHeight < th) {
    tw = int64_t(W) * maxHeight / H;
    th = maxHeight;
  }
  w = int32_t(std::max<int64_t>(tw, 1));
  h = int32_t(std::max<int64_t>(th, 1));
}

int QualityStep(int64_t ratio) {
  if (ratio >= 601) return 20;
  if (ratio >= 301) return 10;
  if (ratio >= 181) return 6;
  if (ratio >= 121) return 4;
  if (ratio >= 111) return 2;
  return 1;
}

int NextQuality(int64_t size, int64_t limit, int q) {
  if (size <= limit || q <= 5) return 0;
  return std::max(q - QualityStep(size * 100 / limit), 1);
}

void TfrmMain::ProcessImage(const QString& InputPath, const QString& OutputFolder) {
  int steps = 0;
  auto step = [&] {
    ++steps;
    StepProgress();
  };
  try {
    if (!QFileInfo(InputPath).isFile()) {
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
        while (steps < 3) step();
        return;
      }
    }

    ShowStatus(TranslateResourceString(rsLoadingImage) + u' ' + InputName);
    TBitmap32& source = frmImagePopup->img->Bitmap();
    source.LoadImageFile(InputPath);
    frmImagePopup->img->AwaitScaledPicture();
    const int32_t W = source.Width(), H = source.Height();
    if (W == 0 || H == 0) {
      throw Exception(Translate("The picture file \"%1\" is empty.").arg(InputPath));
    }
    ShowStatus(TranslateResourceString(rsImageSize) + QStringLiteral("(%1 x %2)").arg(W).arg(H));
    step();

    TDeviceBitmap plain;
    {
      TBitmap32 target;
      frmImagePopup->gbImage->setTitle(TranslateResourceString(rsImage) + QStringLiteral(": ") +
                                       InputName);
      frmImagePopup->img->setToolTip(InputPath);
      QCoreApplication::processEvents();
      // The target's own resampler never runs: a stretch samples with the source's.
      TBitmap32Resampler::Create<TKernelResampler>(target).SetKernel(
          std::make_unique<TLanczosKernel>());

      int32_t w = 0, h = 0;
      TargetSize(W, H, cbWidth->isChecked() ? EditToInt(edWidth->text()) : 0,
                 cbHeight->isChecked() ? EditToInt(edHeight->text()) : 0, w, h);
      target.Resize(w, h);
      if (w == W && h == H) {
        target.CopyFrom(source);
      } else {
        ShowStatus(TranslateResourceString(rsResizeTo) + QStringLiteral("(%1 x %2)").arg(w).arg(h));
        target.StretchFrom(target.FullRect(), source.FullRect(), &source);
      }
      target.ExportToDeviceBitmap(plain);
      frmImagePopup->img->ScaledPicture(target);
    }

    int q = tbQuality->value();
    TJPEGImage jpeg;
    jpeg.TakeBitmap(plain);
    jpeg.SetEncodeQuality(q);
    jpeg.SetProgressiveScans(cbProgressive->isChecked());
    jpeg.SetDecodeSmoothing(true);
    TMemoryStream stream;
    jpeg.WriteEncoded(stream);

    const int64_t limit = int64_t(EditToInt(edFilesize->text())) * 1024;
    if (cbFilesize->isChecked() && limit > 0) {
      for (int n = 0, next; (next = NextQuality(stream.Size(), limit, q)) != 0; ++n) {
        ShowStatus(TranslateResourceString(rsReduceFileSize) + QStringLiteral(" (") +
                   Translate("quality") + QStringLiteral(":%1/%2 ").arg(q).arg(n) +
                   Translate("size:") + QString::number(stream.Size()) + u')');
        QCoreApplication::processEvents();
        q = next;
        stream.Clear();
        jpeg.SetEncodeQuality(q);
        jpeg.TakeBitmap(plain);
        jpeg.WriteEncoded(stream);
      }
    }

    ShowStatus(Translate("Quality:") + u' ' + QString::number(q) + u' ' + Translate("size:") +
               u' ' + QString::number(stream.Size()));
    step();
    ShowStatus(TranslateResourceString(rsSavingImage) + u' ' + outputName);
    stream.SaveToFile(OutputPath);
    step();
  } catch (...) {
    // The bar advances three steps per file whatever happens; the run then ends with the error.
    while (steps < 3) step();
    RethrowNamingThePhoto(InputPath);
  }
}

}  // namespace lumvale
