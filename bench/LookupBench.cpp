// Lookups per second in a real catalogue of a few thousand messages that Debian installs:
// the reader's halving search alone, and the whole Translate path (UTF-8 in and out, line-break
// normalisation). Single thread; medians of several timed rounds after a warm-up.
#include "Catalogues.h"
#include "GnuGettext.h"
#include "MoFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

using namespace lumvale;
using Clock = std::chrono::steady_clock;

namespace {

// Median nanoseconds per call of work(i) over all i < count.
double MedianNs(size_t count, const std::function<size_t(size_t)>& work) {
  size_t sink = 0;
  for (size_t i = 0; i < count; ++i) sink += work(i);
  std::vector<double> rounds;
  for (int r = 0; r < 7; ++r) {
    const auto t0 = Clock::now();
    for (int rep = 0; rep < 20; ++rep) {
      for (size_t i = 0; i < count; ++i) sink += work(i);
    }
    rounds.push_back(std::chrono::duration<double, std::nano>(Clock::now() - t0).count() /
                     (20.0 * double(count)));
  }
  std::sort(rounds.begin(), rounds.end());
  if (sink == 42) std::puts("");  // keeps the work observable
  return rounds[rounds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (path.isEmpty()) path = test::LargestSystemCatalogue();
  if (path.isEmpty()) {
    std::fprintf(stderr, "no catalogue found; name one: lookup_bench FILE.mo\n");
    return 1;
  }
  test::Messages messages = test::Unformat(path);
  std::erase_if(messages, [](const auto& m) { return m.first.find("%<") != std::string::npos; });
  std::shuffle(messages.begin(), messages.end(), std::mt19937(1));
  std::vector<std::string> misses;
  for (const auto& m : messages) misses.push_back(m.first + "\x01");

  const TMoFile mo(path, 0, 0);
  std::printf("catalogue %s: %u entries, %zu looked up\n", qPrintable(path), mo.EntryCount(),
              messages.size());
  const double hit = MedianNs(messages.size(),
                              [&](size_t i) { return mo.Lookup(messages[i].first).bytes.size(); });
  const double miss =
      MedianNs(misses.size(), [&](size_t i) { return mo.Lookup(misses[i]).bytes.size(); });

  // The whole Translate path: a locale folder with this catalogue as the German one.
  QTemporaryDir dir;
  const QString exe = dir.filePath("lumvale");
  QFile(exe).open(QIODevice::WriteOnly);
  QDir().mkpath(dir.filePath("locale/de/LC_MESSAGES"));
  QFile::copy(path, dir.filePath("locale/de/LC_MESSAGES/default.mo"));
  ::setenv("LANG", "de", 1);
  TLocalization l10n(exe, 0);
  std::vector<QString> texts;
  for (const auto& m : messages) texts.push_back(QString::fromStdString(m.first));
  const double translate =
      MedianNs(texts.size(), [&](size_t i) { return size_t(Translate(texts[i]).size()); });

  std::printf("TMoFile::Lookup, found:     %7.0f ns  (%.2f million lookups/s)\n", hit, 1e3 / hit);
  std::printf("TMoFile::Lookup, not found: %7.0f ns  (%.2f million lookups/s)\n", miss, 1e3 / miss);
  std::printf("Translate (whole path):     %7.0f ns  (%.2f million lookups/s)\n", translate,
              1e3 / translate);
  return 0;
}
