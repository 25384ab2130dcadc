// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: small JPEG files of every
// kind the tests make, catalogues compiled by msgfmt, and executables with a table.
#include "Catalogues.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDir>

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
