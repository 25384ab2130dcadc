// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: small JPEG and HEIF files
// of every kind the tests make, catalogues compiled by msgfmt, and executables with a table.
#include "Catalogues.h"
#include "TestHeif.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDir>

#include <lcms2.h>
#include <exiv2/exiv2.hpp>

#include <cstring>
#include <string>

using namespace lumvale::test;

namespace {

void Put(const QString& dir, const QString& name, const QByteArray& bytes) {
  QDir().mkpath(dir);
  WriteBytes(dir + u'/' + name, bytes);
}

QByteArray Bytes(const std::vector<uint8_t>& v) {
  return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

// Seeds of fuzz_metadata: a kind byte, then the marker's payload after its header.
void MetadataSeeds(const QString& dir) {
  Exiv2::ExifData exif;
  exif["Exif.Image.Model"] = "Seed Camera";
  exif["Exif.Image.Orientation"] = uint16_t(6);
  exif["Exif.Photo.DateTimeOriginal"] = "2026:12:10 12:00:00";
  exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
  exif["Exif.GPSInfo.GPSLatitude"] = "47/1 22/1 30/1";
  const std::vector<uint8_t> thumbnail = MakeJpeg({.width = 8, .height = 8});
  Exiv2::ExifThumb(exif).setJpegThumbnail(thumbnail.data(), long(thumbnail.size()));
  for (auto order : {Exiv2::littleEndian, Exiv2::bigEndian}) {
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order, exif);
    Put(dir, order == Exiv2::littleEndian ? "exif-ii" : "exif-mm",
        QByteArray(1, '\0') +
            QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size())));
  }
  Put(dir, "xmp",
      QByteArray(1, '\1') +
          "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
          "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
          "rdf:about=\"\" xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" "
          "xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" tiff:Orientation=\"6\" "
          "exif:GPSLatitude=\"47,22.5N\"/></rdf:RDF></x:xmpmeta>");
  Exiv2::IptcData iptc;
  iptc["Iptc.Application2.Caption"] = "A seed";
  const Exiv2::DataBuf irb = Exiv2::Photoshop::setIptcIrb(nullptr, 0, iptc);
  Put(dir, "iptc",
      QByteArray(1, '\2') + QByteArray(reinterpret_cast<const char*>(irb.pData_), irb.size_));
}

// Seeds of fuzz_icc: Little CMS's sRGB profile in one chunk and in three.
void IccSeeds(const QString& dir) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(srgb, nullptr, &size);
  QByteArray profile(qsizetype(size), '\0');
  cmsSaveProfileToMem(srgb, profile.data(), &size);
  cmsCloseProfile(srgb);
  for (int count : {1, 3}) {
    QByteArray seed;
    const qsizetype chunk = (profile.size() + count - 1) / count;
    for (int i = 0; i < count; ++i) {
      const QByteArray part = profile.mid(i * chunk, chunk);
      seed += char(i + 1);
      seed += char(count);
      seed += char(part.size() >> 8);
      seed += char(part.size() & 0xFF);
      seed += part;
    }
    Put(dir, QStringLiteral("srgb-%1").arg(count), seed);
  }
}

// The boxes of a HEIF file, as far as the seeds below take it apart and put it together.
QByteArray Be(uint64_t value, int bytes) {
  QByteArray out;
  for (int i = bytes - 1; i >= 0; --i) out += char((value >> (8 * i)) & 0xFF);
  return out;
}

QByteArray Box(const char* type, const QByteArray& payload) {
  return Be(uint64_t(8 + payload.size()), 4) + QByteArray(type, 4) + payload;
}

QByteArray FullBox(const char* type, int version, uint32_t flags, const QByteArray& payload) {
  return Box(type, Be(uint64_t(version) << 24 | flags, 4) + payload);
}

