// Photos as cameras, phones and print shops make them: the EXIF orientation, colour profiles,
// photo information and CMYK files; and a photo with none of these gives the job's plain bytes.
#include "CmykColour.h"
#include "JobTestSupport.h"
#include "JpegCodec.h"
#include "PhotoInformation.h"
#include "PhotoTestSupport.h"
#include "TestImages.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <exiv2/exiv2.hpp>

#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

using namespace lumvale;
using namespace lumvale::test;

namespace {

Segment App(int n, const char* header, size_t headerSize, const std::vector<uint8_t>& data) {
  Segment s{0xE0 + n, std::vector<uint8_t>(header, header + headerSize)};
  s.payload.insert(s.payload.end(), data.begin(), data.end());
  return s;
}

Segment ExifSegment(const std::vector<uint8_t>& tiff) {
  return App(1, "Exif\0", 6, tiff);
}

Segment OrientationSegment(uint16_t value) {
  return ExifSegment(Exif([&](Exiv2::ExifData& e) { e["Exif.Image.Orientation"] = value; }));
}

// A colour profile split over APP2 markers as the ICC rules say: "ICC_PROFILE", a zero, the
// marker's number from 1 and the number of markers; numbers can be given to make damage.
std::vector<Segment> IccSegments(const std::vector<uint8_t>& profile, size_t chunk,
                                 std::vector<int> numbers = {}) {
  std::vector<Segment> segments;
  const size_t count = (profile.size() + chunk - 1) / chunk;
  for (size_t i = 0; i < count; ++i) {
    const int number = numbers.empty() ? int(i + 1) : numbers[i];
    Segment s{0xE2,
              {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, uint8_t(number),
               uint8_t(count)}};
    const auto from = profile.begin() + long(i * chunk);
    s.payload.insert(s.payload.end(), from,
                     from + long(std::min(chunk, profile.size() - i * chunk)));
    segments.push_back(std::move(s));
  }
  return segments;
}

// A stand-in colour profile: only its header's colour space matters to the job, which copies
// the bytes as they are.
std::vector<uint8_t> FakeProfile(const char* space, size_t size) {
  std::vector<uint8_t> profile(size);
  for (size_t i = 0; i < size; ++i) profile[i] = uint8_t(i * 7 + i / 255);
  std::memcpy(profile.data() + 16, space, 4);
  return profile;
}

// The picture seen upright: stored turned as EXIF orientation o says, pixel by pixel, written
// from the tag's definition (which stored row and column each upright pixel comes from).
void Upright(TBitmap32& picture, int o) {
  const int32_t W = picture.Width(), H = picture.Height();
  const bool across = o >= 5;
  TBitmap32 stored;
  stored.CopyFrom(picture);
  picture.Resize(across ? H : W, across ? W : H);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      int32_t sx = x, sy = y;
      switch (o) {
        case 2:
          sx = W - 1 - x;
          break;
        case 3:
          sx = W - 1 - x;
          sy = H - 1 - y;
          break;
        case 4:
          sy = H - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = H - 1 - x;
          break;
        case 7:
          sx = W - 1 - y;
          sy = H - 1 - x;
          break;
        case 8:
          sx = W - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      picture.RowPointer(y)[x] = stored.RowPointer(sy)[sx];
    }
  }
}

bool Has(const Exiv2::ExifData& exif, const char* key) {
  return exif.findKey(Exiv2::ExifKey(key)) != exif.end();
}

TJobSettings Settings(int32_t maxWidth, int32_t maxHeight) {
  TJobSettings s;
  s.maxWidth = maxWidth;
  s.maxHeight = maxHeight;
  return s;
}

}  // namespace

