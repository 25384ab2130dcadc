#include "Graphic.h"

#include "ImagingErrors.h"
#include "JpegImage.h"

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
constexpr GraphicClass kGraphicClasses[] = {
    {"jpeg", "JPEG-Grafikdatei", &MakeJpeg},
    {"jpg", "JPEG-Grafikdatei", &MakeJpeg},
    // The other names a file manager offers JPEG files under.
    {"jpe", "JPEG-Grafikdatei", &MakeJpeg},
    {"jfif", "JPEG-Grafikdatei", &MakeJpeg},
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

}  // namespace lumvale
