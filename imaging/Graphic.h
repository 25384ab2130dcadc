#pragma once

#include "JpegCodec.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumvale {

class TBitmap32;

// A picture that can be read from a file and drawn into a 32-bit bitmap.
class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void LoadFromFile(const QString& path) = 0;
  // Takes the bytes of a whole file and reads its header.
  virtual void LoadFromBytes(std::vector<uint8_t>&& bytes) = 0;
  // Draws the picture 1:1 into target, which has the picture's size. Returns true when every
  // pixel written already has alpha 255.
  virtual bool DrawInto(TBitmap32& target) = 0;
};

// A picture whose rows a decoder hands out one by one, so that it need never be held whole.
class TStreamedGraphic : public TGraphic {
 public:
  // Decodes the picture into any sink (nothing when it is empty).
  virtual void DecodeInto(jpeg::DecodeSink& sink) const = 0;
  // Whether the last decode found data missing (a file cut short or garbled), left grey.
  virtual bool DataMissing() const { return false; }
};

// A new, empty picture of the class registered for the file's extension (compared without regard
// to case): "jpeg", "jpg", "jpe" and "jfif" give a TJPEGImage; "heic", "heif", "hif" and "avif"
// a THEIFImage. Throws EInvalidGraphic "Unknown picture file extension (.%s)" for any other
// extension.
std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path);

// Reads a picture file whose extension is registered. What the file holds decides the class, not
// its name: a HEIF file called .jpg is read as HEIF, a JPEG file called .heic as JPEG.
std::unique_ptr<TGraphic> LoadGraphicFile(const QString& path);

// How much longer, per byte on disk, a file of this name takes to decode than a JPEG (1 for a
// name without a registered class): what the name tells of a photo's work before it is read.
int DecodeWeight(const QString& path);

}  // namespace lumvale
