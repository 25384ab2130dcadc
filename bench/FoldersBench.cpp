// Times what a big folder costs before the first photo, single-threaded, as medians:
//   (a) expanding a listed folder of 10,000 JPEG files (names only: the files are empty),
//   (b) the same files in 100 sub-folders of 100, with "include sub-folders",
//   (c) 10,000 dropped files added to the main window's input list that holds 10,000 already,
//   (d) "Run" pressed on a list of one folder of 10,000 files, until the first file's turn
//       (expansion, the status window, the progress bar and the "Photos found" line).
#include "DialogService.h"
#include "GnuGettext.h"
#include "InputExpansion.h"
#include "MainWindow.h"
#include "MedianTime.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace lumvale;
using Clock = std::chrono::steady_clock;

namespace {

// The first photo of (d) is empty and its error ends the run: nothing to show for it here.
class QuietDialogs final : public TDialogService {
 public:
  TMessageButton MessageBox(const QString&, const QString&, TMessageIcon, unsigned,
                            TMessageButton defaultButton) override {
    return defaultButton;
  }
};

void Touch(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TLocalization l10n;
  SetDialogService(std::make_unique<QuietDialogs>());
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  QTemporaryDir dir;
  const QString flat = dir.filePath("flat"), tree = dir.filePath("tree");
  QDir().mkpath(flat);
  QStringList dropped;
  for (int i = 0; i < 10000; ++i) {
    const QString name = QString("IMG_%1.jpg").arg(i, 5, 10, QChar('0'));
    Touch(flat + u'/' + name);
    const QString sub = QString("%1/day%2").arg(tree).arg(i / 100, 3, 10, QChar('0'));
    if (i % 100 == 0) QDir().mkpath(sub);
    Touch(sub + u'/' + name);
    dropped << QString("/photos/dropped/%1").arg(name);
  }
  std::printf("10,000 files; median of %d runs\n", runs);
  size_t found = 0;
  const double a =
      MedianMs(runs, [&] { found = ExpandEntries({FolderPattern(flat)}, false).size(); });
  std::printf("(a) one folder of 10,000 expanded            %8.1f ms (%zu files)\n", a, found);
  const double b =
      MedianMs(runs, [&] { found = ExpandEntries({FolderPattern(tree)}, true).size(); });
  std::printf("(b) 100 sub-folders of 100 expanded          %8.1f ms (%zu files)\n", b, found);

  QTemporaryDir config;
  TfrmMain w(config.filePath("Lumvale.ini"));
  QStringList listed;
  for (int i = 0; i < 10000; ++i) listed << QString("/photos/listed/%1.jpg").arg(i);
  const double c = MedianMs(runs, [&] {
    w.liFiles->clear();
    w.AddInputEntries(listed);
    w.AddInputEntries(dropped);
  });
  std::printf("(c) 10,000 + 10,000 entries added to the list %8.1f ms (%d entries)\n", c,
              w.liFiles->count());

  // Up to the first file's turn: the run is cancelled as the first photo's line appears.
  w.liFiles->clear();
  w.AddInputFolder(flat);
  w.UpdateControls();
  Clock::time_point pressed;
  std::vector<double> untilFirst;
  QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
    if (line.startsWith(QLatin1String("Photos found")) && !w.Cancelled) {
      untilFirst.push_back(
          std::chrono::duration<double, std::milli>(Clock::now() - pressed).count());
      w.Cancelled = true;
    }
  });
  for (int i = 0; i < runs; ++i) {
    pressed = Clock::now();
    w.btRun->click();
  }
  std::sort(untilFirst.begin(), untilFirst.end());
  std::printf("(d) Run pressed until the first file's turn  %8.1f ms\n",
              untilFirst.empty() ? -1.0 : untilFirst[untilFirst.size() / 2]);
  return 0;
}
