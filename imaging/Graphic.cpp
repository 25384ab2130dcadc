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
};
std::unique_ptr<TGraphic> MakeJpeg() {
  return std::make_unique<TJPEGImage>();
}
std::unique_ptr<TGraphic> MakeHeif() {
  return std::make_unique<THEIFImage>();
}
constexpr GraphicClass kGraphicClasses[] = {
    {"jpeg", "JPEG-Grafikdatei", &MakeJpeg},
    {"jpg", "JPEG-Grafikdatei", &MakeJpeg},
    // The other names a file manager offers JPEG files under.
    {"jpe", "JPEG-Grafikdatei", &MakeJpeg},
    {"jfif", "JPEG-Grafikdatei", &MakeJpeg},
    // Phones and cameras name their HEIF photos by the codec inside, or .hif.
    {"heic", "HEIF image", &MakeHeif},
    {"heif", "HEIF image", &MakeHeif},
    {"hif", "HEIF image", &MakeHeif},
    {"avif", "AVIF image", &MakeHeif},
};
}  // namespace

std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
  for (const auto& c : kGraphicClasses) {
    if (extension == QLatin1String(c.extension)) return c.create();
  }
  throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

std::unique_ptr<TGraphic> LoadGraphicFile(const QString& path) {
  std::unique_ptr<TGraphic> picture = CreateGraphicForFile(path);
  TMemoryStream stream;
  stream.LoadFromFile(path);
  std::vector<uint8_t>& bytes = stream.Bytes();
  const bool heif = heif::IsHeif(bytes.data(), bytes.size());
  if (heif != (dynamic_cast<THEIFImage*>(picture.get()) != nullptr)) {
    picture = heif ? MakeHeif() : MakeJpeg();
  }
  picture->LoadFromBytes(std::move(bytes));
  return picture;
}

}  // namespace lumvale
