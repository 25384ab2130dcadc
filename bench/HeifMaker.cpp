// Makes the HEIF photos of bench/heif.sh out of JPEG photos, with libheif's own encoder:
//
//   heif_maker [--av1] [--quality Q] [--orientation N] [--icc-from JPEG] IN.jpg OUT
//
// heif-enc cannot write a rotation, and a phone's portrait photo is stored sideways with the
// turn in the file (irot/imir), so the orientation goes through heif_encoding_options here.
// --icc-from embeds the colour profile another JPEG carries, as a "prof" colour box.
// AVIF stays 8 bits deep: Debian 12's libaom stops on an assertion for 10-bit pictures.
#include "HeifHandles.h"

#include <libheif/heif.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using namespace lumvale::heiftools;
using Options = EncodingOptions;

struct FileClose {
  void operator()(FILE* f) const { std::fclose(f); }
};

// libjpeg's default error handler prints its message and ends the process, all a maker run
// needs: bench/heif.sh names the file that failed.
struct JpegReader {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  std::unique_ptr<FILE, FileClose> file;

  explicit JpegReader(const char* path) : file(std::fopen(path, "rb")) {
    if (!file) throw std::runtime_error(std::string(path) + ": cannot open");
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, file.get());
  }
  ~JpegReader() { jpeg_destroy_decompress(&d); }
};

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

RgbPicture DecodeJpeg(const char* path) {
  JpegReader r(path);
  jpeg_read_header(&r.d, TRUE);
  // Gray photos come out as RGB too, so that every file of the batch is a colour HEIF.
  r.d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&r.d);
  RgbPicture p;
  p.width = int(r.d.output_width);
  p.height = int(r.d.output_height);
  const size_t stride = size_t(p.width) * 3;
  p.rgb.resize(stride * size_t(p.height));
  while (r.d.output_scanline < r.d.output_height) {
    JSAMPROW row = p.rgb.data() + stride * r.d.output_scanline;
    jpeg_read_scanlines(&r.d, &row, 1);
  }
  jpeg_finish_decompress(&r.d);
  return p;
}

std::vector<uint8_t> IccOf(const char* path) {
  JpegReader r(path);
  jpeg_save_markers(&r.d, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&r.d, TRUE);
  JOCTET* profile = nullptr;
  unsigned length = 0;
  if (!jpeg_read_icc_profile(&r.d, &profile, &length) || !profile) {
    throw std::runtime_error(std::string(path) + ": carries no ICC profile");
  }
  std::vector<uint8_t> icc(profile, profile + length);
  std::free(profile);
  return icc;
}

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: heif_maker [--av1] [--quality Q] [--orientation 1-8] "
               "[--icc-from JPEG] IN.jpg OUT\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  bool av1 = false;
  int quality = 80;
  int orientation = 1;
  const char* iccFrom = nullptr;
  std::vector<const char*> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--av1") av1 = true;
    else if (a == "--quality" && hasValue) quality = std::atoi(argv[++i]);
    else if (a == "--orientation" && hasValue) orientation = std::atoi(argv[++i]);
    else if (a == "--icc-from" && hasValue) iccFrom = argv[++i];
    else if (a.rfind("--", 0) == 0) Usage();
    else paths.push_back(argv[i]);
  }
  if (paths.size() != 2 || orientation < 1 || orientation > 8 || quality < 0 || quality > 100)
    Usage();

  try {
    const RgbPicture picture = DecodeJpeg(paths[0]);
    heif_image* raw = nullptr;
    Check(heif_image_create(picture.width, picture.height, heif_colorspace_RGB,
                            heif_chroma_interleaved_RGB, &raw),
          "create");
    Image image(raw);
    Check(heif_image_add_plane(image.get(), heif_channel_interleaved, picture.width,
                               picture.height, 8),
          "plane");
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const size_t row = size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
      std::memcpy(plane + size_t(y) * size_t(stride), picture.rgb.data() + row * size_t(y), row);
    }
    if (iccFrom) {
      const std::vector<uint8_t> icc = IccOf(iccFrom);
      Check(heif_image_set_raw_color_profile(image.get(), "prof", icc.data(), icc.size()), "icc");
    }

    Context context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    Check(heif_context_get_encoder_for_format(
              context.get(), av1 ? heif_compression_AV1 : heif_compression_HEVC, &rawEncoder),
          "encoder");
    Encoder encoder(rawEncoder);
    heif_encoder_set_logging_level(encoder.get(), 0);
    Check(heif_encoder_set_lossy_quality(encoder.get(), quality), "quality");
    Options options(heif_encoding_options_alloc());
    options->image_orientation = heif_orientation(orientation);
    heif_image_handle* rawHandle = nullptr;
    Check(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(),
                                    &rawHandle),
          "encode");
    Handle handle(rawHandle);
    Check(heif_context_write_to_file(context.get(), paths[1]), "write");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "heif_maker: %s: %s\n", paths[0], e.what());
    return 1;
  }
  return 0;
}