TEST(PhotoKinds, EveryOrientationIsWrittenUpright) {
  Files files;
  // 64 x 48 with a gradient each way and a checker: no turn of it looks like another.
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  const QString plainPath = files.Write("plain.jpg", plain);
  for (int o = 1; o <= 8; ++o) {
    const QString tagged =
        files.Write(QString("o%1.jpg").arg(o), WithSegments(plain, {OrientationSegment(o)}));
    const bool across = o >= 5;
    // As it is; limited in width (the upright width); limited in height.
    for (const TJobSettings& s : {Settings(0, 0), Settings(40, 0), Settings(0, 20)}) {
      Transcript said;
      const TPreparedImage got = PrepareImage(tagged, s, said);
      EXPECT_EQ(got.bytes, WholePictureJob(plainPath, s, [o](TBitmap32& b) { Upright(b, o); }))
          << "orientation " << o << ", limits " << s.maxWidth << " x " << s.maxHeight;
      EXPECT_EQ(said.lines[1], across ? "size 48x64" : "size 64x48") << o;
      int32_t w = 0, h = 0;
      TargetSize(across ? 48 : 64, across ? 64 : 48, s.maxWidth, s.maxHeight, w, h);
      EXPECT_EQ(got.scaled->Width(), w) << o;
      EXPECT_EQ(got.scaled->Height(), h) << o;
      EXPECT_TRUE(ExtrasOf(got.bytes).exif.empty()) << "no photo information unless asked";
    }
    // With the photo information kept, its orientation says the picture is upright.
    TJobSettings keep = Settings(40, 0);
    keep.keepInformation = true;
    Transcript said;
    const Exiv2::ExifData exif = ExifOf(PrepareImage(tagged, keep, said).bytes);
    ASSERT_TRUE(Has(exif, "Exif.Image.Orientation")) << o;
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 1) << o;
    // Not turned: the pixels are as stored, and the tag still says how to show them.
    keep.turnUpright = false;
    const Exiv2::ExifData kept = ExifOf(PrepareImage(tagged, keep, said).bytes);
    EXPECT_EQ(kept.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), o) << o;
  }
}

TEST(PhotoKinds, NoTurnForAnOddOrientationOrWhenSwitchedOff) {
  Files files;
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  const QString plainPath = files.Write("plain.jpg", plain);
  const TJobSettings s = Settings(40, 0);
  const std::vector<uint8_t> expected = WholePictureJob(plainPath, s);
  for (int value : {0, 9, 65535}) {
    const QString path = files.Write(QString("v%1.jpg").arg(value),
                                     WithSegments(plain, {OrientationSegment(value)}));
    Transcript said;
    EXPECT_EQ(PrepareImage(path, s, said).bytes, expected) << value;
  }
  TJobSettings off = s;
  off.turnUpright = false;
  const QString six = files.Write("six.jpg", WithSegments(plain, {OrientationSegment(6)}));
  Transcript said;
  EXPECT_EQ(PrepareImage(six, off, said).bytes, expected);
}

TEST(PhotoKinds, APlainPhotoGivesTheSameBytesWhateverTheSettings) {
  Files files;
  for (const JpegPicture& picture :
       {JpegPicture{64, 48}, JpegPicture{90, 70, true}, JpegPicture{80, 60, false, true}}) {
    const QString path = files.Write("p.jpg", MakeJpeg(picture));
    TJobSettings all = Settings(50, 0);
    all.keepInformation = all.keepLocation = true;
    TJobSettings none = all;
    none.turnUpright = none.keepColourProfile = none.keepInformation = none.keepLocation = false;
    Transcript a, b;
    const std::vector<uint8_t> expected = WholePictureJob(path, all);
    EXPECT_EQ(PrepareImage(path, all, a).bytes, expected);
    EXPECT_EQ(PrepareImage(path, none, b).bytes, expected);
  }
}

TEST(PhotoKinds, AnRgbColourProfileGoesOverByteForByte) {
  Files files;
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  // Big enough for two markers.
  const std::vector<uint8_t> rgb = FakeProfile("RGB ", 100000);
  const QString path = files.Write("rgb.jpg", WithSegments(plain, IccSegments(rgb, 60000)));
  TJobSettings s = Settings(40, 0);
  Transcript said;
  EXPECT_EQ(ExtrasOf(PrepareImage(path, s, said).bytes).icc, rgb);
  s.keepColourProfile = false;
  EXPECT_TRUE(ExtrasOf(PrepareImage(path, s, said).bytes).icc.empty());

  // A gray profile does not describe the colour pixels written; nor is a damaged one guessed.
  s.keepColourProfile = true;
  const QString plainPath = files.Write("plain.jpg", plain);
  const std::vector<uint8_t> expected = WholePictureJob(plainPath, s);
  const std::vector<uint8_t> gray = FakeProfile("GRAY", 3000);
  const struct {
    std::vector<Segment> segments;
    const char* what;
  } dropped[] = {
      {IccSegments(gray, 60000), "a gray profile"},
      {IccSegments(rgb, 40000, {1, 3, 3}), "a marker number missing"},
      {IccSegments(rgb, 40000, {1, 2, 2}), "a marker number twice"},
      {IccSegments(rgb, 40000, {0, 1, 2}), "a marker numbered 0"},
  };
  for (const auto& d : dropped) {
    const QString damaged = files.Write("d.jpg", WithSegments(plain, d.segments));
    EXPECT_EQ(PrepareImage(damaged, s, said).bytes, expected) << d.what;
  }
}

