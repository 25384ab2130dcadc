#pragma once

// The one wrapper around libjpeg. Every libjpeg error becomes EJPEG, with libjpeg's own text;
// libjpeg objects are destroyed on every path; a decode tells whether libjpeg warned that data
// went missing; other warnings and trace messages are dropped.

#include "Color32.h"

#include <cstddef>
#include <cstdint>
#include <span>
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

// What a file carries besides its pixels, from the markers before its first scan. A part that is
// not well formed is left out: a colour profile whose APP2 markers miss a number or repeat one
// is not guessed at.
struct FileExtras {
  std::vector<uint8_t> icc;   // the colour profile, put together from its APP2 markers
  std::vector<uint8_t> exif;  // the TIFF structure of the first APP1 "Exif" marker
  std::vector<uint8_t> xmp;   // the packet of the first APP1 XMP marker
  std::vector<uint8_t> iptc;  // the resource blocks of the first APP13 "Photoshop 3.0" marker
  bool cmyk = false;          // CMYK or YCCK pixels
};

// Reads the header of a JPEG file held in memory. Throws EJPEG as ReadHeader does.
FileExtras ReadExtras(const uint8_t* data, size_t size);

// The headers that mark the payloads of FileExtras inside their APP1 and APP13 markers.
inline constexpr char kExifHeader[] = "Exif\0";  // with the terminating zero: 6 bytes
inline constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";  // 29 bytes with the zero
inline constexpr char kPhotoshopHeader[] = "Photoshop 3.0";           // 14 bytes with the zero

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
// most 236 levels with Floyd-Steinberg dithering; CMYK and YCCK pixels are converted to RGB
// (TCmykToRgb, with the file's own colour profile when it has one). A file cut short, or with a
// garbled segment, decodes without an error, its missing part grey: the result tells.
// Throws EJPEG; also before Prepare when width x height x 4 exceeds the pixel store limit.
struct DecodeResult {
  bool dataMissing = false;
};
DecodeResult Decode(const uint8_t* data, size_t size, const DecodeParams& params, DecodeSink& sink);

// An application marker to write: its code (JPEG_APP0 + n) and payload (at most 65533 bytes).
struct Marker {
  int code;
  std::vector<uint8_t> payload;
};

struct EncodeParams {
  int quality = 90;  // 0 acts as 1, above 100 as 100
  bool progressive = false;
  bool grayscale = false;
  std::span<const Marker> markers;  // written after the JFIF marker, in this order
  std::span<const uint8_t> icc;     // a colour profile, written in APP2 markers after them
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
