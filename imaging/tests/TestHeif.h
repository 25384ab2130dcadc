#pragma once

// HEIF files made at test time with libheif's own encoder, and libheif's own decode of them, so
// that what the program reads is checked against the library rather than against itself.

#include "Color32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvale::test {

struct HeifPicture {
  int width = 64;
  int height = 48;
  bool av1 = false;  // AVIF (AV1) rather than HEIC (HEVC)
  int bitDepth = 8;  // 8, 10 or 12
  bool alpha = false;
  int orientation = 1;  // as EXIF numbers it: written as the file's rotation and mirror
  std::vector<uint8_t> icc{};
  int nclxPrimaries = 0;  // 0: no nclx box of our choosing
  int nclxTransfer = 13;
  std::vector<uint8_t> exif{};  // a TIFF structure, stored as the file's EXIF block
  std::string xmp{};
  bool lossless = false;
  // Pixels as 16-bit red, green, blue, alpha values in the picture's bit depth; the default is
  // a smooth pattern with edges, its alpha from half to fully opaque.
  std::function<void(int x, int y, uint16_t rgba[4])> pixel{};
};

std::vector<uint8_t> EncodeHeif(const HeifPicture& picture);

// What libheif decodes of a file: 8-bit red, green, blue (and alpha when the file has it) per
// pixel, with or without the file's transformations.
struct HeifPixels {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<uint8_t> bytes;
};
HeifPixels ReferenceHeifDecode(const std::vector<uint8_t>& file, bool applyTransformations = true);

// The pixels with alpha composed over white by the textbook formula, as 32-bit pixels.
std::vector<TColor32> OverWhite(const HeifPixels& pixels);

// Whether this libheif can encode AV1 or HEVC (Debian's can both).
bool CanEncodeHeif(bool av1);

}  // namespace lumvale::test
