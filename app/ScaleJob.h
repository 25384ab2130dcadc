#pragma once

#include "Bitmap32.h"
#include "KernelResampler.h"
#include "MemoryStream.h"

#include <QString>

#include <cstdint>

namespace lumvale {

struct TScaleSettings {
  int32_t maxWidth = 0;   // 0: no width limit
  int32_t maxHeight = 0;  // 0: no height limit
  int quality = 90;
  bool progressive = false;
};

// The size that fits the limits while keeping the aspect ratio, never larger than the picture:
// the width limit first, then the height limit against the height it produced.
void FitSize(int32_t width, int32_t height, const TScaleSettings& settings, int32_t& fitWidth,
             int32_t& fitHeight);

// Loads a JPEG into source (which must carry the Lanczos resampler), scales it to fit and
// encodes it into stream.
void ScaleToStream(const QString& inputPath, TBitmap32& source, const TScaleSettings& settings,
                   TMemoryStream& stream);

}  // namespace lumvale
