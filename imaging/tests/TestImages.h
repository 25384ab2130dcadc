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

// CMYK rows (C, M, Y, K bytes per pixel) encoded by libjpeg directly as a CMYK JPEG, with or
// without Adobe's marker (which tells readers that the inks are stored inverted).
std::vector<uint8_t> EncodeCmykJpeg(int width, int height, bool adobeMarker,
                                    const std::function<void(int y, uint8_t* row)>& fillRow);

// What libjpeg decodes of a CMYK JPEG: C, M, Y, K bytes per pixel as stored.
std::vector<uint8_t> ReferenceCmykDecode(const std::vector<uint8_t>& jpeg);

// The JPEG with raw segments inserted right after its start marker: each is a marker code
// (0xE0 + n for APPn) and a payload, written with its length as a JPEG segment.
struct Segment {
  int marker;
  std::vector<uint8_t> payload;
};
std::vector<uint8_t> WithSegments(const std::vector<uint8_t>& jpeg,
                                  const std::vector<Segment>& segments);

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
