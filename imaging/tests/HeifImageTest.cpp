// HEIF photos read through libheif: the size and pixels libheif itself decodes, with and without
// the file's turn, alpha over white, deeper pictures in 8 bits, what the file carries besides
// pixels, the kind of file told by its content, and damaged or oversized files as errors.
#include "Bitmap32.h"
#include "Graphic.h"
#include "HeifCodec.h"
#include "HeifImage.h"
#include "ImagingErrors.h"
#include "JpegImage.h"
#include "NclxProfile.h"
#include "TestHeif.h"
#include "TestImages.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstring>

using namespace lumvale;
using namespace lumvale::test;

namespace {

std::unique_ptr<THEIFImage> Read(const std::vector<uint8_t>& file, bool apply = true) {
  auto image = std::make_unique<THEIFImage>();
  image->SetApplyTransformations(apply);
  image->LoadFromBytes(std::vector<uint8_t>(file));
  return image;
}

std::vector<TColor32> Drawn(THEIFImage& image) {
  TBitmap32 target;
  target.Resize(image.Width(), image.Height());
  image.DrawInto(target);
  return {target.Bits(), target.Bits() + size_t(target.Width()) * size_t(target.Height())};
}

}  // namespace

TEST(HeifImage, SizeAndPixelsAreLibheifsOwnDecode) {
  struct Case {
    const char* what;
    HeifPicture picture;
  };
  const Case cases[] = {
      {"plain HEIC", {.width = 40, .height = 24}},
      {"HEIC turned 90 degrees clockwise", {.width = 40, .height = 24, .orientation = 6}},
      {"HEIC upside down", {.width = 40, .height = 24, .orientation = 3}},
      {"HEIC mirrored", {.width = 40, .height = 24, .orientation = 2}},
      {"HEIC turned anticlockwise", {.width = 40, .height = 24, .orientation = 8}},
      {"10-bit HEIC", {.width = 40, .height = 24, .bitDepth = 10}},
      {"HEIC with alpha", {.width = 40, .height = 24, .alpha = true}},
      {"AVIF", {.width = 40, .height = 24, .av1 = true}},
      {"AVIF turned 270 degrees", {.width = 40, .height = 24, .av1 = true, .orientation = 8}},
      {"12-bit HEIC with alpha", {.width = 40, .height = 24, .bitDepth = 12, .alpha = true}},
      {"AVIF with alpha", {.width = 40, .height = 24, .av1 = true, .alpha = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> file = EncodeHeif(c.picture);
    const bool turned = c.picture.orientation >= 5;
    for (const bool apply : {true, false}) {
      SCOPED_TRACE(apply ? "turned upright" : "as stored");
      const std::unique_ptr<THEIFImage> read = Read(file, apply);
      THEIFImage& image = *read;
      const bool swapped = apply && turned;
      EXPECT_EQ(image.Width(), swapped ? 24 : 40);
      EXPECT_EQ(image.Height(), swapped ? 40 : 24);
      const HeifPixels reference = ReferenceHeifDecode(file, apply);
      ASSERT_EQ(reference.width, image.Width());
      EXPECT_EQ(Drawn(image), OverWhite(reference));
    }
  }
}

TEST(HeifImage, TransparentPixelsBecomeWhiteAndOpaqueOnesKeepTheirColour) {
  HeifPicture p;
  p.width = 32;
  p.height = 16;
  p.alpha = true;
  p.lossless = true;
  p.pixel = [](int x, int, uint16_t rgba[4]) {
    rgba[0] = 200, rgba[1] = 30, rgba[2] = 60;
    rgba[3] = x < 16 ? 0 : 255;
  };
  const std::vector<TColor32> pixels = Drawn(*Read(EncodeHeif(p)));
  const HeifPixels reference = ReferenceHeifDecode(EncodeHeif(p));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) {
      const size_t i = size_t(y * 32 + x);
      const uint8_t* r = &reference.bytes[i * 4];
      const TColor32 want = x < 16 ? Color32(255, 255, 255) : Color32(r[0], r[1], r[2]);
      ASSERT_EQ(pixels[i], want) << x << "," << y;
    }
  }
}

