#include "Orientation.h"

#include <algorithm>
#include <memory>

namespace lumvale {

TOrientation OrientationFromExif(long value) {
  switch (value) {
    case 2:
      return {true, false, false};
    case 3:
      return {true, true, false};
    case 4:
      return {false, true, false};
    case 5:
      return {false, false, true};
    case 6:
      return {false, true, true};
    case 7:
      return {true, true, true};
    case 8:
      return {true, false, true};
    default:
      return {};
  }
}

void Mirror(TBitmap32& picture, const TOrientation& o) {
  const int32_t w = picture.Width(), h = picture.Height();
  if (o.mirrorRows) {
    for (int32_t y = 0; y < h; ++y) std::reverse(picture.RowPointer(y), picture.RowPointer(y) + w);
  }
  if (o.upsideDown) {
    for (int32_t y = 0; y < h / 2; ++y) {
      std::swap_ranges(picture.RowPointer(y), picture.RowPointer(y) + w,
                       picture.RowPointer(h - 1 - y));
    }
  }
}

void Transpose(TBitmap32& picture) {
  const int32_t w = picture.Width(), h = picture.Height();
  const size_t count = size_t(w) * size_t(h);
  const auto copy = std::make_unique_for_overwrite<TColor32[]>(count);
  std::copy_n(picture.Bits(), count, copy.get());
  picture.Resize(h, w);
  // Blocks of 32 x 32 pixels keep both the rows read and the rows written in the cache.
  constexpr int32_t kBlock = 32;
  for (int32_t y0 = 0; y0 < h; y0 += kBlock) {
    for (int32_t x0 = 0; x0 < w; x0 += kBlock) {
      for (int32_t y = y0; y < std::min(y0 + kBlock, h); ++y) {
        const TColor32* from = copy.get() + size_t(y) * size_t(w);
        for (int32_t x = x0; x < std::min(x0 + kBlock, w); ++x) picture.RowPointer(x)[y] = from[x];
      }
    }
  }
}

}  // namespace lumvale
