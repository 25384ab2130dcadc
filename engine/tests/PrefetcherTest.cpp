// Photos prepared ahead on worker threads: the same results as the job on the caller's thread,
// only for the settings of each turn and the file as it is at its turn, within the memory
// budget, big files first, and stopped by a cancel.
#include "JobTestSupport.h"
#include "JpegCodec.h"
#include "MemoryStream.h"
#include "Prefetcher.h"
#include "TestHeif.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <QFile>

#include <chrono>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

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

// Waits until done() holds; false after 30 seconds (a hung worker fails the test, not the run).
bool WaitFor(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
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
  }
}

TEST(Prefetcher, WithoutPreviewsTheResultsKeepNoPicture) {
  Photos photos(4);
  TPrefetcher prefetcher(photos.paths, 2, {}, false);
  prefetcher.Announce(kSettings);
  AwaitFirstTaken(prefetcher);
  int fromWorkers = 0;
  for (const QString& path : photos.paths) {
    if (std::optional<TPrefetched> got = prefetcher.Take(path, kSettings)) {
      ++fromWorkers;
      EXPECT_EQ(got->image.scaled, nullptr);
      Transcript none;
      EXPECT_EQ(got->image.bytes, PrepareImage(path, kSettings, none).bytes);
    }
  }
  EXPECT_GE(fromWorkers, 1);
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
  // Both workers have taken a file: the first and the second, at quality 90.
  ASSERT_TRUE(WaitFor([&] { return prefetcher.TakenOrder().size() >= 2; }));
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
  {
    TPrefetcher prefetcher(photos.paths, 2);
    prefetcher.Announce(kSettings);
    AwaitFirstTaken(prefetcher);
    ASSERT_TRUE(prefetcher.Take(photos.paths[0], kSettings));
    prefetcher.Cancel();
    const size_t taken = prefetcher.TakenOrder().size();
    // The file of the current turn may still come; nothing after it does.
    prefetcher.Take(photos.paths[1], kSettings);
    EXPECT_FALSE(prefetcher.Take(photos.paths[2], kSettings)) << "prepared results are dropped";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(prefetcher.TakenOrder().size(), taken) << "no file is started after the cancel";
  }
  // Not a timing target: the workers must not go on through the remaining photos.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(Prefetcher, WorkersGoOnPastABlockedTurnWithinTheBudget) {
  // Forty copies of one photo, so that every result costs the same; the turn stays at the first
  // file, as it does while the windows wait for an answer or write a slow photo.
  Photos one(1, 2400);  // slow enough that every worker starts before the first result
  QStringList paths;
  for (int i = 0; i < 40; ++i) {
    paths << one.dir.filePath(QString("copy%1.jpg").arg(i));
    ASSERT_TRUE(QFile::copy(one.paths[0], paths.back()));
  }
  Transcript none;
  const TPreparedImage sample = PrepareImage(paths[0], kSettings, none);
  const int64_t each = int64_t(sample.bytes.capacity()) +
                       int64_t(sample.scaled->Width()) * sample.scaled->Height() * 4;
  const int64_t budget = 6 * each;
  // Two workers, and more workers than results fit: never more than the budget.
  for (int workers : {2, 8}) {
    TPrefetcher prefetcher(paths, workers, {}, true, budget);
    prefetcher.Announce(kSettings);
    // The turn's own result and six past it, the most the budget holds.
    ASSERT_TRUE(WaitFor([&] { return prefetcher.Prepared() == 7; })) << prefetcher.Prepared();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(prefetcher.Prepared(), 7) << workers << ": nothing more while the turn stays";
    EXPECT_EQ(prefetcher.MostTakenAhead(), 7) << "more than one file per worker past the turn";
    EXPECT_EQ(prefetcher.MostHeldAhead(), budget) << workers;

    // The turn taken frees room for one file more.
    ASSERT_TRUE(prefetcher.Take(paths[0], kSettings));
    ASSERT_TRUE(WaitFor([&] { return prefetcher.Prepared() == 8; })) << prefetcher.Prepared();
    // The whole list stays within the budget. A turn that comes before a worker reached its
    // file leaves it to the caller.
    for (const QString& path : paths.mid(1)) {
      if (std::optional<TPrefetched> got = prefetcher.Take(path, kSettings)) {
        EXPECT_EQ(got->image.bytes, sample.bytes);
      }
    }
    EXPECT_LE(prefetcher.MostHeldAhead(), budget) << workers;
  }
}

TEST(Prefetcher, ABigFileStartsBeforeTheSmallOnesBeforeIt) {
  // Six small photos and a big one last: one worker takes the big one while the other goes
  // through the small ones in order, and every turn still gets what the job makes of its file.
  QTemporaryDir dir;
  QStringList paths;
  for (int i = 0; i < 6; ++i) {
    paths << dir.filePath(QString("small%1.jpg").arg(i));
    WriteFile(paths.back(), MakeJpeg({160 + 8 * i, 120}));
  }
  paths << dir.filePath("big.jpg");
  WriteFile(paths.back(), MakeJpeg({1600, 1200}));
  TPrefetcher prefetcher(paths, 2);
  prefetcher.Announce(kSettings);
  ASSERT_TRUE(WaitFor([&] { return prefetcher.TakenOrder().size() >= 2; }));
  const std::vector<int> order = prefetcher.TakenOrder();
  EXPECT_EQ(order[0], 0) << "the turn's file first";
  EXPECT_EQ(order[1], 6) << "then the big one";
  int fromWorkers = 0;
  for (const QString& path : paths) {
    std::optional<TPrefetched> got = prefetcher.Take(path, kSettings);
    Transcript none;
    if (got) {
      ++fromWorkers;
      EXPECT_EQ(got->image.bytes, PrepareImage(path, kSettings, none).bytes) << path.toStdString();
    }
  }
  EXPECT_GE(fromWorkers, 2);
  const std::vector<int> taken = prefetcher.TakenOrder();
  EXPECT_EQ(std::set<int>(taken.begin(), taken.end()).size(), taken.size()) << "each file once";
}

