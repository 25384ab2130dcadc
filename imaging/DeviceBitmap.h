#pragma once

#include "Color32.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumvale {

enum class TPixelFormat { pf8bit, pf24bit, pf32bit };

// A plain in-memory raster as the JPEG adapter exchanges it: 8 bits per pixel with a palette,
// 24 bits (blue, green, red) or 32 bits (blue, green, red, alpha). Rows are top-down and start
// at multiples of 4 bytes, as device-independent bitmaps do.
class TDeviceBitmap {
 public:
  TDeviceBitmap() = default;
  TDeviceBitmap(int32_t width, int32_t height, TPixelFormat format) {
    SetSize(width, height, format);
  }

  // Replaces the contents by zero pixels of the given size and format; the palette is kept.
  // Negative sizes count as 0.
  void SetSize(int32_t width, int32_t height, TPixelFormat format);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  TPixelFormat PixelFormat() const { return format_; }
  int BitsPerPixel() const;
  size_t Stride() const { return stride_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint8_t* ScanLine(int32_t y) { return pixels_.data() + size_t(y) * stride_; }
  const uint8_t* ScanLine(int32_t y) const { return pixels_.data() + size_t(y) * stride_; }

  // Palette entries of an 8-bit bitmap, as colours with alpha 255.
  std::vector<TColor32>& Palette() { return palette_; }
  const std::vector<TColor32>& Palette() const { return palette_; }

  // Pixels of TransparentColor (alpha ignored) count as transparent when Transparent is set.
  bool Transparent = false;
  TColor32 TransparentColor = 0;

  // A copy in 24 bits per pixel: the alpha byte dropped, palette entries looked up; blue, green
  // and red kept exactly.
  TDeviceBitmap ConvertedTo24Bit() const;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf24bit;
  size_t stride_ = 0;
  std::vector<uint8_t> pixels_;
  std::vector<TColor32> palette_;
};

}  // namespace lumvale
