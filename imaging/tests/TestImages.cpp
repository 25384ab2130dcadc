#include "TestImages.h"

#include <QFile>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace lumvale::test {

namespace {

// libjpeg's compressor over rows made by fillRow, with its defaults and what configure sets.
std::vector<uint8_t> Compress(int width, int height, int components, J_COLOR_SPACE space,
                              const std::function<void(jpeg_compress_struct&)>& configure,
                              const std::function<void(int y, uint8_t* row)>& fillRow) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  configure(c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(size_t(width) * size_t(components));
  for (int y = 0; y < height; ++y) {
    fillRow(y, row.data());
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(int width, int height, int components, bool progressive,
                                int quality,
                                const std::function<void(int y, uint8_t* row)>& fillRow) {
  return Compress(
      width, height, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB,
      [&](jpeg_compress_struct& c) {
        jpeg_set_quality(&c, quality, TRUE);
        if (progressive) jpeg_simple_progression(&c);
      },
      fillRow);
}

std::vector<uint8_t> EncodeCmykJpeg(int width, int height, bool adobeMarker,
                                    const std::function<void(int y, uint8_t* row)>& fillRow) {
  return Compress(
      width, height, 4, JCS_CMYK,
      [&](jpeg_compress_struct& c) {
        jpeg_set_colorspace(&c, JCS_CMYK);
        c.write_Adobe_marker = adobeMarker;
        jpeg_set_quality(&c, 95, TRUE);
      },
      fillRow);
}

std::vector<uint8_t> ReferenceCmykDecode(const std::vector<uint8_t>& jpeg) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_CMYK;
  d.dct_method = JDCT_FLOAT;
  jpeg_start_decompress(&d);
  std::vector<uint8_t> pixels(size_t(d.output_width) * d.output_height * 4);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = pixels.data() + size_t(d.output_scanline) * d.output_width * 4;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return pixels;
}

std::vector<uint8_t> WithSegments(const std::vector<uint8_t>& jpeg,
                                  const std::vector<Segment>& segments) {
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);  // the start marker
  for (const Segment& s : segments) {
    const size_t length = s.payload.size() + 2;
    out.insert(out.end(), {0xFF, uint8_t(s.marker), uint8_t(length >> 8), uint8_t(length)});
    out.insert(out.end(), s.payload.begin(), s.payload.end());
  }
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

std::vector<uint8_t> MakeJpeg(const JpegPicture& picture) {
  const int components = picture.grayscale ? 1 : 3;
  return EncodeJpeg(picture.width, picture.height, components, picture.progressive, picture.quality,
                    [&](int y, uint8_t* row) {
                      for (int x = 0; x < picture.width; ++x) {
                        const uint8_t r = uint8_t(x * 255 / std::max(picture.width - 1, 1));
                        const uint8_t g = uint8_t(y * 255 / std::max(picture.height - 1, 1));
                        const uint8_t b = ((x / 8 + y / 8) % 2) ? 200 : 40;
                        if (picture.grayscale) {
                          row[x] = uint8_t((r + g + b) / 3);
                        } else {
                          row[3 * x] = r;
                          row[3 * x + 1] = g;
                          row[3 * x + 2] = b;
                        }
                      }
                    });
}

std::vector<TColor32> ReferenceDecode(const std::vector<uint8_t>& jpeg, int& width, int& height) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), jpeg.size());
  jpeg_read_header(&d, TRUE);
  d.dct_method = JDCT_FLOAT;
  d.do_block_smoothing = TRUE;
  d.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&d);
  width = int(d.output_width);
  height = int(d.output_height);
  std::vector<TColor32> pixels(size_t(width) * size_t(height));
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels.data() + size_t(d.output_scanline) * width);
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return pixels;
}

bool HasMultipleScans(const std::vector<uint8_t>& jpeg) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), jpeg.size());
  jpeg_read_header(&d, TRUE);
  const bool multiple = jpeg_has_multiple_scans(&d);
  jpeg_destroy_decompress(&d);
  return multiple;
}

void WriteFile(const QString& path, const std::vector<uint8_t>& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write test file");
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

void Fill(TBitmap32& bitmap, int32_t width, int32_t height, const std::vector<TColor32>& colours) {
  bitmap.Resize(width, height);
  for (size_t i = 0; i < colours.size() && i < size_t(width) * size_t(height); ++i) {
    bitmap.Bits()[i] = colours[i];
  }
}

void FillRandom(TBitmap32& bitmap, int32_t width, int32_t height, uint32_t seed, bool opaque) {
  bitmap.Resize(width, height);
  uint32_t s = seed * 2654435761u + 1;
  for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    bitmap.Bits()[i] = opaque ? (s | 0xFF000000u) : s;
  }
}

std::string Grid(const TBitmap32& bitmap) {
  std::string out;
  char cell[12];
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      std::snprintf(cell, sizeof cell, "%08X ", bitmap.RowPointer(y)[x]);
      out += cell;
    }
    out += '\n';
  }
  return out;
}

}  // namespace lumvale::test
