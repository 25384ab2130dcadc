#pragma once

// What the engine's tests of photo kinds share: files in a temporary folder, EXIF made by Exiv2
// and read back from a written JPEG.

#include "JpegCodec.h"
#include "TestImages.h"

#include <exiv2/exiv2.hpp>

#include <QTemporaryDir>

#include <functional>

namespace lumvale::test {

struct Files {
  QTemporaryDir dir;
  QString Write(const QString& name, const std::vector<uint8_t>& bytes) {
    const QString path = dir.filePath(name);
    WriteFile(path, bytes);
    return path;
  }
};

// EXIF made by Exiv2, as the TIFF structure an APP1 marker carries.
inline std::vector<uint8_t> Exif(const std::function<void(Exiv2::ExifData&)>& fill) {
  Exiv2::ExifData exif;
  fill(exif);
  Exiv2::Blob blob;
  Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
  return blob;
}

inline jpeg::FileExtras ExtrasOf(const std::vector<uint8_t>& jpeg) {
  return jpeg::ReadExtras(jpeg.data(), jpeg.size());
}

inline Exiv2::ExifData ExifOf(const std::vector<uint8_t>& jpeg) {
  const jpeg::FileExtras extras = ExtrasOf(jpeg);
  Exiv2::ExifData exif;
  if (!extras.exif.empty()) {
    Exiv2::ExifParser::decode(exif, extras.exif.data(), uint32_t(extras.exif.size()));
  }
  return exif;
}

}  // namespace lumvale::test
