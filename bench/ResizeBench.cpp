// Times the downscale of a 12-megapixel photo, single-threaded, and prints medians:
//   (a) libjpeg-turbo's full-size floating-point decode alone,
//   (b) load + Lanczos-3 shrink to fit 800 x 600 + encode at quality 90 (what one job does),
//   (c) the resample alone, per source megapixel,
// the ratio b / a, and the peak memory of (b) measured in a fresh process.
#include "BenchDecode.h"
#include "Bitmap32.h"
#include "Job.h"
#include "JpegImage.h"
#include "KernelResampler.h"
#include "MedianTime.h"
#include "MemoryStream.h"
#include "PhotoMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

using namespace lumvale;

namespace {

// What one job does without the windows: load, shrink to fit 800 x 600 with the Lanczos kernel,
// encode at quality 90.
void Job(const QString& path) {
  TBitmap32 source;
  InstallLanczosResampler(source);
  source.LoadImageFile(path);
  int32_t w = 0, h = 0;
  TargetSize(source.Width(), source.Height(), 800, 600, w, h);
  TBitmap32 target;
  target.Resize(w, h);
  target.StretchFrom(target.FullRect(), source.FullRect(), &source);
  TDeviceBitmap plain;
  target.ExportToDeviceBitmap(plain);
  TJPEGImage jpeg;
  jpeg.TakeBitmap(plain);
  jpeg.SetEncodeQuality(90);
  TMemoryStream stream;
  jpeg.WriteEncoded(stream);
}

long VmRssKb() {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

// Runs one job in a fresh process and returns its peak resident memory in kB.
long PeakOfJobKb(const char* self, const QString& path, long& startKb) {
  const std::string file = path.toStdString();
  const std::string out = QDir::temp().filePath("lumvale-bench-rss").toStdString();
  char* argv[] = {const_cast<char*>(self), const_cast<char*>("--job"),
                  const_cast<char*>(file.c_str()), const_cast<char*>(out.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  QFile f(QString::fromStdString(out));
  startKb = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLong() : -1;
  return usage.ru_maxrss;
}

std::vector<uint8_t> PhotoFile(const QString& path, int w, int h, bool progressive) {
  QFile f(path);
  if (f.open(QIODevice::ReadOnly)) {
    const QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
  }
  std::vector<uint8_t> bytes = MakePhotoJpeg(w, h, progressive, 92);
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (f.open(QIODevice::WriteOnly))
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.value(1) == "--job") {  // child of PeakOfJobKb
    const long start = VmRssKb();
    Job(args.value(2));
    QFile f(args.value(3));
    if (f.open(QIODevice::WriteOnly)) f.write(QByteArray::number(qlonglong(start)));
    return 0;
  }
  const int runs = args.value(1).isEmpty() ? 7 : args.value(1).toInt();
  const QString dataDir = args.value(2).isEmpty() ? QStringLiteral("bench/data") : args.value(2);
  const int w = 4032, h = 3024;
  const double megapixels = w * double(h) / 1e6;

  std::printf("photo %d x %d (%.1f MP), %d timed runs each, medians, single thread\n", w, h,
              megapixels, runs);
  for (bool progressive : {false, true}) {
    const QString path = QDir(dataDir).filePath(QStringLiteral("photo-%1x%2-%3.jpg")
                                                    .arg(w)
                                                    .arg(h)
                                                    .arg(progressive ? "progressive" : "baseline"));
    const std::vector<uint8_t> file = PhotoFile(path, w, h, progressive);

    const double a = MedianMs(runs, [&] { DecodeAlone(file.data(), file.size()); });
    const double b = MedianMs(runs, [&] { Job(path); });

    TBitmap32 source;
    InstallLanczosResampler(source);
    source.LoadImageFile(path);
    int32_t tw = 0, th = 0;
    TargetSize(source.Width(), source.Height(), 800, 600, tw, th);
    TBitmap32 target;
    target.Resize(tw, th);
    const double c =
        MedianMs(runs, [&] { target.StretchFrom(target.FullRect(), source.FullRect(), &source); });
    TDeviceBitmap plain;
    target.ExportToDeviceBitmap(plain);
    const double e = MedianMs(runs, [&] {
      TJPEGImage jpeg;
      jpeg.TakeBitmap(plain);
      TMemoryStream s;
      jpeg.WriteEncoded(s);
    });

    long startKb = 0;
    const long peakKb = PeakOfJobKb(argv[0], path, startKb);
    const double pixelMb = w * double(h) * 4 / (1024.0 * 1024.0);
    const double peakMb = peakKb / 1024.0;
    const double budgetMb = 1.25 * pixelMb + 32;

    std::printf("\n%s file: %.1f MB (%.2f bits per pixel), target %d x %d\n",
                progressive ? "progressive" : "baseline", file.size() / 1e6,
                file.size() * 8.0 / (w * double(h)), tw, th);
    std::printf("  (a) libjpeg-turbo decode alone     %8.1f ms  (%.2f ms/MP)\n", a, a / megapixels);
    std::printf("  (b) load + shrink + encode         %8.1f ms\n", b);
    std::printf("  (c) resample alone                 %8.1f ms  (%.2f ms per source MP)\n", c,
                c / megapixels);
    std::printf("      encode of the target alone     %8.1f ms\n", e);
    std::printf("  ratio b / a                        %8.3f  (target at most 1.25)\n", b / a);
    std::printf(
        "  peak memory of (b)                 %8.1f MB  (process at start %.1f MB; "
        "budget 1.25 x %.1f MB pixels + 32 MB = %.1f MB)\n",
        peakMb, startKb / 1024.0, pixelMb, budgetMb);
  }
  return 0;
}
