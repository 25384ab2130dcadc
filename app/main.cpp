// The program entry: the localization first, then the main window and the message loop.
#include "Exception.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtDialogService.h"

#include <QApplication>

#include <cstdio>

using namespace lumvale;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumvale"));
  try {
    TLocalization localization;
    SetDialogService(std::make_unique<QtDialogService>());
    const QStringList args = QApplication::arguments().mid(1);
    // Developer checks of the translation, without a window.
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
    TfrmMain frmMain;
    frmMain.show();
    app.exec();
  } catch (const Exception& e) {
    std::fprintf(stderr, "lumvale: %s\n", e.what());
    return 1;
  }
  return 0;
}
