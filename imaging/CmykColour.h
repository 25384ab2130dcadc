#pragma once

#include <cstdint>
#include <span>

namespace lumvale {

// Turns the CMYK rows of a print-shop JPEG into the blue, green, red rows the program works on.
// With a CMYK colour profile from the file, Little CMS converts to sRGB (perceptual intent);
// without one, or with one it cannot use, the plain formula red = (255 - C) x (255 - K) / 255,
// rounded, and likewise for green (M) and blue (Y). Adobe's files store the inks inverted
// (255 is no ink); `inverted` says so, and the formula then reads red = C x K / 255.
class TCmykToRgb {
 public:
  TCmykToRgb(std::span<const uint8_t> profile, bool inverted, int bytesPerPixel);
  ~TCmykToRgb();
  TCmykToRgb(const TCmykToRgb&) = delete;
  TCmykToRgb& operator=(const TCmykToRgb&) = delete;

  // width pixels of 4 bytes (C, M, Y, K) into width pixels of bytesPerPixel (blue, green, red
  // and, for 4, a 0xFF byte).
  void Convert(const uint8_t* cmyk, uint8_t* out, int32_t width) const noexcept;
  bool UsesProfile() const { return transform_ != nullptr; }

 private:
  void* transform_ = nullptr;  // a Little CMS transform
  bool inverted_;
  int bytesPerPixel_;
};

// Whether an ICC profile describes RGB pixels (its header's colour space is 'RGB ').
bool IsRgbProfile(std::span<const uint8_t> profile);

}  // namespace lumvale
