// A developer entry until the main window exists: scales one JPEG into another.
#include "Exception.h"
#include "GnuGettext.h"
#include "ScaleJob.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace lumvale;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lumvale"));
  const QStringList args = QCoreApplication::arguments().mid(1);
  TLocalization localization;
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
  if (args.size() < 2) {
    std::fprintf(stderr,
                 "usage: lumvale INPUT.jpg OUTPUT.jpg [MAX_WIDTH [MAX_HEIGHT [QUALITY "
                 "[progressive]]]]\n"
                 "Scales INPUT down to fit MAX_WIDTH x MAX_HEIGHT (0: no limit) with the "
                 "Lanczos-3 kernel and writes it as JPEG (quality 90 by default).\n"
                 "       lumvale --translate TEXT   prints TEXT in the current language\n"
                 "       lumvale --languages        lists the languages with a catalogue\n");
    return 2;
  }
  TScaleSettings settings;
  settings.maxWidth = args.value(2).toInt();
  settings.maxHeight = args.value(3).toInt();
  if (args.size() > 4) settings.quality = args.value(4).toInt();
  settings.progressive = args.value(5) == QLatin1String("progressive");
  try {
    TBitmap32 source;
    InstallLanczosResampler(source);
    TMemoryStream stream;
    ScaleToStream(args[0], source, settings, stream);
    stream.SaveToFile(args[1]);
    std::printf("%s: from %d x %d, %lld bytes\n", qPrintable(args[1]), source.Width(),
                source.Height(), static_cast<long long>(stream.Size()));
  } catch (const Exception& e) {
    std::fprintf(stderr, "lumvale: %s\n", e.what());
    return 1;
  }
  return 0;
}