TEST(PhotoKinds, PhotoInformationOnRequestWithoutThumbnailAndLocation) {
  Files files;
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  const std::vector<uint8_t> thumbnail = MakeJpeg({16, 12});
  const std::vector<uint8_t> tiff = Exif([&](Exiv2::ExifData& e) {
    e["Exif.Image.Model"] = "Lumvale Test Camera";
    e["Exif.Photo.DateTimeOriginal"] = "2026:12:10 14:30:00";
    e["Exif.Image.Orientation"] = uint16_t(6);
    e["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    e["Exif.GPSInfo.GPSLatitude"] = "47/1 22/1 3000/100";
    Exiv2::ExifThumb(e).setJpegThumbnail(thumbnail.data(), long(thumbnail.size()));
  });
  const std::string packet =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
      "exif:GPSLatitude=\"47,22.5N\"><dc:creator><rdf:Seq><rdf:li>Anna "
      "Muster</rdf:li></rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta>";
  const QString path = files.Write(
      "camera.jpg", WithSegments(plain, {ExifSegment(tiff),
                                         App(1, jpeg::kXmpHeader, sizeof jpeg::kXmpHeader,
                                             std::vector<uint8_t>(packet.begin(), packet.end()))}));

  TJobSettings s = Settings(40, 0);
  Transcript said;
  const std::vector<uint8_t> without = PrepareImage(path, s, said).bytes;
  EXPECT_TRUE(ExtrasOf(without).exif.empty());
  EXPECT_TRUE(ExtrasOf(without).xmp.empty());

  s.keepInformation = true;
  const std::vector<uint8_t> kept = PrepareImage(path, s, said).bytes;
  const Exiv2::ExifData exif = ExifOf(kept);
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Model"))->toString(), "Lumvale Test Camera");
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"))->toString(),
            "2026:12:10 14:30:00");
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 1);
  // Turned upright from 64 x 48 and limited to 40 wide.
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension"))->toLong(), 40);
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelYDimension"))->toLong(), 53);
  EXPECT_EQ(Exiv2::ExifThumbC(exif).copy().size_, 0) << "the thumbnail is not kept";
  EXPECT_FALSE(Has(exif, "Exif.GPSInfo.GPSLatitude"));
  const std::vector<uint8_t> xmp = ExtrasOf(kept).xmp;
  const std::string keptPacket(xmp.begin(), xmp.end());
  EXPECT_NE(keptPacket.find("Anna Muster"), std::string::npos) << keptPacket;
  EXPECT_EQ(keptPacket.find("GPSLatitude"), std::string::npos) << keptPacket;
  EXPECT_EQ(said.lines.filter("left out"), QStringList());

  s.keepLocation = true;
  const std::vector<uint8_t> located = PrepareImage(path, s, said).bytes;
  EXPECT_TRUE(Has(ExifOf(located), "Exif.GPSInfo.GPSLatitude"));
  const std::vector<uint8_t> locatedXmp = ExtrasOf(located).xmp;
  EXPECT_NE(std::string(locatedXmp.begin(), locatedXmp.end()).find("GPSLatitude"),
            std::string::npos);
}

