#pragma once

// The one wrapper around libheif. Its objects are owned here and released on every path; its
// errors become EHEIF, in the program's words with libheif's own message after them.

#include "JpegCodec.h"
#include "NclxProfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumvale::heif {

// Whether bytes hold a HEIF file (HEIC, AVIF and the other brands of the format), by the brands
// of its first box, whatever the file is called.
bool IsHeif(const uint8_t* data, size_t size);

struct DecodeParams {
  // The file's rotation, mirror and crop: how a HEIF file says which way is up.
  bool applyTransformations = true;
};

// A decoded picture: 8 bits per channel, red, green, blue (and alpha).
class Decoded {
 public:
  ~Decoded();
  Decoded(const Decoded&) = delete;
  Decoded& operator=(const Decoded&) = delete;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Hands the rows to the sink as blue, green, red (and 0xFF) bytes, any alpha composed over
  // white; never asks for a palette. Throws EAbort when the sink says it stopped.
  void Deliver(jpeg::DecodeSink& sink) const;

 private:
  friend class File;
  Decoded() = default;
  struct Image;
  std::unique_ptr<Image> image_;
  int32_t width_ = 0, height_ = 0;
  const uint8_t* plane_ = nullptr;
  int stride_ = 0;
  bool alpha_ = false, premultiplied_ = false;
};

// The primary image of a HEIF file held in memory, which must outlive it. Opening reads the
// file's structure, not its pixels.
class File {
 public:
  File(const uint8_t* data, size_t size);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // The picture's size with the transformations applied, as the file announces it. The size of
  // a picture is known for sure only from its decode: some writers announce the stored size
  // turned, and libheif applies a rotation listed before the size to the size it announces.
  int32_t Width() const;
  int32_t Height() const;

  // The file's ICC profile, or empty.
  std::vector<uint8_t> IccProfile() const;
  // The file's nclx description; false when it has none.
  bool ReadNclx(TNclx& nclx) const;
  // The TIFF structure of the file's first EXIF block, and its first XMP packet; empty when
  // missing or not well formed.
  std::vector<uint8_t> Exif() const;
  std::vector<uint8_t> Xmp() const;

  // Decodes the picture to 8 bits per channel (deeper pictures reduced). Checks the announced
  // sizes against the pixel store limit first, and the decoded one after. Throws EHEIF.
  std::unique_ptr<Decoded> Decode(const DecodeParams& params) const;

 private:
  struct Handles;
  std::unique_ptr<Handles> h_;
};

}  // namespace lumvale::heif
