// A shrink fed row by row from the decoder gives the bytes of a stretch from the fully decoded
// picture, holds only a window of rows, and stops when asked.
#include "ImagingErrors.h"
#include "KernelResampler.h"
#include "ShrinkingSink.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// The stretch the job did before rows were streamed: decode into a whole bitmap (mirrored pixel
// by pixel when asked), then stretch with the Lanczos resampler installed on it.
void StretchOfWholePicture(const std::vector<uint8_t>& bytes, TBitmap32& target,
                           bool mirrorRows = false, bool upsideDown = false) {
  QTemporaryDir dir;
  const QString path = dir.filePath("picture.jpg");
  WriteFile(path, bytes);
  TBitmap32 decoded, source;
  decoded.LoadImageFile(path);
  InstallLanczosResampler(source);
  const int32_t W = decoded.Width(), H = decoded.Height();
  source.Resize(W, H);
  for (int32_t y = 0; y < H; ++y) {
    for (int32_t x = 0; x < W; ++x) {
      source.RowPointer(y)[x] =
          decoded.RowPointer(upsideDown ? H - 1 - y : y)[mirrorRows ? W - 1 - x : x];
    }
  }
  target.StretchFrom(target.FullRect(), source.FullRect(), &source);
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), size_t(a.Width()) * size_t(a.Height()) * 4) == 0;
}

}  // namespace

TEST(ShrinkingSink, SameBytesAsAStretchOfTheWholePicture) {
  const struct {
    JpegPicture picture;
    int32_t w, h;
  } cases[] = {
      {{640, 480, false, false}, 320, 240},  // by 2: the two-row pass with 8-bit weights
      {{640, 480, false, true}, 427, 320},   // by 1.5, progressive: 16-bit weights
      {{333, 517, true, false}, 100, 155},   // grayscale, odd sizes, palette lookups
      {{301, 203, false, false}, 300, 202},  // barely smaller: wide contribution overlap
      {{300, 200, false, false}, 300, 199},  // one dimension kept
      {{1100, 7, false, false}, 2, 1},       // by 550 across, to one row
      {{9, 1500, true, true}, 1, 2},         // by 750 down
      {{1030, 1030, false, false}, 1, 1},    // to a single pixel
      {{80, 60, false, false}, 79, 1},       // a flat strip
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = MakeJpeg(c.picture);
    TBitmap32 expected;
    expected.Resize(c.w, c.h);
    StretchOfWholePicture(bytes, expected);
    TBitmap32 target;
    target.Resize(c.w, c.h);
    TLanczosKernel kernel;
    kernel.SetWidth(3.0f);
    TShrinkingSink sink(target, c.picture.width, c.picture.height, kernel);
    jpeg::Decode(bytes.data(), bytes.size(), jpeg::DecodeParams{}, sink);
    EXPECT_TRUE(SamePixels(target, expected))
        << c.picture.width << " x " << c.picture.height << " -> " << c.w << " x " << c.h
        << (c.picture.grayscale ? " gray" : "") << (c.picture.progressive ? " progressive" : "");
    // A window of rows, not the picture: the lists of a shrink by s reach about 6 s rows.
    const int32_t scale = (c.picture.height + c.h - 1) / c.h;
    EXPECT_LE(sink.WindowRows(), std::min(c.picture.height, 6 * scale + 8)) << c.picture.height;
  }
}

TEST(ShrinkingSink, MirroredOnTheWayInAsAStretchOfTheMirroredPicture) {
  const struct {
    JpegPicture picture;
    int32_t w, h;
  } cases[] = {
      {{640, 480, false, false}, 320, 240},  // the two-row pass
      {{640, 480, false, true}, 427, 320},   // 16-bit weights
      {{333, 517, true, false}, 100, 155},   // palette lookups
      {{120, 1500, false, false}, 11, 140},  // a window far smaller than the picture
      {{9, 1500, true, true}, 1, 2},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = MakeJpeg(c.picture);
    for (const auto& [rows, upside] : {std::pair{true, false}, {false, true}, {true, true}}) {
      TBitmap32 expected;
      expected.Resize(c.w, c.h);
      StretchOfWholePicture(bytes, expected, rows, upside);
      TBitmap32 target;
      target.Resize(c.w, c.h);
      TLanczosKernel kernel;
      kernel.SetWidth(3.0f);
      TShrinkingSink sink(target, c.picture.width, c.picture.height, kernel, nullptr, rows, upside);
      jpeg::Decode(bytes.data(), bytes.size(), jpeg::DecodeParams{}, sink);
      EXPECT_TRUE(SamePixels(target, expected))
          << c.picture.width << " x " << c.picture.height << " -> " << c.w << " x " << c.h
          << (rows ? ", mirrored" : "") << (upside ? ", upside down" : "");
      const int32_t scale = (c.picture.height + c.h - 1) / c.h;
      EXPECT_LE(sink.WindowRows(), std::min(c.picture.height, 6 * scale + 8));
    }
  }
}

TEST(ShrinkingSink, AStopEndsTheDecodeBeforeTheNextRow) {
  const std::vector<uint8_t> bytes = MakeJpeg({200, 100});
  TBitmap32 target;
  target.Resize(50, 25);
  TLanczosKernel kernel;
  std::atomic<bool> stop{true};
  TShrinkingSink sink(target, 200, 100, kernel, &stop);
  EXPECT_THROW(jpeg::Decode(bytes.data(), bytes.size(), jpeg::DecodeParams{}, sink), EAbort);
}

TEST(ShrinkingSink, ASizeOtherThanTheHeaderIsAnError) {
  const std::vector<uint8_t> bytes = MakeJpeg({64, 48});
  TBitmap32 target;
  target.Resize(10, 10);
  TLanczosKernel kernel;
  TShrinkingSink sink(target, 65, 48, kernel);
  EXPECT_THROW(jpeg::Decode(bytes.data(), bytes.size(), jpeg::DecodeParams{}, sink), EJPEG);
}