TEST(PhotoKinds, DamagedPhotoInformationIsLeftOutAndTold) {
  Files files;
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  const QString plainPath = files.Write("plain.jpg", plain);
  TJobSettings s = Settings(40, 0);
  s.keepInformation = true;
  const std::vector<uint8_t> expected = WholePictureJob(plainPath, s);
  // A TIFF header whose first directory lies far past the end; an XMP packet that is no XML.
  const std::vector<uint8_t> badTiff = {'I', 'I', 42, 0, 0x00, 0xFF, 0xFF, 0x7F, 1, 2, 3};
  const std::string badXml = "<x:xmpmeta><rdf:RDF><unclosed";
  const struct {
    Segment segment;
    const char* what;
  } damaged[] = {
      {ExifSegment(badTiff), "EXIF"},
      {App(1, jpeg::kXmpHeader, sizeof jpeg::kXmpHeader,
           std::vector<uint8_t>(badXml.begin(), badXml.end())),
       "XMP"},
  };
  for (const auto& d : damaged) {
    const QString path = files.Write("d.jpg", WithSegments(plain, {d.segment}));
    Transcript said;
    EXPECT_EQ(PrepareImage(path, s, said).bytes, expected) << d.what;
    EXPECT_EQ(said.lines.filter("left out").size(), 1) << d.what;
    EXPECT_EQ(said.lines.indexOf("left out"), said.lines.size() - 2)
        << d.what << ": told before the quality line: " << said.lines.join(", ").toStdString();
  }
}

namespace {

Segment XmpSegment(const std::string& description) {
  const std::string packet =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" +
      description + "</rdf:RDF></x:xmpmeta>";
  return App(1, jpeg::kXmpHeader, sizeof jpeg::kXmpHeader,
             std::vector<uint8_t>(packet.begin(), packet.end()));
}

Exiv2::XmpData XmpOf(const std::vector<uint8_t>& jpeg) {
  const std::vector<uint8_t> packet = ExtrasOf(jpeg).xmp;
  Exiv2::XmpData xmp;
  EXPECT_EQ(Exiv2::XmpParser::decode(xmp, std::string(packet.begin(), packet.end())), 0);
  return xmp;
}

QStringList KeysOf(const Exiv2::XmpData& xmp) {
  QStringList keys;
  for (const auto& datum : xmp) keys << QString::fromStdString(datum.key());
  return keys;
}

std::string ValueOf(const Exiv2::XmpData& xmp, const char* key) {
  const auto it = xmp.findKey(Exiv2::XmpKey(key));
  return it == xmp.end() ? std::string("(none)") : it->toString();
}

}  // namespace

TEST(PhotoKinds, NoCoordinateStaysInTheXmpWithoutTheLocation) {
  // A drone's own namespace and the IPTC extension's location structures, as such cameras and
  // photo libraries write them, beside a place name and an author that stay.
  const std::string description =
      "<rdf:Description rdf:about=\"\" xmlns:drone-dji=\"http://www.dji.com/drone-dji/1.0/\" "
      "xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
      "xmlns:Iptc4xmpExt=\"http://iptc.org/std/Iptc4xmpExt/2008-02-29/\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
      "drone-dji:GpsLatitude=\"47.3750\" drone-dji:GpsLongitude=\"8.5417\" "
      "drone-dji:AbsoluteAltitude=\"+512.30\" drone-dji:RelativeAltitude=\"+80.10\" "
      "drone-dji:FlightYawDegree=\"+12.5\" exif:GPSAltitude=\"5123/10\">"
      "<dc:creator><rdf:Seq><rdf:li>Anna Muster</rdf:li></rdf:Seq></dc:creator>"
      "<Iptc4xmpExt:LocationCreated><rdf:Bag><rdf:li rdf:parseType=\"Resource\">"
      "<Iptc4xmpExt:City>Zürich</Iptc4xmpExt:City>"
      "<exif:GPSLatitude>47,22.5N</exif:GPSLatitude>"
      "<exif:GPSLongitude>8,32.5E</exif:GPSLongitude>"
      "</rdf:li></rdf:Bag></Iptc4xmpExt:LocationCreated>"
      "<Iptc4xmpExt:LocationShown><rdf:Bag><rdf:li rdf:parseType=\"Resource\">"
      "<Iptc4xmpExt:Sublocation>Lindenhof</Iptc4xmpExt:Sublocation>"
      "<exif:GPSAltitude>430/1</exif:GPSAltitude>"
      "</rdf:li></rdf:Bag></Iptc4xmpExt:LocationShown>"
      "</rdf:Description>";
  Files files;
  const QString path =
      files.Write("drone.jpg", WithSegments(MakeJpeg({64, 48}), {XmpSegment(description)}));
  TJobSettings s = Settings(40, 0);
  s.keepInformation = true;
  Transcript said;
  const QStringList kept = KeysOf(XmpOf(PrepareImage(path, s, said).bytes));
  for (const char* gone : {"Gps", "GPS", "Altitude", "Latitude", "Longitude"}) {
    EXPECT_EQ(kept.filter(gone), QStringList()) << gone;
  }
  for (const char* stays : {"Xmp.dc.creator", "Xmp.drone-dji.FlightYawDegree",
                            "Xmp.iptcExt.LocationCreated[1]/Iptc4xmpExt:City",
                            "Xmp.iptcExt.LocationShown[1]/Iptc4xmpExt:Sublocation"}) {
    EXPECT_TRUE(kept.contains(stays)) << stays << ": " << kept.join(", ").toStdString();
  }
  EXPECT_EQ(said.lines.filter("left out"), QStringList());

  s.keepLocation = true;
  const QStringList located = KeysOf(XmpOf(PrepareImage(path, s, said).bytes));
  for (const char* key : {"Xmp.drone-dji.GpsLatitude", "Xmp.drone-dji.GpsLongitude",
                          "Xmp.drone-dji.AbsoluteAltitude", "Xmp.drone-dji.RelativeAltitude",
                          "Xmp.exif.GPSAltitude", "Xmp.iptcExt.LocationCreated[1]/exif:GPSLatitude",
                          "Xmp.iptcExt.LocationShown[1]/exif:GPSAltitude"}) {
    EXPECT_TRUE(located.contains(key)) << key;
  }
}

