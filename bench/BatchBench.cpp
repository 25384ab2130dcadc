// The real batch path on 12-megapixel photos: the main window offscreen, limits 800 x 600 at
// quality 90, "Run" pressed; prints the median time per photo (status window and its preview
// included) and its ratio to libjpeg-turbo's full-size floating-point decode of the same photo.
#include "BenchDecode.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "MedianTime.h"
#include "PhotoMaker.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

using namespace lumvale;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::setenv("LANG", "C", 1);
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  const QString data = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("bench/data");
  const int photos = 4;

  const QString photo = QDir(data).filePath("photo-4032x3024-baseline.jpg");
  if (!QFile::exists(photo)) {
    QDir().mkpath(data);
    const std::vector<uint8_t> bytes = MakePhotoJpeg(4032, 3024, false, 92);
    QFile f(photo);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  }
  QFile f(photo);
  f.open(QIODevice::ReadOnly);
  const QByteArray file = f.readAll();

  TLocalization l10n;
  QTemporaryDir in, out;
  for (int i = 0; i < photos; ++i)
    QFile::copy(photo, in.filePath(QStringLiteral("p%1.jpg").arg(i)));

  TfrmMain w;
  w.show();
  w.cbWidth->setChecked(true);
  w.cbHeight->setChecked(true);
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(out.path());
  w.AddInputFolder(in.path());
  w.UpdateControls();
  QApplication::processEvents();

  const double decode = MedianMs(runs, [&] {
    DecodeAlone(reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size()));
  });
  const double batch = MedianMs(runs, [&] {
    for (const QString& name : QDir(out.path()).entryList(QDir::Files))
      QFile::remove(out.filePath(name));
    w.btRun->click();
  });
  const double perPhoto = batch / photos;
  std::printf(
      "batch of %d photos of 4032 x 3024 (%.1f MB each), limits 800 x 600, quality 90, "
      "%d timed runs, medians\n",
      photos, file.size() / 1e6, runs);
  std::printf("  libjpeg-turbo decode alone      %8.1f ms per photo\n", decode);
  std::printf(
      "  batch run                       %8.1f ms per photo (status window and preview "
      "included)\n",
      perPhoto);
  std::printf("  ratio                           %8.3f  (target at most 1.35)\n",
              perPhoto / decode);
  return 0;
}
