#pragma once

// The one wrapper around libjpeg. Every libjpeg error becomes EJPEG; libjpeg objects are
// destroyed on every path; warnings and trace messages are dropped.

#include "Color32.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumvale::jpeg {

// libjpeg may use at most this much working memory (a progressive 100-megapixel photo needs
// about 300 MB for its coefficients).
constexpr long kMaxWorkMemory = 1L << 30;
// Real progressive files have about 10 scans; a file with more is taken as damaged or hostile.
constexpr int kMaxScans = 1000;

struct HeaderInfo {
  int32_t width = 0;
  int32_t height = 0;
  bool grayscale = false;    // the file's colour space is grayscale
  bool progressive = false;  // the file has several scans
};

// Reads the header of a JPEG file held in memory (at least one byte).
HeaderInfo ReadHeader(const uint8_t* data, size_t size);

struct DecodeParams {
  int scaleExponent = 0;  // decode at 1 / 2^n
  bool blockSmoothing = true;
  bool grayscaleOutput = false;
  bool paletted = false;  // quantize colour output to 236 colours as well
  bool fast = false;      // fast integer DCT, one-pass ordered dithering
};

// Where decoded rows go. Prepare and SetPalette may throw; Row and RowDone run while libjpeg is
// active and must not (nor own anything that needs destroying).
class DecodeSink {
 public:
  virtual ~DecodeSink() = default;
  // Output size and kind: indexed rows hold one palette index per pixel; colour rows hold
  // blue, green, red (and a 0xFF byte when FourBytesPerPixel) per pixel.
  virtual void Prepare(int32_t width, int32_t height, bool indexed) = 0;
  virtual bool FourBytesPerPixel() const = 0;
  virtual void SetPalette(const std::vector<TColor32>& palette) = 0;
  virtual uint8_t* Row(int32_t y) = 0;
  virtual void RowDone(int32_t) {}
  // Asked before each row: true ends the decode with EAbort.
  virtual bool Stopped() const { return false; }
};

// Decodes with the floating-point DCT and fancy upsampling; grayscale output is quantized to at
// most 236 levels with Floyd-Steinberg dithering. A file cut short decodes without an error.
// Throws EJPEG; also before Prepare when width x height x 4 exceeds the pixel store limit.
void Decode(const uint8_t* data, size_t size, const DecodeParams& params, DecodeSink& sink);

struct EncodeParams {
  int quality = 90;  // 0 acts as 1, above 100 as 100
  bool progressive = false;
  bool grayscale = false;
};

// The rows to encode: 3 bytes (blue, green, red) or 4 bytes (blue, green, red, ignored) per pixel.
struct EncodeSource {
  int32_t width = 0;
  int32_t height = 0;
  int bytesPerPixel = 3;
  const uint8_t* const* rows = nullptr;
};

// Encodes baseline-compatible JFIF with the floating-point DCT, 2x2 subsampled chroma and the
// standard Huffman tables, all tables written; appends the bytes to out. Throws EJPEG.
void Encode(const EncodeSource& source, const EncodeParams& params, std::vector<uint8_t>& out);

}  // namespace lumvale::jpeg