// The payload of the first box of that type among boxes; empty when there is none. Whole:
// the box with its header.
QByteArray Child(const QByteArray& boxes, const char* type, bool whole = false) {
  for (qsizetype at = 0; at + 8 <= boxes.size();) {
    const auto* p = reinterpret_cast<const uint8_t*>(boxes.constData() + at);
    const qsizetype size =
        qsizetype(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
    if (size < 8 || at + size > boxes.size()) break;
    if (std::memcmp(p + 4, type, 4) == 0)
      return whole ? boxes.mid(at, size) : boxes.mid(at + 8, size - 8);
    at += size;
  }
  return {};
}

// The coded picture of a file libheif wrote with one image and nothing else: its decoder
// configuration box (hvcC, av1C), whole, and the picture's data, all of the media data.
struct CodedPicture {
  QByteArray config;
  QByteArray data;
};

CodedPicture Coded(const std::vector<uint8_t>& file, bool av1) {
  const QByteArray bytes = Bytes(file);
  const QByteArray meta = Child(bytes, "meta").mid(4);
  const QByteArray ipco = Child(Child(meta, "iprp"), "ipco");
  return {Child(ipco, av1 ? "av1C" : "hvcC", true), Child(bytes, "mdat")};
}

struct Item {
  uint16_t id;
  const char* type;
  bool hidden;
  std::vector<int> properties;  // 1-based indexes into the property boxes; a coded picture's
                                // first is its decoder configuration, marked essential
  QByteArray data;              // in the media data, or for the grid in the item data box
};

// A file of the given items, the first the primary one; a grid item references all the
// others, which are its tiles row by row.
QByteArray HeifFile(bool av1, const std::vector<Item>& items, const QByteArray& properties) {
  QByteArray infos;
  for (const Item& item : items) {
    infos += FullBox("infe", 2, item.hidden ? 1 : 0,
                     Be(item.id, 2) + Be(0, 2) + QByteArray(item.type, 4) + QByteArray(1, '\0'));
  }
  const bool grid = std::strcmp(items.front().type, "grid") == 0;
  QByteArray associations = Be(items.size(), 4);
  for (const Item& item : items) {
    associations += Be(item.id, 2) + Be(item.properties.size(), 1);
    const bool coded = !(grid && &item == &items.front());
    for (size_t i = 0; i < item.properties.size(); ++i) {
      associations += Be(uint64_t(item.properties[i]) | (coded && i == 0 ? 0x80 : 0), 1);
    }
  }
  QByteArray references;
  if (grid) {
    QByteArray dimg = Be(items.front().id, 2) + Be(items.size() - 1, 2);
    for (size_t i = 1; i < items.size(); ++i) dimg += Be(items[i].id, 2);
    references = FullBox("iref", 0, 0, Box("dimg", dimg));
  }
  // The locations point into the media data, which follows the meta box; its size does not
  // depend on them.
  auto meta = [&](uint64_t mediaStart) {
    QByteArray locations = Be(0x44, 1) + Be(0, 1) + Be(items.size(), 2);
    uint64_t at = mediaStart;
    for (const Item& item : items) {
      const bool inItemData = grid && &item == &items.front();
      locations += Be(item.id, 2) + Be(inItemData ? 1 : 0, 2) + Be(0, 2) + Be(1, 2) +
                   Be(inItemData ? 0 : at, 4) + Be(item.data.size(), 4);
      if (!inItemData) at += uint64_t(item.data.size());
    }
    QByteArray m = FullBox("hdlr", 0, 0, Be(0, 4) + "pict" + QByteArray(13, '\0')) +
                   FullBox("pitm", 0, 0, Be(items.front().id, 2)) +
                   FullBox("iinf", 0, 0, Be(items.size(), 2) + infos) + references +
                   FullBox("iloc", 1, 0, locations);
    if (grid) m += Box("idat", items.front().data);
    m += Box("iprp", Box("ipco", properties) + FullBox("ipma", 0, 0, associations));
    return FullBox("meta", 0, 0, m);
  };
  const QByteArray ftyp = av1 ? Box("ftyp", QByteArray("avif") + Be(0, 4) + "mif1avifmiaf")
                              : Box("ftyp", QByteArray("heic") + Be(0, 4) + "mif1heic");
  QByteArray media;
  for (const Item& item : items) {
    if (!(grid && &item == &items.front())) media += item.data;
  }
  const uint64_t mediaStart = uint64_t(ftyp.size() + meta(0).size() + 8);
  return ftyp + meta(mediaStart) + Box("mdat", media);
}

QByteArray Ispe(int width, int height) {
  return FullBox("ispe", 0, 0, Be(width, 4) + Be(height, 4));
}

// What phones write: the photo in tiles of a grid, the grid smaller than the tiles together.
// Each tile has its own part of one pattern and its own decoder configuration.
QByteArray GridFile(bool av1) {
  constexpr int kTile = 32;
  QByteArray properties;
  std::vector<Item> items = {{1, "grid", false, {}, {}}};
  for (int t = 0; t < 4; ++t) {
    HeifPicture tile{.width = kTile, .height = kTile, .av1 = av1};
    tile.pixel = [t](int x, int y, uint16_t rgba[4]) {
      const int gx = x + kTile * (t % 2), gy = y + kTile * (t / 2);
      rgba[0] = uint16_t(gx * 4);
      rgba[1] = uint16_t(gy * 4);
      rgba[2] = uint16_t((gx / 8 + gy / 8) % 2 ? 255 : 64);
      rgba[3] = 255;
    };
    const CodedPicture coded = Coded(EncodeHeif(tile), av1);
    properties += coded.config;
    items.push_back({uint16_t(2 + t), av1 ? "av01" : "hvc1", true, {t + 1, 5}, coded.data});
  }
  properties += Ispe(kTile, kTile) + Ispe(2 * kTile - 4, 2 * kTile - 6);
  items.front().properties = {6};
  // Version 0, 16-bit sizes, two rows, two columns, the output size.
  items.front().data = Be(0, 2) + Be(1, 1) + Be(1, 1) + Be(2 * kTile - 4, 2) + Be(2 * kTile - 6, 2);
  return HeifFile(av1, items, properties);
}

// One picture cropped (clean aperture), then turned a quarter and mirrored.
QByteArray CroppedFile() {
  const CodedPicture coded = Coded(EncodeHeif({.width = 64, .height = 48}), false);
  const QByteArray clap = Box("clap", Be(40, 4) + Be(1, 4) + Be(30, 4) + Be(1, 4) + Be(2, 4) +
                                          Be(1, 4) + Be(uint32_t(-3), 4) + Be(1, 4));
  const QByteArray properties =
      coded.config + Ispe(64, 48) + clap + Box("irot", Be(1, 1)) + Box("imir", Be(1, 1));
  return HeifFile(false, {{1, "hvc1", false, {1, 2, 3, 4, 5}, coded.data}}, properties);
}

std::vector<uint8_t> DisplayP3Profile() {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
  const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

std::vector<uint8_t> CameraExif() {
  Exiv2::ExifData exif;
  exif["Exif.Image.Make"] = "Seed";
  exif["Exif.Image.Model"] = "Seed Phone";
  exif["Exif.Image.Orientation"] = uint16_t(6);
  exif["Exif.Photo.DateTimeOriginal"] = "2026:12:10 12:00:00";
  exif["Exif.Photo.PixelXDimension"] = uint32_t(48);
  exif["Exif.Photo.PixelYDimension"] = uint32_t(32);
  exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
  exif["Exif.GPSInfo.GPSLatitude"] = "47/1 22/1 30/1";
  exif["Exif.GPSInfo.GPSLongitudeRef"] = "E";
  exif["Exif.GPSInfo.GPSLongitude"] = "8/1 32/1 15/1";
  Exiv2::Blob blob;
  Exiv2::ExifParser::encode(blob, Exiv2::bigEndian, exif);
  return {blob.begin(), blob.end()};
}

const char kXmp[] =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
    "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
    "xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" tiff:Orientation=\"6\" "
    "exif:GPSLatitude=\"47,22.5N\" exif:GPSLongitude=\"8,32.25E\"><dc:title><rdf:Alt><rdf:li "
    "xml:lang=\"x-default\">A seed</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF>"
    "</x:xmpmeta>";

// Seeds of fuzz_heif: four bytes that choose the settings (see fuzz_heif.cpp), then the file.
void HeifSeeds(const QString& dir) {
  struct Seed {
    const char* name;
    std::string control;
    HeifPicture picture;
  };
  const std::vector<uint8_t> p3 = DisplayP3Profile(), exif = CameraExif();
  // Turn upright and keep the profile; 32 pixels wide at quality 85.
  const std::string usual("\x03\x20\x00\x55", 4);
  const Seed seeds[] = {
      {"heic", usual, {}},
      {"heic-turned-6",
       std::string("\x07\x10\x10\x5a", 4),
       {.width = 48, .height = 32, .orientation = 6}},
      {"heic-mirrored-2-stored",
       std::string("\x06\x00\x00\x4b", 4),
       {.width = 32, .height = 24, .orientation = 2}},
      {"heic-transposed-5",
       std::string("\x41\x18\x00\x5a", 4),
       {.width = 40, .height = 24, .orientation = 5}},
      {"heic-alpha",
       std::string("\x03\x54\x00\x5a", 4),
       {.width = 32, .height = 32, .alpha = true}},
      {"heic-icc-p3", usual, {.width = 32, .height = 24, .icc = p3}},
      {"heic-nclx-p3", usual, {.width = 32, .height = 24, .nclxPrimaries = 12, .nclxTransfer = 13}},
      {"heic-10bit-bt2020-pq",
       usual,
       {.width = 32, .height = 24, .bitDepth = 10, .nclxPrimaries = 9, .nclxTransfer = 16}},
      {"heic-exif-gps",
       std::string("\x0f\x18\x18\x5a", 4),
       {.width = 48, .height = 32, .orientation = 6, .exif = exif}},
      {"heic-xmp", std::string("\x0d\x18\x00\x5a", 4), {.width = 32, .height = 24, .xmp = kXmp}},
      {"heic-10bit-limited",
       std::string("\x23\x00\x00\x50", 4),
       {.width = 32, .height = 24, .bitDepth = 10}},
      {"heic-12bit-alpha",
       std::string("\x07\x90\x00\x5a", 4),
       {.width = 24, .height = 16, .bitDepth = 12, .alpha = true}},
      {"heic-lossless",
       std::string("\x03\x08\x08\x64", 4),
       {.width = 16, .height = 16, .lossless = true}},
      {"avif", usual, {.width = 48, .height = 32, .av1 = true}},
      {"avif-alpha-turned-8",
       std::string("\x47\x10\x00\x5a", 4),
       {.width = 32, .height = 24, .av1 = true, .alpha = true, .orientation = 8}},
      {"avif-p3-exif-xmp-named-jpg",
       std::string("\x0f\x18\x80\x5a", 4),
       {.width = 32,
        .height = 24,
        .av1 = true,
        .nclxPrimaries = 12,
        .nclxTransfer = 13,
        .exif = exif,
        .xmp = kXmp}},
  };
  for (const Seed& seed : seeds) {
    Put(dir, seed.name,
        QByteArray(seed.control.data(), qsizetype(seed.control.size())) +
            Bytes(EncodeHeif(seed.picture)));
  }
  Put(dir, "heic-grid", QByteArray(usual.data(), 4) + GridFile(false));
  Put(dir, "heic-grid-stored", QByteArray("\x02\x10\x00\x5a", 4) + GridFile(false));
  Put(dir, "avif-grid", QByteArray(usual.data(), 4) + GridFile(true));
  Put(dir, "heic-cropped-turned", QByteArray("\x03\x00\x00\x5a", 4) + CroppedFile());
}

// libFuzzer's dictionary for fuzz_heif: the names of the boxes, items and brands libheif reads.
// libheif is not instrumented, so the search cannot learn them from its comparisons.
void HeifDictionary(const QString& path) {
  static const char* const words[] = {"ftyp",
                                      "meta",
                                      "hdlr",
                                      "pict",
                                      "pitm",
                                      "iloc",
                                      "iinf",
                                      "infe",
                                      "iref",
                                      "dimg",
                                      "thmb",
                                      "auxl",
                                      "cdsc",
                                      "iprp",
                                      "ipco",
                                      "ipma",
                                      "ispe",
                                      "pixi",
                                      "colr",
                                      "nclx",
                                      "prof",
                                      "rICC",
                                      "clap",
                                      "irot",
                                      "imir",
                                      "hvcC",
                                      "av1C",
                                      "grid",
                                      "iovl",
                                      "iden",
                                      "hvc1",
                                      "av01",
                                      "Exif",
                                      "mime",
                                      "idat",
                                      "mdat",
                                      "auxC",
                                      "heic",
                                      "heix",
                                      "avif",
                                      "mif1",
                                      "msf1",
                                      "miaf",
                                      "application/rdf+xml",
                                      "urn:mpeg:hevc:2015:auxid:1",
                                      "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha",
                                      "MM\\x00*",
                                      "II*\\x00",
                                      "Exif\\x00\\x00"};
  QByteArray dictionary;
  for (const char* word : words) dictionary += '"' + QByteArray(word) + "\"\n";
  WriteBytes(path, dictionary);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("corpus");
  const JpegPicture pictures[] = {{.width = 16, .height = 16},
                                  {.width = 33, .height = 17, .progressive = true},
                                  {.width = 24, .height = 8, .grayscale = true},
                                  {.width = 8, .height = 40, .quality = 50},
                                  {.width = 1, .height = 1}};
  int n = 0;
  for (const JpegPicture& p : pictures) {
    const QByteArray jpeg = Bytes(MakeJpeg(p));
    Put(root + "/jpeg", QStringLiteral("seed%1.jpg").arg(n), jpeg);
    Put(root + "/chain", QStringLiteral("seed%1").arg(n), QByteArray("\x20\x18\x5a\x01", 4) + jpeg);
    ++n;
  }
  MetadataSeeds(root + "/metadata");
  IccSeeds(root + "/icc");
  HeifSeeds(root + "/heif");
  HeifDictionary(root + "/heif.dict");
  const Messages messages = {
      {"&Abort", "&Abbrechen"}, {"Run", "Starten"}, {"two\nlines", "zwei\nZeilen"}};
  const QByteArray mo = CompileCatalogue(messages);
  Put(root + "/mofile", "le.mo", mo);
  Put(root + "/mofile", "be.mo", BigEndianTwin(mo));
  Put(root + "/mofile", "built.mo", BuildCatalogue(messages));
  // An executable: image bytes, the catalogue, padding, one 256-byte entry, the end of the chain.
  QByteArray exe(512, 'E');
  const uint64_t at = uint64_t(exe.size());
  exe += mo;
  exe.resize((exe.size() + 255) / 256 * 256, '\0');
  const uint64_t entry = uint64_t(exe.size());
  QByteArray header(24, '\0');
  const uint64_t fields[3] = {entry + 256, at, uint64_t(mo.size())};
  std::memcpy(header.data(), fields, 24);
  exe += header + QByteArray("locale\\de\\LC_MESSAGES\\default.mo").leftJustified(232, ' ');
  exe += QByteArray(8, '\0');
  Put(root + "/locator", "table", QByteArray(reinterpret_cast<const char*>(&entry), 8) + exe);
  return 0;
}
