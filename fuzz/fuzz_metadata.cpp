// The photo information step on hostile markers. The input's first byte picks what the rest is
// (0: the TIFF structure of an EXIF marker, 1: an XMP packet, 2: Photoshop's resource blocks;
// bit 2 asks for the location too); it goes into a small JPEG as that marker, and the job's
// steps follow: the extras read, the orientation and the markers to keep made by Exiv2, and
// those written into a new picture, whose extras are read again.
#include "FuzzPictures.h"
#include "ImagingErrors.h"
#include "JpegCodec.h"
#include "PhotoInformation.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const struct {
    const char* header;
    size_t size;
    int app;
  } kinds[] = {{lumvale::jpeg::kExifHeader, 6, 1},
               {lumvale::jpeg::kXmpHeader, sizeof lumvale::jpeg::kXmpHeader, 1},
               {lumvale::jpeg::kPhotoshopHeader, sizeof lumvale::jpeg::kPhotoshopHeader, 13}};
  const auto& kind = kinds[data[0] % 3];
  std::vector<uint8_t> payload(kind.header, kind.header + kind.size);
  payload.insert(payload.end(), data + 1, data + size);
  const std::vector<uint8_t> file = fuzz::WithApps(fuzz::ColourJpeg(), kind.app, {payload});
  try {
    const lumvale::jpeg::FileExtras extras = lumvale::jpeg::ReadExtras(file.data(), file.size());
    lumvale::TPhotoInformation information(extras);
    const long orientation = information.Orientation();
    const std::vector<lumvale::jpeg::Marker> markers =
        information.Markers(8, orientation > 4 ? 6 : 8, (data[0] & 8) != 0, (data[0] & 4) != 0);
    std::vector<uint8_t> pixels(8 * 8 * 4, 0x80);
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < 8; ++y) rows.push_back(pixels.data() + 32 * y);
    lumvale::jpeg::EncodeParams params;
    params.markers = markers;
    std::vector<uint8_t> out;
    lumvale::jpeg::Encode({8, 8, 4, rows.data()}, params, out);
    (void)lumvale::jpeg::ReadExtras(out.data(), out.size());
  } catch (const lumvale::Exception&) {
  }
  return 0;
}
