#pragma once

// libheif's objects owned by unique_ptr, and its errors as exceptions, for the tools around the
// program that call libheif directly (test fixtures, the benchmark's maker and floor).

#include <libheif/heif.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace lumvale::heiftools {

inline void Check(const heif_error& e, const char* what) {
  if (e.code != heif_error_Ok) throw std::runtime_error(std::string(what) + ": " + e.message);
}

template <class T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
inline void ReleaseImage(heif_image* i) { heif_image_release(i); }
inline void ReleaseHandle(heif_image_handle* h) { heif_image_handle_release(h); }
inline void ReleaseEncoder(heif_encoder* e) { heif_encoder_release(e); }

using Context = std::unique_ptr<heif_context, Deleter<heif_context, heif_context_free>>;
using Image = std::unique_ptr<heif_image, Deleter<heif_image, ReleaseImage>>;
using Handle = std::unique_ptr<heif_image_handle, Deleter<heif_image_handle, ReleaseHandle>>;
using Encoder = std::unique_ptr<heif_encoder, Deleter<heif_encoder, ReleaseEncoder>>;
using EncodingOptions =
    std::unique_ptr<heif_encoding_options, Deleter<heif_encoding_options, heif_encoding_options_free>>;
using DecodingOptions =
    std::unique_ptr<heif_decoding_options, Deleter<heif_decoding_options, heif_decoding_options_free>>;
using Nclx = std::unique_ptr<heif_color_profile_nclx,
                             Deleter<heif_color_profile_nclx, heif_nclx_color_profile_free>>;

}  // namespace lumvale::heiftools