TEST(HeifImage, ExtrasAreTheFilesProfileExifAndXmp) {
  std::vector<uint8_t> icc(600);
  for (size_t i = 0; i < icc.size(); ++i) icc[i] = uint8_t(i * 13);
  std::memcpy(icc.data() + 16, "RGB ", 4);
  const std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  HeifPicture p;
  p.icc = icc;
  p.exif = tiff;
  p.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"></x:xmpmeta>";
  for (const bool av1 : {false, true}) {
    p.av1 = av1;
    const jpeg::FileExtras extras = Read(EncodeHeif(p))->Extras();
    EXPECT_EQ(extras.icc, icc);
    EXPECT_EQ(extras.exif, tiff);
    EXPECT_EQ(std::string(extras.xmp.begin(), extras.xmp.end()), p.xmp);
  }
}

TEST(HeifImage, NclxColoursGiveAProfileUnlessTheyAreSrgb) {
  HeifPicture p;
  p.nclxPrimaries = 12;  // Display P3
  p.nclxTransfer = 13;
  const std::vector<uint8_t> p3 = Read(EncodeHeif(p))->Extras().icc;
  ASSERT_FALSE(p3.empty());
  EXPECT_EQ(std::memcmp(p3.data() + 16, "RGB ", 4), 0);

  // Display P3's pure red lies outside sRGB: in linear sRGB it is (1.2249, -0.0420, -0.0196),
  // and P3's grey is sRGB's grey (the same white and curve).
  cmsHPROFILE from = cmsOpenProfileFromMem(p3.data(), cmsUInt32Number(p3.size()));
  ASSERT_NE(from, nullptr);
  const cmsCIExyY d65{0.3127, 0.3290, 1};
  const cmsCIExyYTRIPLE srgb{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
  cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
  cmsToneCurve* curves[3] = {linear, linear, linear};
  cmsHPROFILE linearSrgb = cmsCreateRGBProfile(&d65, &srgb, curves);
  cmsHPROFILE srgbProfile = cmsCreate_sRGBProfile();
  cmsHTRANSFORM toLinear =
      cmsCreateTransform(from, TYPE_RGB_DBL, linearSrgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsHTRANSFORM toSrgb =
      cmsCreateTransform(from, TYPE_RGB_DBL, srgbProfile, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  const double red[3] = {1, 0, 0}, grey[3] = {0.5, 0.5, 0.5};
  double out[3];
  cmsDoTransform(toLinear, red, out, 1);
  EXPECT_NEAR(out[0], 1.2249, 0.003);
  EXPECT_NEAR(out[1], -0.0420, 0.003);
  EXPECT_NEAR(out[2], -0.0196, 0.003);
  cmsDoTransform(toSrgb, grey, out, 1);
  for (double v : out) EXPECT_NEAR(v, 0.5, 0.003);
  cmsDeleteTransform(toLinear);
  cmsDeleteTransform(toSrgb);
  cmsCloseProfile(from);
  cmsCloseProfile(linearSrgb);
  cmsCloseProfile(srgbProfile);
  cmsFreeToneCurve(linear);

  // A matrix libheif does not know (3 is reserved) leaves the primaries and transfer as they are.
  std::vector<uint8_t> reserved = EncodeHeif(p);
  const size_t nclxAt = std::string(reserved.begin(), reserved.end()).rfind("nclx");
  ASSERT_NE(nclxAt, std::string::npos);
  ASSERT_EQ(reserved[nclxAt + 5], 12) << "primaries";
  reserved[nclxAt + 8] = 0;
  reserved[nclxAt + 9] = 3;
  EXPECT_EQ(Read(reserved)->Extras().icc, p3);

  p.nclxPrimaries = 1;  // sRGB, as libheif writes by default
  EXPECT_TRUE(Read(EncodeHeif(p))->Extras().icc.empty());
  p.nclxPrimaries = 0;
  EXPECT_TRUE(Read(EncodeHeif(p))->Extras().icc.empty());
}

TEST(HeifImage, TheContentDecidesTheKindNotTheName) {
  QTemporaryDir dir;
  const std::vector<uint8_t> heic = EncodeHeif({});
  const std::vector<uint8_t> jpeg = MakeJpeg({});
  struct Case {
    const char* name;
    const std::vector<uint8_t>* bytes;
    bool heif;
  };
  for (const Case& c : {Case{"a.heic", &heic, true}, Case{"b.jpg", &heic, true},
                        Case{"c.HEIC", &jpeg, false}, Case{"d.avif", &jpeg, false},
                        Case{"e.JPEG", &jpeg, false}, Case{"f.hif", &heic, true}}) {
    const QString path = dir.filePath(QString::fromLatin1(c.name));
    WriteFile(path, *c.bytes);
    const std::unique_ptr<TGraphic> picture = LoadGraphicFile(path);
    EXPECT_EQ(dynamic_cast<THEIFImage*>(picture.get()) != nullptr, c.heif) << c.name;
    EXPECT_EQ(dynamic_cast<TJPEGImage*>(picture.get()) != nullptr, !c.heif) << c.name;
    EXPECT_EQ(picture->Width(), 64) << c.name;
  }
  WriteFile(dir.filePath("g.png"), heic);
  EXPECT_THROW(LoadGraphicFile(dir.filePath("g.png")), EInvalidGraphic);
}

TEST(HeifImage, DamagedFilesAreErrorsInTheProgramsWords) {
  const std::vector<uint8_t> good = EncodeHeif({});
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
  std::vector<uint8_t> garbled = good;
  for (size_t i = 40; i < garbled.size(); i += 7) garbled[i] ^= 0x5A;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {{"only the first box", cut(32)},
                        {"cut in half", cut(good.size() / 2)},
                        {"cut before its last bytes", cut(good.size() - 20)},
                        {"garbled", garbled}};
  for (const Case& c : cases) {
    try {
      Drawn(*Read(c.bytes));
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EHEIF& e) {
      EXPECT_TRUE(e.Message().startsWith(QStringLiteral("The HEIF file"))) << c.what << ": "
                                                                           << e.Message().toStdString();
    }
  }
}

namespace {

// The file's bytes with the 32-bit numbers at offset (from the box's type) replaced, in the last
// box of that type (the primary picture's; its tiles' come before it).
std::vector<uint8_t> Patched(std::vector<uint8_t> file, const char* box,
                             std::initializer_list<std::pair<size_t, uint32_t>> values) {
  const std::string bytes(file.begin(), file.end());
  const size_t at = bytes.rfind(box);
  if (at == std::string::npos) return {};
  for (const auto& [offset, v] : values) {
    for (size_t i = 0; i < 4; ++i) file[at + offset + i] = uint8_t(v >> (24 - 8 * i));
  }
  return file;
}

}  // namespace

TEST(HeifImage, APictureLargerThanThePixelStoreIsRefusedBeforeDecoding) {
  // The announced size sits in the 'ispe' box: version and flags, then width and height. A side
  // longer than any picture within the store has is refused as the file is opened, before
  // libheif makes a canvas for it; a tiled picture's canvas is bounded the same way.
  for (const auto& [w, h] : {std::pair{20000u, 20000u}, {300000000u, 1u}, {16385u, 64u}}) {
    const std::vector<uint8_t> file = Patched(EncodeHeif({}), "ispe", {{8, w}, {12, h}});
    ASSERT_FALSE(file.empty());
    try {
      Read(file);
      ADD_FAILURE() << w << " x " << h << ": no error";
    } catch (const EHEIF& e) {
      EXPECT_TRUE(e.Message().startsWith("The HEIF file exceeds the limits this program reads"))
          << e.Message().toStdString();
    }
  }
}

TEST(HeifImage, TheDecodedSizeIsTheSizeWhateverTheFileAnnounces) {
  // libheif's own writer announces a turned picture's size turned; a file that announces the
  // stored size instead, with the rotation listed first, is announced wrongly by libheif but
  // decodes to the turned size, and that is the picture.
  const std::vector<uint8_t> turned = EncodeHeif({.av1 = true, .orientation = 6});
  const std::vector<uint8_t> stored = Patched(turned, "ispe", {{8, 64}, {12, 48}});
  ASSERT_FALSE(stored.empty());
  for (const auto* file : {&turned, &stored}) {
    const std::unique_ptr<THEIFImage> image = Read(*file);
    const HeifPixels reference = ReferenceHeifDecode(*file);
    EXPECT_EQ(image->Width(), reference.width);
    EXPECT_EQ(image->Height(), reference.height);
    EXPECT_EQ(reference.width, 48);
    EXPECT_EQ(Drawn(*image), OverWhite(reference));
  }
}

TEST(HeifImage, EveryBrandOfTheFormatIsHeif) {
  // The major brand is the file's first brand: HEIC's own, or the format's generic ones.
  const std::vector<uint8_t> heic = EncodeHeif({});
  ASSERT_EQ(std::string(heic.begin() + 4, heic.begin() + 12), "ftypheic");
  for (const char* brand : {"heic", "mif1", "miaf", "heix"}) {
    std::vector<uint8_t> file = heic;
    std::copy_n(brand, 4, file.begin() + 8);
    EXPECT_TRUE(heif::IsHeif(file.data(), file.size())) << brand;
    EXPECT_EQ(Read(file)->Width(), 64) << brand;
  }
  const std::vector<uint8_t> jpeg = MakeJpeg({});
  EXPECT_FALSE(heif::IsHeif(jpeg.data(), jpeg.size()));
  // A video in the same container is no photo.
  std::vector<uint8_t> mp4 = heic;
  ASSERT_EQ(std::string(mp4.begin() + 16, mp4.begin() + 28), "mif1heicmiaf");
  std::copy_n("isom", 4, mp4.begin() + 8);
  std::copy_n("isommp42avc1", 12, mp4.begin() + 16);
  EXPECT_FALSE(heif::IsHeif(mp4.data(), mp4.size()));
}

TEST(HeifImage, NclxTransfersBecomeTheirCurves) {
  // Each curve at the middle code value, from its standard's own formula.
  const struct {
    int transfer;
    double half;
  } cases[] = {
      {13, std::pow((0.5 + 0.055) / 1.055, 2.4)},              // sRGB
      {1, std::pow((0.5 + 0.099) / 1.099, 1 / 0.45)},          // BT.709
      {7, std::pow((0.5 + 0.1115) / 1.1115, 1 / 0.45)},        // SMPTE 240M
      {8, 0.5},                                                // linear
      {4, std::pow(0.5, 2.2)},                                 // gamma 2.2
      {18, 0.25 / 3},                                          // HLG, its square-root part
      {16, 92.24570899 / 203},                                 // PQ: 0.5 is 92.2 cd/m2
  };
  for (const auto& c : cases) {
    TNclx nclx;
    nclx.primaries = 9;
    nclx.transfer = c.transfer;
    const std::vector<uint8_t> icc = ProfileForNclx(nclx);
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size()));
    ASSERT_NE(profile, nullptr) << c.transfer;
    const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, cmsSigRedTRCTag));
    ASSERT_NE(curve, nullptr) << c.transfer;
    EXPECT_NEAR(cmsEvalToneCurveFloat(curve, 0.5f), c.half, 0.002) << c.transfer;
    cmsCloseProfile(profile);
    // Made twice, the same bytes: a photo's output must not depend on when it was made.
    EXPECT_EQ(icc, ProfileForNclx(nclx));
    EXPECT_EQ(std::vector<uint8_t>(icc.begin() + 24, icc.begin() + 30),
              (std::vector<uint8_t>{0x07, 0xD0, 0, 1, 0, 1}))
        << "a fixed date, not the time it was made";
  }
}