TEST(PhotoKinds, TheXmpDescribesTheNewPicture) {
  // An XMP thumbnail of the old picture, and its size in both places the XMP can state it.
  const std::string description =
      "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
      "xmlns:xmpGImg=\"http://ns.adobe.com/xap/1.0/g/img/\" "
      "xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
      "tiff:ImageWidth=\"64\" tiff:ImageLength=\"48\" exif:PixelXDimension=\"64\" "
      "exif:PixelYDimension=\"48\" xmp:CreatorTool=\"Lumvale Test\">"
      "<xmp:Thumbnails><rdf:Alt><rdf:li rdf:parseType=\"Resource\">"
      "<xmpGImg:format>JPEG</xmpGImg:format><xmpGImg:width>16</xmpGImg:width>"
      "<xmpGImg:image>/9j/4AAQSkZJRgABAgEASABIAAD</xmpGImg:image>"
      "</rdf:li></rdf:Alt></xmp:Thumbnails></rdf:Description>";
  Files files;
  const QString path =
      files.Write("t.jpg", WithSegments(MakeJpeg({64, 48}), {XmpSegment(description)}));
  TJobSettings s = Settings(40, 0);
  s.keepInformation = true;
  Transcript said;
  const Exiv2::XmpData xmp = XmpOf(PrepareImage(path, s, said).bytes);
  EXPECT_EQ(KeysOf(xmp).filter("Thumbnails"), QStringList());
  EXPECT_EQ(ValueOf(xmp, "Xmp.tiff.ImageWidth"), "40");
  EXPECT_EQ(ValueOf(xmp, "Xmp.tiff.ImageLength"), "30");
  EXPECT_EQ(ValueOf(xmp, "Xmp.exif.PixelXDimension"), "40");
  EXPECT_EQ(ValueOf(xmp, "Xmp.exif.PixelYDimension"), "30");
  EXPECT_EQ(ValueOf(xmp, "Xmp.xmp.CreatorTool"), "Lumvale Test");
}

