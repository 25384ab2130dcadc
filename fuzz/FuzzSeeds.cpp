// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: small JPEG files of every
// kind the tests make, catalogues compiled by msgfmt, and executables with a table.
#include "Catalogues.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDir>

#include <lcms2.h>
#include <exiv2/exiv2.hpp>

#include <cstring>

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
