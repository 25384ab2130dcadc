// The floor of bench/heif.sh: libheif decoding one HEIF file's primary picture to interleaved
// 8-bit RGB, turned by the file's own rotation, with no tile threads, as the program asks libheif
// for it; nothing is written. One process per file, so that each costs what it costs alone.
//
//   heif_floor FILE              decodes FILE, prints nothing
//   heif_floor --info FILE...    one line per file: path, brand, stored (coded) and shown size,
//                                bits, colour profile, bytes (tab-separated)
//   heif_floor --decoders        the decoders libheif picks for HEVC and AV1
#include "HeifHandles.h"

#include <libheif/heif.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace lumvale::heiftools;
using Options = DecodingOptions;

std::vector<uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot open");
  std::vector<uint8_t> bytes(size_t(in.tellg()));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
    throw std::runtime_error("cannot read");
  return bytes;
}

// The file's bytes stay alive with the context: libheif reads them without a copy.
struct Opened {
  std::vector<uint8_t> bytes;
  Context context;
  Handle primary;
};

Opened Open(const char* path) {
  Opened o;
  o.bytes = ReadFile(path);
  o.context.reset(heif_context_alloc());
  Check(heif_context_read_from_memory_without_copy(o.context.get(), o.bytes.data(),
                                                   o.bytes.size(), nullptr),
        "read");
  heif_image_handle* primary = nullptr;
  Check(heif_context_get_primary_image_handle(o.context.get(), &primary), "primary");
  o.primary.reset(primary);
  return o;
}

void Decode(const char* path) {
  Opened o = Open(path);
  Options options(heif_decoding_options_alloc());
  options->convert_hdr_to_8bit = 1;
  heif_context_set_max_decoding_threads(o.context.get(), 0);
  const bool alpha = heif_image_handle_has_alpha_channel(o.primary.get()) != 0;
  heif_image* raw = nullptr;
  Check(heif_decode_image(o.primary.get(), &raw, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()),
        "decode");
  Image image(raw);
  int stride = 0;
  if (!heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride))
    throw std::runtime_error("decode: no pixels");
}

// The size of the picture as it is coded. libheif 1.15 writes the turned size into a rotated
// file's "ispe" box, so only a decode without the turn tells.
std::pair<int, int> StoredSize(const Opened& o) {
  Options options(heif_decoding_options_alloc());
  options->ignore_transformations = 1;
  heif_image* raw = nullptr;
  Check(heif_decode_image(o.primary.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          options.get()),
        "decode");
  Image image(raw);
  return {heif_image_get_width(image.get(), heif_channel_interleaved),
          heif_image_get_height(image.get(), heif_channel_interleaved)};
}

void Info(const char* path) {
  Opened o = Open(path);
  const heif_image_handle* h = o.primary.get();
  const auto [storedWidth, storedHeight] = StoredSize(o);
  char brand[5] = {};
  heif_brand_to_fourcc(heif_read_main_brand(o.bytes.data(), int(o.bytes.size())), brand);
  std::string colour = "none";
  switch (heif_image_handle_get_color_profile_type(h)) {
    case heif_color_profile_type_nclx: colour = "nclx"; break;
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC:
      colour = "icc " + std::to_string(heif_image_handle_get_raw_color_profile_size(h)) + " B";
      break;
    default: break;
  }
  std::printf("%s\t%s\t%dx%d\t%dx%d\t%d\t%s\t%zu\n", path, brand, storedWidth, storedHeight,
              heif_image_handle_get_width(h), heif_image_handle_get_height(h),
              heif_image_handle_get_luma_bits_per_pixel(h), colour.c_str(), o.bytes.size());
}

void Decoders() {
  for (auto [format, name] : {std::pair{heif_compression_HEVC, "HEVC"},
                              std::pair{heif_compression_AV1, "AV1"}}) {
    const heif_decoder_descriptor* d[8] = {};
    const int n = heif_get_decoder_descriptors(format, d, 8);
    std::printf("libheif %s decoder%s:", name, n == 1 ? "" : "s (first is used)");
    for (int i = 0; i < n; ++i) std::printf("%s %s", i ? ";" : "", heif_decoder_descriptor_get_name(d[i]));
    std::printf("%s\n", n ? "" : " none");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  const char* current = "";
  try {
    if (first == "--decoders" && argc == 2) {
      Decoders();
    } else if (first == "--info" && argc > 2) {
      for (int i = 2; i < argc; ++i) Info(current = argv[i]);
    } else if (argc == 2 && first.rfind("--", 0) != 0) {
      Decode(current = argv[1]);
    } else {
      std::fprintf(stderr, "usage: heif_floor FILE | heif_floor --info FILE... | heif_floor --decoders\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "heif_floor: %s: %s\n", current, e.what());
    return 1;
  }
  return 0;
}