TEST(PhotoKinds, PartlyDamagedExifKeepsWhatIsReadAndIsTold) {
  // The pointer to the EXIF sub-directory (tag 0x8769 of the first directory) sent past the end
  // of the block: Exiv2 keeps the first directory's tags and loses the date.
  std::vector<uint8_t> tiff = Exif([](Exiv2::ExifData& e) {
    e["Exif.Image.Model"] = "Lumvale Test Camera";
    e["Exif.Photo.DateTimeOriginal"] = "2026:12:10 14:30:00";
  });
  const uint32_t first = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | uint32_t(tiff[7]) << 24;
  const int entries = tiff[first] | tiff[first + 1] << 8;
  bool pointed = false;
  for (int i = 0; i < entries; ++i) {
    uint8_t* entry = tiff.data() + first + 2 + 12 * i;
    if (entry[0] == 0x69 && entry[1] == 0x87) {
      entry[8] = 0xF0, entry[9] = 0xFF, entry[10] = 0xFF, entry[11] = 0x0F;
      pointed = true;
    }
  }
  ASSERT_TRUE(pointed);
  Files files;
  const QString path =
      files.Write("partly.jpg", WithSegments(MakeJpeg({64, 48}), {ExifSegment(tiff)}));
  TJobSettings s = Settings(40, 0);
  s.keepInformation = true;
  Transcript said;
  const Exiv2::ExifData exif = ExifOf(PrepareImage(path, s, said).bytes);
  EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Model"))->toString(), "Lumvale Test Camera");
  EXPECT_FALSE(Has(exif, "Exif.Photo.DateTimeOriginal"));
  EXPECT_EQ(said.lines.filter("left out").size(), 1) << said.lines.join(", ").toStdString();

  // Undamaged, the same information gives no such line.
  const std::vector<uint8_t> intact = Exif([](Exiv2::ExifData& e) {
    e["Exif.Image.Model"] = "Lumvale Test Camera";
    e["Exif.Photo.DateTimeOriginal"] = "2026:12:10 14:30:00";
  });
  const QString whole =
      files.Write("whole.jpg", WithSegments(MakeJpeg({64, 48}), {ExifSegment(intact)}));
  Transcript fine;
  const Exiv2::ExifData all = ExifOf(PrepareImage(whole, s, fine).bytes);
  EXPECT_TRUE(Has(all, "Exif.Photo.DateTimeOriginal"));
  EXPECT_EQ(fine.lines.filter("left out"), QStringList());
}

TEST(PhotoKinds, AnOrientationStatedOnlyInTheXmpTurnsThePhoto) {
  const auto xmpOrientation = [](int o) {
    return XmpSegment(
        "<rdf:Description rdf:about=\"\" xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" "
        "tiff:Orientation=\"" +
        std::to_string(o) + "\"/>");
  };
  Files files;
  const std::vector<uint8_t> plain = MakeJpeg({64, 48});
  const QString plainPath = files.Write("plain.jpg", plain);
  const QString six = files.Write("six.jpg", WithSegments(plain, {xmpOrientation(6)}));
  TJobSettings s = Settings(40, 0);
  s.keepInformation = true;
  Transcript said;
  const TPreparedImage turned = PrepareImage(six, s, said);
  EXPECT_EQ(said.lines[1], "size 48x64");
  TJobSettings plainSettings = Settings(40, 0);
  EXPECT_EQ(PrepareImage(six, plainSettings, said).bytes,
            WholePictureJob(plainPath, plainSettings, [](TBitmap32& b) { Upright(b, 6); }));
  EXPECT_EQ(ValueOf(XmpOf(turned.bytes), "Xmp.tiff.Orientation"), "1");

  // Not turned: the XMP still says how to show the pixels.
  s.turnUpright = false;
  EXPECT_EQ(ValueOf(XmpOf(PrepareImage(six, s, said).bytes), "Xmp.tiff.Orientation"), "6");

  // Where both state one, the EXIF's holds: 3 here, so the XMP's 6 is not applied.
  s.turnUpright = true;
  const QString both =
      files.Write("both.jpg", WithSegments(plain, {OrientationSegment(3), xmpOrientation(6)}));
  Transcript bothSaid;
  PrepareImage(both, s, bothSaid);
  EXPECT_EQ(bothSaid.lines[1], "size 64x48");
}

