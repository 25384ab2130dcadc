#include "BenchDecode.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

void DecodeAlone(const uint8_t* data, size_t size) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, data, size);
  jpeg_read_header(&d, TRUE);
  d.dct_method = JDCT_FLOAT;
  d.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&d);
  const size_t stride = size_t(d.output_width) * 4;
  auto* pixels = static_cast<uint8_t*>(std::calloc(stride, d.output_height));
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = pixels + stride * d.output_scanline;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::free(pixels);
}
