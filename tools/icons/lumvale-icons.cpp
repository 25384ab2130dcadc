// Writes the program's icons into the hicolor layout below a folder, from the logo's own
// drawing: lumvale-icons FOLDER makes FOLDER/<n>x<n>/apps/lumvale.png for 48, 128 and 256 and
// FOLDER/scalable/apps/lumvale.svg.
#include "Logo.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: lumvale-icons FOLDER\n", stderr);
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  for (int size : {48, 128, 256}) {
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    root.mkpath(folder);
    if (!lumvale::LumvaleLogo(size).save(root.filePath(folder + "/lumvale.png"))) return 1;
  }
  root.mkpath("scalable/apps");
  QSvgGenerator svg;
  svg.setFileName(root.filePath("scalable/apps/lumvale.svg"));
  svg.setSize(QSize(128, 128));
  svg.setViewBox(QRect(0, 0, 128, 128));
  svg.setTitle("Lumvale");
  QPainter painter(&svg);
  lumvale::PaintLumvaleLogo(painter, 128);
  return painter.end() ? 0 : 1;
}