TEST(PhotoKinds, CmykFilesDecodeByTheFormula) {
  const int W = 16, H = 8;
  const auto fill = [](int y, uint8_t* row) {
    for (int x = 0; x < W; ++x) {
      row[4 * x] = uint8_t(x * 16);
      row[4 * x + 1] = uint8_t(y * 32);
      row[4 * x + 2] = uint8_t(255 - x * 16);
      row[4 * x + 3] = uint8_t((x + y) * 8);
    }
  };
  Files files;
  for (bool adobe : {false, true}) {
    const std::vector<uint8_t> file = EncodeCmykJpeg(W, H, adobe, fill);
    const std::vector<uint8_t> inks = ReferenceCmykDecode(file);
    const QString path = files.Write(adobe ? "adobe.jpg" : "plain-cmyk.jpg", file);
    TBitmap32 decoded;
    decoded.LoadImageFile(path);
    ASSERT_EQ(decoded.Width(), W);
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const uint8_t* p = inks.data() + 4 * (y * W + x);
        // Stored inverted by Adobe's rule: 255 is no ink.
        const auto ink = [&](int i) { return adobe ? p[i] : 255 - p[i]; };
        const auto channel = [&](int i) { return uint8_t((ink(i) * ink(3) + 127) / 255); };
        const TColor32 want =
            0xFF000000u | uint32_t(channel(0)) << 16 | uint32_t(channel(1)) << 8 | channel(2);
        ASSERT_EQ(decoded.RowPointer(y)[x], want) << (adobe ? "Adobe " : "") << x << "," << y;
      }
    }
    Transcript said;
    const TPreparedImage job = PrepareImage(path, Settings(8, 0), said);
    EXPECT_EQ(job.scaled->Width(), 8);
    EXPECT_TRUE(ExtrasOf(job.bytes).icc.empty());
  }
}

TEST(PhotoKinds, ACmykFileWithItsProfileGoesThroughLittleCms) {
  // A CMYK profile of the simplest kind: a table from the inks to Lab with two points per ink,
  // where no ink is white and any black ink is black.
  cmsHPROFILE made = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(made, 2.1);  // its table is written as a lut16, with version 2's Lab
  cmsSetDeviceClass(made, cmsSigOutputClass);
  cmsSetColorSpace(made, cmsSigCmykData);
  cmsSetPCS(made, cmsSigLabData);
  cmsUInt16Number table[16 * 3];
  for (int node = 0; node < 16; ++node) {
    // Node index bits, most significant first: C, M, Y, K.
    const bool k = node & 1, y = node & 2, m = node & 4, c = node & 8;
    const double L = k ? 0 : 100 - 30 * (c + m + y);
    table[3 * node] = cmsUInt16Number(L / 100 * 0xFF00);
    table[3 * node + 1] = table[3 * node + 2] = 0x8000;  // a = b = 0
  }
  cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
  cmsPipelineInsertStage(lut, cmsAT_BEGIN, cmsStageAllocCLut16bit(nullptr, 2, 4, 3, table));
  cmsWriteTag(made, cmsSigAToB0Tag, lut);
  cmsWriteTag(made, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(made, nullptr, &size);
  std::vector<uint8_t> profile(size);
  cmsSaveProfileToMem(made, profile.data(), &size);
  cmsPipelineFree(lut);
  cmsCloseProfile(made);
  ASSERT_TRUE(TCmykToRgb(profile, false, 4).UsesProfile());

  Files files;
  for (bool adobe : {false, true}) {
    // Left half no ink, right half full black; inverted for Adobe.
    const std::vector<uint8_t> file = EncodeCmykJpeg(32, 8, adobe, [&](int, uint8_t* row) {
      for (int x = 0; x < 32; ++x) {
        const uint8_t k = x < 16 ? 0 : 255;
        row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = adobe ? 255 : 0;
        row[4 * x + 3] = adobe ? uint8_t(255 - k) : k;
      }
    });
    const QString path = files.Write("p.jpg", WithSegments(file, IccSegments(profile, 60000)));
    TBitmap32 decoded;
    decoded.LoadImageFile(path);
    const TColor32 paper = decoded.RowPointer(4)[2], ink = decoded.RowPointer(4)[29];
    for (int shift : {0, 8, 16}) {
      EXPECT_GE((paper >> shift) & 0xFF, 240u) << adobe << ": no ink is white";
      EXPECT_LE((ink >> shift) & 0xFF, 15u) << adobe << ": black ink is black";
    }
    Transcript said;
    EXPECT_TRUE(ExtrasOf(PrepareImage(path, Settings(8, 0), said).bytes).icc.empty())
        << "the CMYK profile does not go with RGB pixels";
  }
}
