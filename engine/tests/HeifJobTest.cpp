// HEIF photos through the job: the bytes are what the job makes of libheif's own pixels; the
// file's rotation and mirror, not its EXIF orientation, say which way is up; its colours and
// photo information go into the JPEG as a JPEG's would; a damaged file is an error.
#include "HeifImage.h"
#include "ImagingErrors.h"
#include "JobTestSupport.h"
#include "JpegCodec.h"
#include "NclxProfile.h"
#include "PhotoTestSupport.h"
#include "TestHeif.h"
#include "TestImages.h"

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

#include <QTemporaryDir>

#include <cmath>
#include <cstring>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// libheif's own decode, alpha composed over white, as the source of the whole-picture job.
void FromLibheif(const std::vector<uint8_t>& file, bool apply, TBitmap32& source) {
  const HeifPixels p = ReferenceHeifDecode(file, apply);
  source.CombineMode = TCombineMode::cmMerge;
  InstallLanczosResampler(source);
  source.Resize(p.width, p.height);
  const std::vector<TColor32> pixels = OverWhite(p);
  std::copy(pixels.begin(), pixels.end(), source.Bits());
}

TJobSettings Settings(int32_t maxWidth, int32_t maxHeight, int64_t sizeLimit = 0) {
  TJobSettings s;
  s.maxWidth = maxWidth;
  s.maxHeight = maxHeight;
  s.sizeLimit = sizeLimit;
  return s;
}

std::vector<uint8_t> IccOf(const std::vector<uint8_t>& jpeg) {
  return ExtrasOf(jpeg).icc;
}

}  // namespace

TEST(HeifJob, TheBytesAreTheJobOfLibheifsPixels) {
  Files files;
  struct Case {
    const char* what;
    HeifPicture picture;
  };
  const Case pictures[] = {
      {"HEIC", {.width = 96, .height = 64}},
      {"HEIC turned 90 degrees", {.width = 96, .height = 64, .orientation = 6}},
      {"HEIC mirrored upside down", {.width = 96, .height = 64, .orientation = 4}},
      {"10-bit HEIC", {.width = 96, .height = 64, .bitDepth = 10}},
      {"AVIF with alpha", {.width = 96, .height = 64, .av1 = true, .alpha = true}},
  };
  const struct {
    const char* what;
    TJobSettings settings;
  } settings[] = {{"shrunk", Settings(40, 0)},
                  {"within both limits", Settings(50, 30)},
                  {"not shrunk", Settings(0, 0)},
                  {"size limit", Settings(40, 0, 900)}};
  for (const Case& c : pictures) {
    const std::vector<uint8_t> file = EncodeHeif(c.picture);
    const QString path = files.Write(QStringLiteral("p.heic"), file);
    for (const auto& s : settings) {
      for (const bool upright : {true, false}) {
        SCOPED_TRACE(std::string(c.what) + ", " + s.what + (upright ? ", upright" : ", as stored"));
        TJobSettings job = s.settings;
        job.turnUpright = upright;
        TBitmap32 source;
        FromLibheif(file, upright, source);
        Transcript said;
        const TPreparedImage got = PrepareImage(path, job, said);
        EXPECT_EQ(got.bytes, WholePictureJob(source, job));
        EXPECT_EQ(said.lines.value(1), QString("size %1x%2").arg(source.Width()).arg(source.Height()));
      }
    }
  }
}

TEST(HeifJob, TheFilesTurnNotItsExifOrientationSaysWhichWayIsUp) {
  Files files;
  // Stored 96 x 64; the EXIF block claims a turn by 90 degrees that the file does not make.
  HeifPicture p;
  p.width = 96;
  p.height = 64;
  p.exif = Exif([](Exiv2::ExifData& e) {
    e["Exif.Image.Orientation"] = uint16_t(6);
    e["Exif.Image.Model"] = "Phone";
    e["Exif.GPSInfo.GPSLatitudeRef"] = "N";
  });
  const QString claims = files.Write("claims.heic", EncodeHeif(p));
  p.orientation = 6;  // and now it does, as phones write it: both
  const QString turns = files.Write("turns.heic", EncodeHeif(p));

  TJobSettings s = Settings(48, 0);
  s.keepInformation = true;
  Transcript said;
  const std::vector<uint8_t> claimed = PrepareImage(claims, s, said).bytes;
  EXPECT_EQ(said.lines.value(1), "size 96x64");
  Transcript upright;
  const std::vector<uint8_t> turned = PrepareImage(turns, s, upright).bytes;
  EXPECT_TRUE(upright.lines.contains("size 64x96"));
  for (const auto* bytes : {&claimed, &turned}) {
    const Exiv2::ExifData exif = ExifOf(*bytes);
    ASSERT_NE(exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation")), exif.end());
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 1);
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Model"))->toString(), "Phone");
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef")), exif.end());
  }
  // Without turning, the stored picture and the orientation as it was.
  s.turnUpright = false;
  Transcript asStored;
  const std::vector<uint8_t> stored = PrepareImage(turns, s, asStored).bytes;
  EXPECT_TRUE(asStored.lines.contains("size 96x64"));
  EXPECT_EQ(ExifOf(stored).findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 6);
  s.keepLocation = true;
  s.turnUpright = true;
  EXPECT_NE(ExifOf(PrepareImage(claims, s, said).bytes)
                .findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef")),
            ExifOf(claimed).end());
}

TEST(HeifJob, ColoursAreKeptAsAProfile) {
  Files files;
  std::vector<uint8_t> icc(900);
  for (size_t i = 0; i < icc.size(); ++i) icc[i] = uint8_t(i * 5 + 1);
  std::memcpy(icc.data() + 16, "RGB ", 4);
  HeifPicture withIcc;
  withIcc.icc = icc;
  HeifPicture p3;
  p3.nclxPrimaries = 12;
  HeifPicture srgb;
  srgb.nclxPrimaries = 1;
  TNclx displayP3;
  displayP3.primaries = 12;
  displayP3.transfer = 13;
  const struct {
    const char* what;
    HeifPicture picture;
    std::vector<uint8_t> kept;
  } cases[] = {{"ICC profile", withIcc, icc},
               {"Display P3 by nclx", p3, ProfileForNclx(displayP3)},
               {"sRGB by nclx", srgb, {}},
               {"nothing said", HeifPicture{}, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString path = files.Write("c.heic", EncodeHeif(c.picture));
    TJobSettings s = Settings(32, 0);
    Transcript said;
    const std::vector<uint8_t> kept = PrepareImage(path, s, said).bytes;
    EXPECT_EQ(IccOf(kept), c.kept);
    s.keepColourProfile = false;
    const std::vector<uint8_t> without = PrepareImage(path, s, said).bytes;
    EXPECT_TRUE(IccOf(without).empty());
    if (c.kept.empty()) {
      EXPECT_EQ(kept, without);
    }
  }
  ASSERT_FALSE(ProfileForNclx(displayP3).empty());
}

TEST(HeifJob, ADamagedFileIsAnErrorAndNothingIsMade) {
  Files files;
  const std::vector<uint8_t> good = EncodeHeif({});
  const QString cut =
      files.Write("cut.heic", std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)));
  Transcript said;
  try {
    PrepareImage(cut, Settings(32, 0), said);
    ADD_FAILURE() << "no error";
  } catch (const EHEIF& e) {
    EXPECT_TRUE(e.Message().startsWith("The HEIF file")) << e.Message().toStdString();
  }
  EXPECT_EQ(said.encodedSize, -1);
}
