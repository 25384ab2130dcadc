#pragma once

#include "JpegCodec.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Exiv2 {
class ExifData;
}

namespace lumvale {

// The photo information of a JPEG file (EXIF, XMP, IPTC), read by Exiv2, and what of it goes
// into a written picture. Damaged information never raises an error: it is left out.
class TPhotoInformation {
 public:
  // Reads the EXIF part of extras, which must outlive this object.
  explicit TPhotoInformation(const jpeg::FileExtras& extras);
  ~TPhotoInformation();
  TPhotoInformation(const TPhotoInformation&) = delete;
  TPhotoInformation& operator=(const TPhotoInformation&) = delete;

  // The EXIF orientation tag, else the XMP's; 1 when there is none or it cannot be read.
  long Orientation() const;

  // The markers that carry the information into a picture of width x height: EXIF with the new
  // size and no thumbnail, its orientation 1 when the picture was turned upright (else as it
  // was); XMP likewise; IPTC on its own. The location (EXIF's GPS tags, XMP's coordinates) only
  // with keepLocation. Sets LeftOut() when a part that the file has could not be read, wholly or
  // partly, or not written; that part is then missing.
  std::vector<jpeg::Marker> Markers(int32_t width, int32_t height, bool turnedUpright,
                                    bool keepLocation);
  bool LeftOut() const { return leftOut_; }

 private:
  const jpeg::FileExtras& extras_;
  std::unique_ptr<Exiv2::ExifData> exif_;
  int byteOrder_ = 0;  // Exiv2's value for the EXIF part's byte order
  bool exifDamaged_ = false;
  bool leftOut_ = false;
};

}  // namespace lumvale
