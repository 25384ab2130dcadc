// Start-up and close of the main window: the window size kept between sessions, the values
// stored at close, and the command-line batch that the first timer tick runs.
#include "BatchScope.h"
#include "ErrorDisplay.h"
#include "InputExpansion.h"
#include "MainWindow.h"
#include "Prefetcher.h"
#include "SectionStore.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace lumvale {

void TfrmMain::RestoreWindowSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QString section = QStringLiteral("settings");
  if (RegSettings->ReadInteger(section, QStringLiteral("fullscreen"), 0) == 1) {
    setWindowState(windowState() | Qt::WindowMaximized);
    return;
  }
  const int width = RegSettings->ReadInteger(section, QStringLiteral("clientwidth"),
                                             available.width() > 1000 ? 870 : 790);
  const int height = RegSettings->ReadInteger(section, QStringLiteral("clienthight"), 450);
  // A stored size is kept on the screen and above the window's own minimum.
  resize(std::clamp(width, minimumSizeHint().width(), std::max(available.width(), 1)),
         std::clamp(height, minimumSizeHint().height(), std::max(available.height(), 1)));
  move(available.center() - rect().center());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  Guarded([&] { CommitFocusedEdit(); });
  Guarded([&] {
    const QString section = QStringLiteral("settings");
    RegSettings->WriteString(section, QStringLiteral("activeProfile"), ActiveProfile);
    if (isMaximized()) {
      RegSettings->WriteInteger(section, QStringLiteral("fullscreen"), 1);
    } else {
      RegSettings->WriteInteger(section, QStringLiteral("fullscreen"), 0);
      RegSettings->WriteInteger(section, QStringLiteral("clientwidth"), width());
      RegSettings->WriteInteger(section, QStringLiteral("clienthight"), height());
    }
    RegSettings->Commit();
  });
  event->accept();
}

TfrmMain::~TfrmMain() = default;

namespace {

// A command-line argument the batch processes: a photo's name, in any case.
bool IsPhotoArgument(const QString& argument) {
  return !argument.startsWith(QLatin1String("-p:")) && IsPhotoName(argument);
}

}  // namespace

void TfrmMain::TimerTimer() {
  Cancelled = false;
  Timer->stop();
  if (Arguments.isEmpty()) return;
  int processed = 0;
  QString error;
  {
    TBatchScope batch(*this);
    SkippedPhotos.clear();
    Guarded([&] { LoadProfile(QStringLiteral("default")); });
    InitProgress(int(Arguments.size()));  // every argument counts, files or not
    QStringList files;
    for (const QString& argument : Arguments) {
      if (IsPhotoArgument(argument)) files << QFileInfo(argument).absoluteFilePath();
    }
    StartPrefetch(files);
    LastBatch = batch.Run([&] {
      for (const QString& argument : Arguments) {
        if (Cancelled) return;
        if (argument.startsWith(QLatin1String("-p:"))) {
          SelectProfile(argument.mid(3).left(100));
          LoadProfile(ActiveProfile);
        } else if (IsPhotoArgument(argument)) {
          // The job works on full paths: a name relative to the working folder is completed.
          ProcessOrSkip(QFileInfo(argument).absoluteFilePath(), QString());
          ++processed;
        }
      }
    });
    StopPrefetch();
    error = batch.Error();
  }
  ShowSkippedPhotos();
  if (LastBatch == TBatchOutcome::error) ShowError(error);
  // Ends by itself only after a clean run that processed a file; nothing is saved then.
  if (LastBatch == TBatchOutcome::finished && processed > 0 && SkippedPhotos.isEmpty()) {
    Terminating = true;
    QCoreApplication::exit(0);
  }
  emit BatchEnded(LastBatch);
}

}  // namespace lumvale