TEST(Prefetcher, AnAvifSmallOnDiskButSlowToDecodeStartsEarly) {
  // AV1 takes many times longer per byte than JPEG: an AVIF smaller on disk than the JPEG next
  // in line is still the slow one to start first.
  QTemporaryDir dir;
  QStringList paths;
  for (int i = 0; i < 6; ++i) {
    paths << dir.filePath(QString("small%1.jpg").arg(i));
    WriteFile(paths.back(), MakeJpeg({480 + 8 * i, 360}));
  }
  paths << dir.filePath("phone.avif");
  const std::vector<uint8_t> avif = EncodeHeif({.width = 960, .height = 720, .av1 = true});
  WriteFile(paths.back(), avif);
  ASSERT_LT(qint64(avif.size()), QFileInfo(paths[1]).size() * 2) << "no bigger on disk";
  TPrefetcher prefetcher(paths, 2);
  prefetcher.Announce(kSettings);
  ASSERT_TRUE(WaitFor([&] { return prefetcher.TakenOrder().size() >= 2; }));
  EXPECT_EQ(prefetcher.TakenOrder()[1], 6);
  Transcript none;
  std::optional<TPrefetched> got;
  for (const QString& path : paths) got = prefetcher.Take(path, kSettings);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->image.bytes, PrepareImage(paths.back(), kSettings, none).bytes);
}

TEST(Prefetcher, ATurnThatReachesAFileInTheMakingFreesItsPlacePastTheTurn) {
  // Results larger than the budget: one file past the turn at a time. The second and third files
  // are slow; when the turn reaches the second while it is made, the third may start.
  QTemporaryDir dir;
  QStringList paths;
  for (const auto& [name, picture] : {std::pair{"a.jpg", JpegPicture{200, 150}},
                                      std::pair{"slow.jpg", JpegPicture{6000, 4000, false, true}},
                                      std::pair{"slow2.jpg", JpegPicture{6000, 4000, false, true}},
                                      std::pair{"d.jpg", JpegPicture{220, 150}}}) {
    paths << dir.filePath(name);
    WriteFile(paths.back(), MakeJpeg(picture));
  }
  TPrefetcher prefetcher(paths, 2, {}, true, 1);
  prefetcher.Announce(kSettings);
  ASSERT_TRUE(WaitFor([&] { return prefetcher.Prepared() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(prefetcher.TakenOrder(), (std::vector<int>{0, 1})) << "the turn and one file past it";
  ASSERT_EQ(prefetcher.Prepared(), 1) << "the slow photo is still being made";
  ASSERT_TRUE(prefetcher.Take(paths[0], kSettings));
  ASSERT_TRUE(WaitFor([&] { return prefetcher.TakenOrder().size() == 3; }));
  EXPECT_EQ(prefetcher.Prepared(), 1) << "the third file started while the second was made";
  for (const QString& path : paths.mid(1)) prefetcher.Take(path, kSettings);
}

TEST(Prefetcher, AFileChangedAfterItWasPreparedIsDoneAgainAtItsTurn) {
  // A run that writes "a.jpg" into "a_s.jpg" and "b.jpg" into "b_s.jpg", which exist already and
  // come later in the list: the workers prepared the old pictures of those names.
  struct Case {
    const char* what;
    std::function<void(const QString& path, const QString& other)> change;
  };
  const std::vector<Case> cases = {
      {"replaced by an earlier turn's output",
       [](const QString& path, const QString& other) {
         TMemoryStream out;
         Transcript none;
         out.Bytes() = PrepareImage(other, kSettings, none).bytes;
         out.SaveToFile(path);
       }},
      {"touched",
       [](const QString& path, const QString&) {
         const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
       }},
      {"renamed over",
       [](const QString& path, const QString& other) {
         const QString moved = other + ".moved";
         ASSERT_TRUE(QFile::copy(other, moved));
         ASSERT_EQ(
             ::rename(QFile::encodeName(moved).constData(), QFile::encodeName(path).constData()),
             0);
       }},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const QStringList paths{dir.filePath("a.jpg"), dir.filePath("b.jpg"), dir.filePath("a_s.jpg"),
                            dir.filePath("b_s.jpg")};
    for (int i = 0; i < 4; ++i) WriteFile(paths[i], MakeJpeg({800 + 40 * i, 600 - 20 * i}));
    TPrefetcher prefetcher(paths, 2);
    prefetcher.Announce(kSettings);
    ASSERT_TRUE(WaitFor([&] { return prefetcher.Prepared() == 4; })) << c.what;
    EXPECT_TRUE(prefetcher.Take(paths[0], kSettings)) << c.what;
    EXPECT_TRUE(prefetcher.Take(paths[1], kSettings)) << c.what;
    c.change(paths[2], paths[0]);
    EXPECT_FALSE(prefetcher.Take(paths[2], kSettings)) << c.what << ": the old picture's result";
    EXPECT_TRUE(prefetcher.Take(paths[3], kSettings)) << c.what << ": an untouched file's";
  }
}
