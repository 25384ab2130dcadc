// The job as a library: the bytes the whole-picture job wrote, for every kind of photo and size,
// what it tells on the way, and its errors.
#include "ImagingErrors.h"
#include "JobTestSupport.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace lumvale;
using namespace lumvale::test;

TEST(ImageJob, SameBytesAsTheWholePictureJob) {
  QTemporaryDir dir;
  const struct {
    JpegPicture picture;
    TJobSettings settings;
    const char* what;
  } cases[] = {
      {{640, 480}, {320, 0, 90, false, 0}, "by 2, baseline"},
      {{640, 480, false, true}, {0, 300, 75, true, 0}, "progressive in and out"},
      {{517, 333, true}, {200, 200, 90, false, 0}, "grayscale"},
      {{300, 200}, {800, 600, 90, false, 0}, "within the limits: copied"},
      {{300, 200}, {0, 0, 90, true, 0}, "no limits: copied"},
      {{2048, 16}, {3, 0, 90, false, 0}, "by 682"},
      {{1030, 1030, true}, {1, 1, 90, false, 0}, "to one pixel"},
      {{640, 480}, {400, 400, 95, false, 6 * 1024}, "size limit: several rounds"},
      {{200, 150}, {0, 0, 90, false, 200}, "size limit: down to the last quality"},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::fromUtf8(c.what) + ".jpg");
    WriteFile(path, MakeJpeg(c.picture));
    Transcript said;
    const TPreparedImage prepared = PrepareImage(path, c.settings, said);
    EXPECT_EQ(prepared.bytes, WholePictureJob(path, c.settings)) << c.what;
    EXPECT_EQ(said.encodedSize, int64_t(prepared.bytes.size())) << c.what;
    ASSERT_GE(said.lines.size(), 4) << c.what;
    EXPECT_EQ(said.lines[0], "loading");
    EXPECT_EQ(said.lines[1], QString("size %1x%2").arg(c.picture.width).arg(c.picture.height));
  }
}

TEST(ImageJob, TellsEachStepInOrder) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.jpg");
  WriteFile(path, MakeJpeg({640, 480}));
  Transcript shrink;
  PrepareImage(path, {320, 0, 90, false, 0}, shrink);
  EXPECT_EQ(shrink.lines, (QStringList{"loading", "size 640x480", "resize 320x240",
                                       "scaled 320x240", "encoded q90"}));
  Transcript copy;
  PrepareImage(path, {0, 0, 90, false, 0}, copy);
  EXPECT_EQ(copy.lines, (QStringList{"loading", "size 640x480", "scaled 640x480", "encoded q90"}));
  Transcript limited;
  PrepareImage(path, {0, 0, 90, false, 1}, limited);
  ASSERT_GT(limited.lines.size(), 5);
  EXPECT_EQ(limited.lines[3], "reduce q90 #0");
  EXPECT_TRUE(limited.lines.back().startsWith("encoded q"))
      << limited.lines.join(", ").toStdString();

  // A file cut short in its pixels, scaled and as it is: told before the picture is shown.
  std::vector<uint8_t> bytes = MakeJpeg({640, 480});
  bytes.resize(bytes.size() / 2);
  const QString cut = dir.filePath("cut.jpg");
  WriteFile(cut, bytes);
  Transcript cutShrink;
  PrepareImage(cut, {320, 0, 90, false, 0}, cutShrink);
  EXPECT_EQ(cutShrink.lines, (QStringList{"loading", "size 640x480", "resize 320x240",
                                          "data missing", "scaled 320x240", "encoded q90"}));
  Transcript cutCopy;
  PrepareImage(cut, {0, 0, 90, false, 0}, cutCopy);
  EXPECT_EQ(cutCopy.lines, (QStringList{"loading", "size 640x480", "data missing", "scaled 640x480",
                                        "encoded q90"}));
}

TEST(ImageJob, ErrorsOfThePicture) {
  QTemporaryDir dir;
  const QString empty = dir.filePath("empty.jpg"), cut = dir.filePath("cut.jpg"),
                other = dir.filePath("picture.png"), gone = dir.filePath("gone.jpg");
  WriteFile(empty, {});
  std::vector<uint8_t> bytes = MakeJpeg({64, 48});
  bytes.resize(20);
  WriteFile(cut, bytes);
  WriteFile(other, MakeJpeg({64, 48}));
  const TJobSettings settings{32, 0, 90, false, 0};
  Transcript said;
  try {
    PrepareImage(empty, settings, said);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QString("The picture file \"%1\" is empty.").arg(empty));
  }
  EXPECT_EQ(said.lines, QStringList{"loading"}) << "nothing told after the error";
  EXPECT_THROW(PrepareImage(cut, settings, said), EJPEG);
  EXPECT_THROW(PrepareImage(other, settings, said), Exception);
  EXPECT_THROW(PrepareImage(gone, settings, said), EFileError);
}

TEST(ImageJob, AStopEndsTheJobWithAnAbort) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.jpg");
  WriteFile(path, MakeJpeg({640, 480}));
  std::atomic<bool> stop{true};
  Transcript said;
  EXPECT_THROW(PrepareImage(path, {320, 0, 90, false, 0}, said, &stop), EAbort);
}
