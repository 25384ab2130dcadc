#pragma once

#include "Graphic.h"
#include "HeifCodec.h"
#include "JpegCodec.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lumvale {

// A HEIF photo (HEIC, AVIF): the file's bytes and its primary image, decoded on demand to 8-bit
// colour with any alpha composed over white.
class THEIFImage : public TStreamedGraphic {
 public:
  THEIFImage();
  ~THEIFImage() override;

  void LoadFromFile(const QString& path) override;
  // Throws EHEIF for a file libheif cannot open; no bytes leave the picture empty.
  void LoadFromBytes(std::vector<uint8_t>&& bytes) override;

  // Whether the file's rotation, mirror and crop are applied (the default); the size follows.
  bool ApplyTransformations() const { return params_.applyTransformations; }
  void SetApplyTransformations(bool value);

  // The size of the decoded picture: asking for it decodes the picture (and keeps it until it is
  // delivered), since only the decode tells it for sure.
  int32_t Width() const override;
  int32_t Height() const override;
  bool DrawInto(TBitmap32& target) override;
  void DecodeInto(jpeg::DecodeSink& sink) const override;

  // What the file carries besides its pixels, as a JPEG file's would be: its ICC profile, or
  // one made from its nclx colours when they are not sRGB; the TIFF structure of its EXIF block;
  // its XMP packet.
  jpeg::FileExtras Extras() const;

 private:
  std::vector<uint8_t> bytes_;
  const heif::Decoded& Picture() const;

  std::unique_ptr<heif::File> file_;
  mutable std::unique_ptr<heif::Decoded> picture_;
  heif::DecodeParams params_;
};

}  // namespace lumvale
