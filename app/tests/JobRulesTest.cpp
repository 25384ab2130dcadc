#include "Job.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace lumvale;

TEST(JobRules, OutputNames) {
  const struct {
    const char* input;
    bool add, suffix;
    const char* addition;
    const char* output;
  } cases[] = {
      {"a.jpg", false, true, "small", "a.jpg"},
      {"IMG_01.JPG", false, true, "small", "IMG_01.JPG"},
      {"IMG_01.JPG", true, true, "small", "IMG_01_small.jpg"},
      {"IMG_01.JPG", true, false, "small", "small_IMG_01.jpg"},
      {"x.tar.jpg", true, true, "s", "x.tar_s.jpg"},
      {"a.jpg", true, true, "", "a_.jpg"},
      {"noext", true, true, "small", "noext_small.jpg"},
      {"IMG_0001.HEIC", false, true, "small", "IMG_0001.jpg"},
      {"photo.avif", true, true, "small", "photo_small.jpg"},
      {"a.jpeg", false, true, "small", "a.jpeg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputName(c.input, c.add, c.suffix, c.addition), c.output) << c.input;
  }
}

TEST(JobRules, OutputFolders) {
  EXPECT_EQ(OutputFolderFor("/in/a.jpg", "/out", false, ""), "/out/");
  EXPECT_EQ(OutputFolderFor("/in/a.jpg", "/out/", true, "/chosen"), "/out/");
  EXPECT_EQ(OutputFolderFor("/Photos/IMG_01.JPG", "", false, "<same as input>"), "/Photos/");
  EXPECT_EQ(OutputFolderFor("/in/a.jpg", "", true, "/chosen"), "/chosen/");
  EXPECT_EQ(OutputFolderFor("/in/a.jpg", "", true, ""), "/") << "an empty chosen folder";
}

TEST(JobRules, TargetSizes) {
  const struct {
    int32_t W, H, maxW, maxH, w, h;
  } cases[] = {
      {4000, 3000, 800, 600, 800, 600},    {3000, 4000, 800, 600, 450, 600},
      {4000, 3000, 0, 600, 800, 600},      {3000, 4000, 0, 600, 450, 600},
      {640, 480, 800, 600, 640, 480},      {800, 600, 800, 600, 800, 600},
      {4000, 3000, 800, 0, 800, 600},      {4000, 3000, -5, 0, 4000, 3000},
      {1000, 1, 800, 0, 800, 1},           {1, 1000, 0, 500, 1, 500},
      {3264, 2448, 1000, 1000, 1000, 750}, {65500, 65500, 65000, 0, 65000, 65000},
  };
  for (const auto& c : cases) {
    int32_t w = 0, h = 0;
    TargetSize(c.W, c.H, c.maxW, c.maxH, w, h);
    EXPECT_EQ(w, c.w) << c.W << "x" << c.H << " in " << c.maxW << "x" << c.maxH;
    EXPECT_EQ(h, c.h) << c.W << "x" << c.H << " in " << c.maxW << "x" << c.maxH;
  }
}

TEST(JobRules, QualityLoop) {
  const struct {
    int64_t ratio;
    int step;
  } steps[] = {{601, 20}, {1000, 20}, {600, 10}, {301, 10}, {300, 6}, {181, 6},
               {180, 4},  {121, 4},   {120, 2},  {111, 2},  {110, 1}, {101, 1}};
  for (const auto& s : steps) EXPECT_EQ(QualityStep(s.ratio), s.step) << s.ratio;

  const struct {
    int64_t size, limit;
    int q, next;
  } loop[] = {
      {412977, 102400, 90, 80},                          // ratio 403
      {102400, 102400, 90, 0},                           // exactly the limit: no reduction
      {102401, 102400, 90, 89}, {999999, 102400, 5, 0},  // quality 5 or less: no pass at all
      {716800, 102400, 10, 1},                           // ratio 700: 10 - 20, not below 1
      {716800, 102400, 1, 0},
  };
  for (const auto& l : loop) {
    EXPECT_EQ(NextQuality(l.size, l.limit, l.q), l.next) << l.size << " at " << l.q;
  }
}
