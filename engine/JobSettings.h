#pragma once

#include <cstdint>

namespace lumvale {

// What a job needs to know of the window's controls, read at the start of the file's turn.
struct TJobSettings {
  int32_t maxWidth = 0;   // 0: no limit
  int32_t maxHeight = 0;  // 0: no limit
  int quality = 90;
  bool progressive = false;
  int64_t sizeLimit = 0;          // bytes; 0: no limit
  bool turnUpright = true;        // apply the EXIF orientation
  bool keepColourProfile = true;  // copy an RGB colour profile into the output
  bool keepInformation = false;   // copy EXIF, XMP and IPTC
  bool keepLocation = false;      // with them, the GPS tags

  friend bool operator==(const TJobSettings&, const TJobSettings&) = default;
};

}  // namespace lumvale
