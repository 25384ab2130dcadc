#include "HeifCodec.h"

#include "Bitmap32.h"
#include "Exception.h"
#include "ImagingErrors.h"
#include "PlatformTexts.h"
#include "TextMarker.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace lumvale::heif {

namespace {

// libheif's message after the program's reason, chosen by libheif's error code.
[[noreturn]] void Throw(const heif_error& e) {
  const QString detail = QString::fromUtf8(e.message ? e.message : "");
  const char* reason;
  if (e.subcode == heif_suberror_Unsupported_codec) {
    reason = N_("The photo is compressed in a way this computer has no decoder for (%1).");
  } else if (e.code == heif_error_Unsupported_filetype || e.code == heif_error_Unsupported_feature) {
    reason = N_("The HEIF file uses a feature this program cannot read (%1).");
  } else if (e.subcode == heif_suberror_Security_limit_exceeded) {
    reason = N_("The HEIF file exceeds the limits this program reads (%1).");
  } else if (e.code == heif_error_Memory_allocation_error) {
    reason = N_("There is not enough memory to read the HEIF file (%1).");
  } else {
    reason = N_("The HEIF file is damaged (%1).");
  }
  throw EHEIF(TranslatePlatformText(reason).arg(detail));
}

void Check(const heif_error& e) {
  if (e.code != heif_error_Ok) Throw(e);
}

// libheif's own limit, for each side. libheif makes a tiled picture's canvas at the size its
// grid names before a single tile is decoded, and does not compare that size with the one the
// file announces; so the side is limited to what a square picture within the pixel store has,
// which bounds the canvas by the same pixel limit as every other picture.
constexpr int kMaxSide = 16384;
static_assert(uint64_t(kMaxSide) * kMaxSide * sizeof(TColor32) <= kMaxPixelStoreBytes);

// The size error, naming the larger of two sizes.
[[noreturn]] void ThrowTooLarge(int64_t width, int64_t height) {
  throw EHEIF(TranslatePlatformText(
                  N_("The HEIF picture is too large: %1 x %2 pixels exceed the limit of %3 MB"))
                  .arg(width)
                  .arg(height)
                  .arg(kMaxPixelStoreBytes >> 20));
}

bool TooLarge(int64_t width, int64_t height) {
  return uint64_t(std::max<int64_t>(width, 0)) * uint64_t(std::max<int64_t>(height, 0)) *
             sizeof(TColor32) >
         kMaxPixelStoreBytes;
}

struct ContextFree {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
struct NclxFree {
  void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

std::vector<uint8_t> MetadataBlock(const heif_image_handle* handle, const char* type,
                                   const char* contentType) {
  const int count = heif_image_handle_get_number_of_metadata_blocks(handle, type);
  if (count <= 0) return {};
  std::vector<heif_item_id> ids(static_cast<size_t>(count));
  const int listed = heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), count);
  for (int i = 0; i < listed; ++i) {
    if (contentType &&
        std::strcmp(heif_image_handle_get_metadata_content_type(handle, ids[size_t(i)]),
                    contentType) != 0) {
      continue;
    }
    std::vector<uint8_t> block(heif_image_handle_get_metadata_size(handle, ids[size_t(i)]));
    if (block.empty()) continue;
    if (heif_image_handle_get_metadata(handle, ids[size_t(i)], block.data()).code != heif_error_Ok)
      continue;
    return block;
  }
  return {};
}

bool IsTiffHeader(const uint8_t* p, size_t size) {
  return size >= 8 && ((p[0] == 'I' && p[1] == 'I' && p[2] == 42 && p[3] == 0) ||
                       (p[0] == 'M' && p[1] == 'M' && p[2] == 0 && p[3] == 42));
}

// Composes a pixel over white: straight alpha, or colour already multiplied by it.
inline uint8_t OverWhite(unsigned c, unsigned a, bool premultiplied) {
  if (premultiplied) return uint8_t(std::min(255u, c + 255u - a));
  return uint8_t((c * a + 255u * (255u - a) + 127u) / 255u);
}

}  // namespace

struct File::Handles {
  std::unique_ptr<heif_context, ContextFree> context;
  std::unique_ptr<heif_image_handle, HandleRelease> primary;
};

bool IsHeif(const uint8_t* data, size_t size) {
  if (size < 12) return false;
  const int len = int(std::min<size_t>(size, 1 << 20));
  const heif_filetype_result kind = heif_check_filetype(data, len);
  if (kind == heif_filetype_yes_supported || kind == heif_filetype_yes_unsupported) return true;
  // libheif is sure only of the codec brands; the format's own generic brands, as the first
  // brand or among the compatible ones, make a file HEIF just as well (a camera's .HIF, an AVIF
  // or HEIC whose writer names the format first).
  const heif_brand2 major = heif_read_main_brand(data, len);
  for (const char* brand : {"mif1", "msf1", "miaf", "mif2", "avif", "avis", "heic", "heix"}) {
    if (major == heif_fourcc_to_brand(brand) || heif_has_compatible_brand(data, len, brand) == 1)
      return true;
  }
  return false;
}

File::File(const uint8_t* data, size_t size) : h_(std::make_unique<Handles>()) {
  // Loads the decoders a libheif built with plugins keeps apart; once, for the whole process.
  static std::once_flag initialised;
  std::call_once(initialised, [] { heif_init(nullptr); });
  h_->context.reset(heif_context_alloc());
  if (!h_->context) throw std::bad_alloc();
  heif_context_set_maximum_image_size_limit(h_->context.get(), kMaxSide);
  Check(heif_context_read_from_memory_without_copy(h_->context.get(), data, size, nullptr));
  heif_image_handle* primary = nullptr;
  Check(heif_context_get_primary_image_handle(h_->context.get(), &primary));
  h_->primary.reset(primary);
}

