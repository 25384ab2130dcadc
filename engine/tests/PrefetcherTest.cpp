// Photos prepared ahead on worker threads: the same results as the job on the caller's thread,
// only for the settings of each turn, bounded, and stopped by a cancel.
#include "JobTestSupport.h"
#include "JpegCodec.h"
#include "Prefetcher.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>

using namespace lumvale;
using namespace lumvale::test;

namespace {

struct Photos {
  QTemporaryDir dir;
  QStringList paths;
  explicit Photos(int count, int size = 160) {
    for (int i = 0; i < count; ++i) {
      paths << dir.filePath(QString("p%1.jpg").arg(i));
      // Sizes differ from photo to photo, so that results cannot be mixed up unnoticed.
      WriteFile(paths.back(), MakeJpeg({size + 8 * i, size - 4 * i, i % 3 == 2, i % 2 == 1}));
    }
  }
};

const TJobSettings kSettings{64, 64, 90, false, 0};

// Until a worker has taken the first file: a file no worker has reached is the caller's own.
void AwaitFirstTaken(const TPrefetcher& prefetcher) {
  while (prefetcher.MostTakenAhead() == 0) std::this_thread::yield();
}

}  // namespace

TEST(Prefetcher, EveryTurnGetsWhatTheJobMakesInOrder) {
  Photos photos(9);
  for (int workers : {1, 2, 4}) {
    TPrefetcher prefetcher(photos.paths, workers);
    prefetcher.Announce(kSettings);
    AwaitFirstTaken(prefetcher);
    for (const QString& path : photos.paths) {
      std::optional<TPrefetched> got = prefetcher.Take(path, kSettings);
      Transcript none;
      const TPreparedImage direct = PrepareImage(path, kSettings, none);
      // A worker may not have reached the file: then the caller does it itself.
      if (got) {
        EXPECT_EQ(got->image.bytes, direct.bytes) << path.toStdString();
      }
    }
    EXPECT_GE(prefetcher.Prepared(), 1) << workers;
    EXPECT_LE(prefetcher.MostTakenAhead(), workers) << "at most one waiting result per worker";
  }
}

TEST(Prefetcher, PhotoInformationIsReadOnEveryWorker) {
  // Photos with an orientation and a dated XMP packet, kept through Exiv2 on four threads at once.
  QTemporaryDir dir;
  QStringList paths;
  const std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                     0,   1,   0,  0, 0, 6, 0, 0, 0, 0, 0,    0,    0};
  std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  const std::string packet =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
      "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:CreateDate=\"2026-12-10\"/></rdf:RDF>"
      "</x:xmpmeta>";
  std::vector<uint8_t> xmp(jpeg::kXmpHeader, jpeg::kXmpHeader + sizeof jpeg::kXmpHeader);
  xmp.insert(xmp.end(), packet.begin(), packet.end());
  for (int i = 0; i < 12; ++i) {
    paths << dir.filePath(QString("p%1.jpg").arg(i));
    WriteFile(paths.back(), WithSegments(MakeJpeg({120 + 8 * i, 90}), {{0xE1, exif}, {0xE1, xmp}}));
  }
  TJobSettings keep = kSettings;
  keep.keepInformation = true;
  TPrefetcher prefetcher(paths, 4);
  prefetcher.Announce(keep);
  AwaitFirstTaken(prefetcher);
  for (const QString& path : paths) {
    std::optional<TPrefetched> got = prefetcher.Take(path, keep);
    Transcript none;
    const TPreparedImage direct = PrepareImage(path, keep, none);
    if (got) {
      EXPECT_EQ(got->image.bytes, direct.bytes) << path.toStdString();
    }
    EXPECT_EQ(none.lines.filter("left out"), QStringList());
  }
  EXPECT_GE(prefetcher.Prepared(), 1);
}

TEST(Prefetcher, AResultForOtherSettingsIsThrownAway) {
  Photos photos(3);
  TPrefetcher prefetcher(photos.paths, 2);
  prefetcher.Announce(kSettings);
  AwaitFirstTaken(prefetcher);
  ASSERT_TRUE(prefetcher.Take(photos.paths[0], kSettings)) << "the workers prepare the first";
  // The user changed the quality during the first file: the second was prepared at 90.
  TJobSettings changed = kSettings;
  changed.quality = 50;
  prefetcher.Announce(changed);
  EXPECT_FALSE(prefetcher.Take(photos.paths[1], changed));
  // The third may have been taken before the change or after it; a result, if any, is at 50.
  if (auto third = prefetcher.Take(photos.paths[2], changed)) {
    Transcript none;
    EXPECT_EQ(third->image.bytes, PrepareImage(photos.paths[2], changed, none).bytes);
  }
}

TEST(Prefetcher, ErrorsAndSkippedTurnsLeaveTheFileToTheCaller) {
  Photos photos(2);
  const QString broken = photos.dir.filePath("broken.jpg");
  WriteFile(broken, {0xFF, 0xD8, 0xFF, 0xE0, 1, 2});
  const QStringList files{photos.paths[0], broken, photos.paths[1]};
  TPrefetcher prefetcher(files, 2);
  prefetcher.Announce(kSettings);
  EXPECT_FALSE(prefetcher.Take(files[0], {1, 1, 1, false, 0})) << "other settings";
  EXPECT_FALSE(prefetcher.Take(files[1], kSettings)) << "an error comes at the turn itself";
  EXPECT_FALSE(prefetcher.Take(files[0], kSettings)) << "not the file of this turn";
  prefetcher.Skip(files[2]);
  EXPECT_FALSE(prefetcher.Take(files[2], kSettings)) << "the run is through";
}

TEST(Prefetcher, ACancelStopsTheWorkersPromptly) {
  Photos photos(12, 1200);  // large enough that a worker is busy when the cancel comes
  const auto start = std::chrono::steady_clock::now();
  int prepared = 0;
  {
    TPrefetcher prefetcher(photos.paths, 2);
    prefetcher.Announce(kSettings);
    AwaitFirstTaken(prefetcher);
    ASSERT_TRUE(prefetcher.Take(photos.paths[0], kSettings));
    prefetcher.Cancel();
    // The file of the current turn may still come; nothing after it does.
    prefetcher.Take(photos.paths[1], kSettings);
    EXPECT_FALSE(prefetcher.Take(photos.paths[2], kSettings)) << "prepared results are dropped";
    prepared = prefetcher.Prepared();
  }
  EXPECT_LE(prepared, 3) << "no file is started after the cancel";
  // Not a timing target: the workers must not go on through the remaining photos.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}
