#include "Graphic.h"

#include "HeifCodec.h"
#include "HeifImage.h"
#include "ImagingErrors.h"
#include "JpegImage.h"
#include "MemoryStream.h"

#include <QFileInfo>

namespace lumvale {

namespace {
struct GraphicClass {
  const char* extension;
  const char* description;
  std::unique_ptr<TGraphic> (*create)();
  // How much longer a byte of such a file takes to decode than a JPEG's, measured on the
  // benchmark's photos.
  int decodeWeight;
};
std::unique_ptr<TGraphic> MakeJpeg() {
  return std::make_unique<TJPEGImage>();
}
std::unique_ptr<TGraphic> MakeHeif() {
  return std::make_unique<THEIFImage>();
}
constexpr GraphicClass kGraphicClasses[] = {
    {"jpeg", "JPEG-Grafikdatei", &MakeJpeg, 1},
    {"jpg", "JPEG-Grafikdatei", &MakeJpeg, 1},
    // The other names a file manager offers JPEG files under.
    {"jpe", "JPEG-Grafikdatei", &MakeJpeg, 1},
    {"jfif", "JPEG-Grafikdatei", &MakeJpeg, 1},
    // Phones and cameras name their HEIF photos by the codec inside, or .hif.
    {"heic", "HEIF image", &MakeHeif, 4},
    {"heif", "HEIF image", &MakeHeif, 4},
    {"hif", "HEIF image", &MakeHeif, 4},
    {"avif", "AVIF image", &MakeHeif, 16},
};

QString ExtensionOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

// The class registered for the file's extension, or nullptr.
const GraphicClass* ClassFor(const QString& path) {
  const QString extension = ExtensionOf(path);
  for (const auto& c : kGraphicClasses) {
    if (extension == QLatin1String(c.extension)) return &c;
  }
  return nullptr;
}

const GraphicClass& RegisteredClassFor(const QString& path) {
  const GraphicClass* c = ClassFor(path);
  if (!c) {
    throw EInvalidGraphic(
        QStringLiteral("Unknown picture file extension (.%1)").arg(ExtensionOf(path)));
  }
  return *c;
}
}  // namespace

std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path) {
  return RegisteredClassFor(path).create();
}

std::unique_ptr<TGraphic> LoadGraphicFile(const QString& path) {
  RegisteredClassFor(path);
  TMemoryStream stream;
  stream.LoadFromFile(path);
  std::vector<uint8_t>& bytes = stream.Bytes();
  std::unique_ptr<TGraphic> picture =
      heif::IsHeif(bytes.data(), bytes.size()) ? MakeHeif() : MakeJpeg();
  picture->LoadFromBytes(std::move(bytes));
  return picture;
}

int DecodeWeight(const QString& path) {
  const GraphicClass* c = ClassFor(path);
  return c ? c->decodeWeight : 1;
}

}  // namespace lumvale