File::~File() = default;

int32_t File::Width() const {
  return heif_image_handle_get_width(h_->primary.get());
}

int32_t File::Height() const {
  return heif_image_handle_get_height(h_->primary.get());
}

std::vector<uint8_t> File::IccProfile() const {
  const heif_image_handle* handle = h_->primary.get();
  std::vector<uint8_t> icc(heif_image_handle_get_raw_color_profile_size(handle));
  if (icc.empty()) return icc;
  if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok) icc.clear();
  return icc;
}

bool File::ReadNclx(TNclx& nclx) const {
  heif_color_profile_nclx* read = nullptr;
  heif_image_handle_get_nclx_color_profile(h_->primary.get(), &read);
  // libheif hands the box over also when it reports a value it does not know (a reserved matrix,
  // say): the box is then ours to free, and its primaries and transfer still say the colours.
  if (!read) return false;
  std::unique_ptr<heif_color_profile_nclx, NclxFree> owned(read);
  nclx.primaries = read->color_primaries;
  nclx.transfer = read->transfer_characteristics;
  return true;
}

std::vector<uint8_t> File::Exif() const {
  // The block starts with the big-endian distance from its fifth byte to the TIFF header.
  const std::vector<uint8_t> block = MetadataBlock(h_->primary.get(), "Exif", nullptr);
  if (block.size() < 4) return {};
  const uint32_t skip = uint32_t(block[0]) << 24 | uint32_t(block[1]) << 16 |
                        uint32_t(block[2]) << 8 | block[3];
  size_t start = 4 + size_t(skip);
  // Some writers put the "Exif\0\0" header there and count past it, some do not.
  if (start > block.size() || !IsTiffHeader(block.data() + start, block.size() - start)) {
    start = 4 + sizeof jpeg::kExifHeader;
    if (start > block.size() || !IsTiffHeader(block.data() + start, block.size() - start))
      return {};
  }
  return {block.begin() + std::ptrdiff_t(start), block.end()};
}

std::vector<uint8_t> File::Xmp() const {
  return MetadataBlock(h_->primary.get(), "mime", "application/rdf+xml");
}

struct Decoded::Image {
  std::unique_ptr<heif_image, ImageRelease> image;
};

Decoded::~Decoded() = default;

std::unique_ptr<Decoded> File::Decode(const DecodeParams& params) const {
  const heif_image_handle* handle = h_->primary.get();
  // What the file announces, before anything is decoded: every turn of the picture has the
  // same number of pixels, and the stored one is made whole before it is cropped.
  const int ispeWidth = heif_image_handle_get_ispe_width(handle);
  const int ispeHeight = heif_image_handle_get_ispe_height(handle);
  if (TooLarge(Width(), Height())) ThrowTooLarge(Width(), Height());
  if (TooLarge(ispeWidth, ispeHeight)) ThrowTooLarge(ispeWidth, ispeHeight);
  if (Width() <= 0 || Height() <= 0) {
    throw EHEIF(TranslatePlatformText(N_("The HEIF file's picture has no pixels.")));
  }

  std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
  if (!options) throw std::bad_alloc();
  options->ignore_transformations = !params.applyTransformations;
  options->convert_hdr_to_8bit = 1;
  // The calling thread decodes the tiles itself: the batch already runs a worker per core.
  heif_context_set_max_decoding_threads(h_->context.get(), 0);
  const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
  heif_image* decoded = nullptr;
  Check(heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()));
  std::unique_ptr<Decoded> result(new Decoded);
  result->image_ = std::make_unique<Decoded::Image>();
  result->image_->image.reset(decoded);
  heif_image* image = decoded;
  result->alpha_ = alpha;
  result->width_ = heif_image_get_width(image, heif_channel_interleaved);
  result->height_ = heif_image_get_height(image, heif_channel_interleaved);
  result->plane_ = heif_image_get_plane_readonly(image, heif_channel_interleaved, &result->stride_);
  result->premultiplied_ = heif_image_is_premultiplied_alpha(image) != 0;
  // What was decoded may differ from what was announced (a crop clamped, a grid's own size).
  if (TooLarge(result->width_, result->height_)) ThrowTooLarge(result->width_, result->height_);
  if (!result->plane_ || result->width_ <= 0 || result->height_ <= 0 ||
      heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8 ||
      int64_t(result->stride_) < int64_t(result->width_) * (alpha ? 4 : 3)) {
    throw EHEIF(TranslatePlatformText(N_("The HEIF file's picture has no pixels.")));
  }
  return result;
}

void Decoded::Deliver(jpeg::DecodeSink& sink) const {
  const int in = alpha_ ? 4 : 3;
  const int out = sink.FourBytesPerPixel() ? 4 : 3;
  sink.Prepare(width_, height_, false);
  for (int32_t y = 0; y < height_; ++y) {
    if (sink.Stopped()) throw EAbort();
    const uint8_t* s = plane_ + size_t(y) * size_t(stride_);
    uint8_t* d = sink.Row(y);
    for (int32_t x = 0; x < width_; ++x, s += in, d += out) {
      if (alpha_) {
        d[0] = OverWhite(s[2], s[3], premultiplied_);
        d[1] = OverWhite(s[1], s[3], premultiplied_);
        d[2] = OverWhite(s[0], s[3], premultiplied_);
      } else {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
      }
      if (out == 4) d[3] = 0xFF;
    }
    sink.RowDone(y);
  }
}

}  // namespace lumvale::heif
