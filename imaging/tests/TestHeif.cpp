#include "TestHeif.h"

#include "HeifHandles.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace lumvale::test {

namespace {

using namespace heiftools;

void Pattern(int x, int y, int width, int height, int maximum, uint16_t rgba[4]) {
  rgba[0] = uint16_t(x * maximum / std::max(width - 1, 1));
  rgba[1] = uint16_t(y * maximum / std::max(height - 1, 1));
  rgba[2] = uint16_t(((x / 8 + y / 8) % 2) ? maximum : maximum / 4);
  // Half transparent at the top left to opaque at the bottom right.
  rgba[3] = uint16_t(maximum / 2 + (x + y) * (maximum - maximum / 2) / std::max(width + height - 2, 1));
}

heif_error Collect(heif_context*, const void* data, size_t size, void* userdata) {
  auto* out = static_cast<std::vector<uint8_t>*>(userdata);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

}  // namespace

bool CanEncodeHeif(bool av1) {
  return heif_have_encoder_for_format(av1 ? heif_compression_AV1 : heif_compression_HEVC) != 0;
}

std::vector<uint8_t> EncodeHeif(const HeifPicture& p) {
  const bool deep = p.bitDepth > 8;
  const heif_chroma chroma =
      deep ? (p.alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (p.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* raw = nullptr;
  Check(heif_image_create(p.width, p.height, heif_colorspace_RGB, chroma, &raw), "create");
  Image image(raw);
  Check(heif_image_add_plane(image.get(), heif_channel_interleaved, p.width, p.height, p.bitDepth),
        "plane");
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
  const int channels = p.alpha ? 4 : 3;
  const int maximum = (1 << p.bitDepth) - 1;
  for (int y = 0; y < p.height; ++y) {
    uint8_t* row = plane + size_t(y) * size_t(stride);
    for (int x = 0; x < p.width; ++x) {
      uint16_t rgba[4];
      if (p.pixel) p.pixel(x, y, rgba);
      else Pattern(x, y, p.width, p.height, maximum, rgba);
      for (int c = 0; c < channels; ++c) {
        if (deep) {
          row[(x * channels + c) * 2] = uint8_t(rgba[c] & 0xFF);
          row[(x * channels + c) * 2 + 1] = uint8_t(rgba[c] >> 8);
        } else {
          row[x * channels + c] = uint8_t(rgba[c]);
        }
      }
    }
  }
  if (!p.icc.empty()) {
    Check(heif_image_set_raw_color_profile(image.get(), "prof", p.icc.data(), p.icc.size()),
          "icc");
  }
  Nclx nclx;
  if (p.nclxPrimaries != 0) {
    nclx.reset(heif_nclx_color_profile_alloc());
    Check(heif_nclx_color_profile_set_color_primaries(nclx.get(), uint16_t(p.nclxPrimaries)),
          "primaries");
    Check(heif_nclx_color_profile_set_transfer_characteristics(nclx.get(),
                                                               uint16_t(p.nclxTransfer)),
          "transfer");
    nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
    nclx->full_range_flag = 1;
    Check(heif_image_set_nclx_color_profile(image.get(), nclx.get()), "nclx");
  }

  Context context(heif_context_alloc());
  heif_encoder* rawEncoder = nullptr;
  Check(heif_context_get_encoder_for_format(
            context.get(), p.av1 ? heif_compression_AV1 : heif_compression_HEVC, &rawEncoder),
        "encoder");
  Encoder encoder(rawEncoder);
  heif_encoder_set_logging_level(encoder.get(), 0);
  // x265 encodes on a thread pool of its own, synchronised in ways ThreadSanitizer cannot see;
  // the tests' small pictures need none.
  if (!p.av1) {
    Check(heif_encoder_set_parameter_string(encoder.get(), "x265:pools", "none"), "x265 pools");
    Check(heif_encoder_set_parameter_string(encoder.get(), "x265:frame-threads", "1"),
          "x265 frame threads");
  }
  if (p.lossless) {
    Check(heif_encoder_set_lossless(encoder.get(), 1), "lossless");
  } else {
    Check(heif_encoder_set_lossy_quality(encoder.get(), 80), "quality");
  }
  EncodingOptions options(heif_encoding_options_alloc());
  options->image_orientation = heif_orientation(p.orientation);
  if (nclx) {
    options->output_nclx_profile = nclx.get();
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
  }
  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(),
                                  &rawHandle),
        "encode");
  Handle handle(rawHandle);
  if (!p.exif.empty()) {
    std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), p.exif.begin(), p.exif.end());
    Check(heif_context_add_exif_metadata(context.get(), handle.get(), block.data(),
                                         int(block.size())),
          "exif");
  }
  if (!p.xmp.empty()) {
    Check(heif_context_add_XMP_metadata(context.get(), handle.get(), p.xmp.data(),
                                        int(p.xmp.size())),
          "xmp");
  }
  std::vector<uint8_t> out;
  heif_writer writer{1, &Collect};
  Check(heif_context_write(context.get(), &writer, &out), "write");
  return out;
}

HeifPixels ReferenceHeifDecode(const std::vector<uint8_t>& file, bool applyTransformations) {
  Context context(heif_context_alloc());
  Check(heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(),
                                                   nullptr),
        "read");
  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_get_primary_image_handle(context.get(), &rawHandle), "primary");
  Handle handle(rawHandle);
  DecodingOptions options(heif_decoding_options_alloc());
  options->ignore_transformations = !applyTransformations;
  options->convert_hdr_to_8bit = 1;
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  heif_image* rawImage = nullptr;
  Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()),
        "decode");
  Image image(rawImage);
  HeifPixels pixels;
  pixels.width = heif_image_get_width(image.get(), heif_channel_interleaved);
  pixels.height = heif_image_get_height(image.get(), heif_channel_interleaved);
  pixels.channels = alpha ? 4 : 3;
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  for (int y = 0; y < pixels.height; ++y) {
    const uint8_t* row = plane + size_t(y) * size_t(stride);
    pixels.bytes.insert(pixels.bytes.end(), row, row + pixels.width * pixels.channels);
  }
  return pixels;
}

std::vector<TColor32> OverWhite(const HeifPixels& p) {
  std::vector<TColor32> out;
  out.reserve(p.bytes.size() / size_t(p.channels));
  for (size_t i = 0; i < p.bytes.size(); i += size_t(p.channels)) {
    const double a = p.channels == 4 ? p.bytes[i + 3] / 255.0 : 1.0;
    auto over = [&](uint8_t c) { return uint8_t(std::lround(c * a + 255 * (1 - a))); };
    out.push_back(Color32(over(p.bytes[i]), over(p.bytes[i + 1]), over(p.bytes[i + 2])));
  }
  return out;
}

}  // namespace lumvale::test
