// The program entry: the localization first, then the main window and the message loop. With
// arguments and no screen, the command-line batch runs without windows and reports on the
// terminal.
#include "Exception.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtDialogService.h"
#include "TerminalDialogService.h"
#include "Version.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace lumvale;

namespace {

const char* kUsage =
    "usage: lumvale [-p:PROFILE] [PHOTO ...]\n"
    "       lumvale --open [FILE ...]\n"
    "Without arguments, opens the main window. With arguments, processes the photos (.jpg,\n"
    ".jpeg, .jpe, .jfif, .heic, .heif, .hif, .avif) into JPEG files with the settings of the\n"
    "profile named by the last -p: before each file (\"default\" before the first) and ends\n"
    "by itself. Without a screen (no DISPLAY or WAYLAND_DISPLAY), the batch\n"
    "reports on standard error and ends with 0 (done), 1 (an error) or 2 (cancelled).\n"
    "  --open      opens the main window with the files and folders in its input list, as\n"
    "              dropping them on it would (needs a screen)\n"
    "  --help      this text\n"
    "  --version   the program's version\n";

bool HaveScreen() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform &&
      (std::strcmp(platform, "offscreen") == 0 || std::strcmp(platform, "minimal") == 0)) {
    return false;
  }
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Lumvale %s\n", kVersion);
      return 0;
    }
  }
  const bool headless = !HaveScreen();
  const bool open = argc > 1 && std::strcmp(argv[1], "--open") == 0;
  if (headless) {
    if (argc < 2 || open) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumvale"));
  try {
    TLocalization localization;
    const QStringList args = QApplication::arguments().mid(1);
    // Developer checks of the translation.
    if (args.value(0) == QLatin1String("--translate") && args.size() == 2) {
      std::printf("%s\n", qPrintable(Translate(args[1])));
      return 0;
    }
    if (args.value(0) == QLatin1String("--languages")) {
      QStringList codes;
      ListLanguages(QStringLiteral("default"), codes);
      std::printf("%s\n", qPrintable(codes.join(u' ')));
      return 0;
    }
    if (headless) {
      SetDialogService(std::make_unique<TerminalDialogService>());
    } else {
      SetDialogService(std::make_unique<QtDialogService>());
    }
    TfrmMain frmMain;
    if (open) {
      // The program's menu entry: the files and folders a file manager hands over are listed.
      frmMain.OpenInputs(args.mid(1));
    } else {
      frmMain.Arguments = args;
    }
    if (headless) {
      QObject::connect(&frmMain, &TfrmMain::StatusShown,
                       [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
      QObject::connect(&frmMain, &TfrmMain::ProgressShown, [](int position, int maximum) {
        if (position % 3 == 0) std::fprintf(stderr, "[%d/%d]\n", position / 3, maximum / 3);
      });
      QObject::connect(&frmMain, &TfrmMain::BatchEnded, &app, [&frmMain](TBatchOutcome outcome) {
        // Skipped photos were listed on standard error; the batch did not do all it was given.
        int code = 2;
        if (outcome == TBatchOutcome::finished) code = frmMain.SkippedPhotos.isEmpty() ? 0 : 1;
        if (outcome == TBatchOutcome::error) code = 1;
        QCoreApplication::exit(code);
      });
    }
    if (headless) {
      // Nobody would see the windows: they are never shown, so nothing is laid out or painted
      // and the status window makes no preview; the batch starts as on a shown window.
      frmMain.setAttribute(Qt::WA_DontShowOnScreen);
      frmMain.FormShow();
    } else {
      frmMain.show();
    }
    return app.exec();
  } catch (const Exception& e) {
    std::fprintf(stderr, "lumvale: %s\n", e.what());
    return 1;
  }
}
