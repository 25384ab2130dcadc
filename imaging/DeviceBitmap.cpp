#include "DeviceBitmap.h"

#include <algorithm>

namespace lumvale {

int TDeviceBitmap::BitsPerPixel() const {
  switch (format_) {
    case TPixelFormat::pf8bit:
      return 8;
    case TPixelFormat::pf24bit:
      return 24;
    case TPixelFormat::pf32bit:
      return 32;
  }
  return 0;
}

void TDeviceBitmap::SetSize(int32_t width, int32_t height, TPixelFormat format) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  format_ = format;
  stride_ = (size_t(width_) * size_t(BitsPerPixel() / 8) + 3) & ~size_t(3);
  pixels_.assign(stride_ * size_t(height_), 0);
}

TDeviceBitmap TDeviceBitmap::ConvertedTo24Bit() const {
  TDeviceBitmap out(width_, height_, TPixelFormat::pf24bit);
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* s = ScanLine(y);
    uint8_t* d = out.ScanLine(y);
    for (int32_t x = 0; x < width_; ++x, d += 3) {
      switch (format_) {
        case TPixelFormat::pf8bit: {
          const TColor32 c = s[x] < palette_.size() ? palette_[s[x]] : 0;
          d[0] = BlueComponent(c);
          d[1] = GreenComponent(c);
          d[2] = RedComponent(c);
          break;
        }
        case TPixelFormat::pf24bit:
          std::copy_n(s + 3 * size_t(x), 3, d);
          break;
        case TPixelFormat::pf32bit:
          std::copy_n(s + 4 * size_t(x), 3, d);
          break;
      }
    }
  }
  out.Transparent = Transparent;
  out.TransparentColor = TransparentColor;
  return out;
}

}  // namespace lumvale
