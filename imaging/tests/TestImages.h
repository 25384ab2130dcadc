#pragma once

// Small pictures made at test time: JPEG files written by libjpeg itself (independent of the
// adapter under test) and bitmaps with given pixels.

#include "Bitmap32.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvale::test {

struct JpegPicture {
  int width = 64;
  int height = 48;
  bool grayscale = false;
  bool progressive = false;
  int quality = 90;
};

// Rows made by fillRow (components bytes per pixel: 1 gray, 3 red, green, blue), encoded by
// libjpeg directly with its defaults at the given quality.
std::vector<uint8_t> EncodeJpeg(int width, int height, int components, bool progressive,
                                int quality,
                                const std::function<void(int y, uint8_t* row)>& fillRow);

// A smooth colour (or gray) pattern with some edges, encoded by libjpeg directly.
std::vector<uint8_t> MakeJpeg(const JpegPicture& picture);

// What libjpeg decodes with the adapter's settings (floating-point DCT, block smoothing, fancy
// upsampling), as blue, green, red, 0xFF per pixel.
std::vector<TColor32> ReferenceDecode(const std::vector<uint8_t>& jpeg, int& width, int& height);

// Whether libjpeg sees several scans.
bool HasMultipleScans(const std::vector<uint8_t>& jpeg);

void WriteFile(const QString& path, const std::vector<uint8_t>& bytes);

// A bitmap of the given size whose pixels are filled row by row from colours.
void Fill(TBitmap32& bitmap, int32_t width, int32_t height, const std::vector<TColor32>& colours);
// Deterministic pseudo-random pixels (alpha random too unless opaque).
void FillRandom(TBitmap32& bitmap, int32_t width, int32_t height, uint32_t seed,
                bool opaque = false);

// The pixels as a grid of hexadecimal colours, for failure messages.
std::string Grid(const TBitmap32& bitmap);

}  // namespace lumvale::test
