#include "FuzzPictures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace fuzz {

namespace {

std::vector<uint8_t> Encode(bool cmyk) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = c.image_height = 8;
  c.input_components = cmyk ? 4 : 3;
  c.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  if (cmyk) jpeg_set_colorspace(&c, JCS_CMYK);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(8 * size_t(c.input_components));
  for (int y = 0; y < 8; ++y) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i * 29 + y * 40);
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

const std::vector<uint8_t>& ColourJpeg() {
  static const std::vector<uint8_t> jpeg = Encode(false);
  return jpeg;
}

const std::vector<uint8_t>& CmykJpeg() {
  static const std::vector<uint8_t> jpeg = Encode(true);
  return jpeg;
}

std::vector<uint8_t> WithApps(const std::vector<uint8_t>& jpeg, int n,
                              const std::vector<std::vector<uint8_t>>& payloads) {
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  for (const std::vector<uint8_t>& p : payloads) {
    const size_t size = std::min<size_t>(p.size(), 65533);
    out.insert(out.end(), {0xFF, uint8_t(0xE0 + n), uint8_t((size + 2) >> 8), uint8_t(size + 2)});
    out.insert(out.end(), p.begin(), p.begin() + long(size));
  }
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace fuzz
