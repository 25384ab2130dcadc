#include "CmykColour.h"

#include <lcms2.h>

namespace lumvale {

namespace {

// A profile Little CMS can open, or none.
struct Profile {
  cmsHPROFILE handle;
  explicit Profile(cmsHPROFILE h) : handle(h) {}
  ~Profile() {
    if (handle) cmsCloseProfile(handle);
  }
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;
};

uint8_t Ink(uint32_t a, uint32_t b) {
  return uint8_t((a * b + 127) / 255);
}

}  // namespace

TCmykToRgb::TCmykToRgb(std::span<const uint8_t> profile, bool inverted, int bytesPerPixel)
    : inverted_(inverted), bytesPerPixel_(bytesPerPixel) {
  if (profile.empty()) return;
  const Profile cmyk(cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size())));
  if (!cmyk.handle || cmsGetColorSpace(cmyk.handle) != cmsSigCmykData) return;
  const Profile srgb(cmsCreate_sRGBProfile());
  if (!srgb.handle) return;
  // TYPE_BGRA_8 leaves the fourth byte alone; Convert sets it.
  transform_ =
      cmsCreateTransform(cmyk.handle, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb.handle,
                         bytesPerPixel == 4 ? TYPE_BGRA_8 : TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
}

TCmykToRgb::~TCmykToRgb() {
  if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void TCmykToRgb::Convert(const uint8_t* cmyk, uint8_t* out, int32_t width) const noexcept {
  if (transform_) {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), cmyk, out, cmsUInt32Number(width));
    if (bytesPerPixel_ == 4) {
      for (int32_t x = 0; x < width; ++x) out[4 * x + 3] = 0xFF;
    }
    return;
  }
  for (int32_t x = 0; x < width; ++x, cmyk += 4, out += bytesPerPixel_) {
    uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted_) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = Ink(y, k);
    out[1] = Ink(m, k);
    out[2] = Ink(c, k);
    if (bytesPerPixel_ == 4) out[3] = 0xFF;
  }
}

bool IsRgbProfile(std::span<const uint8_t> profile) {
  // The colour space signature is at bytes 16 to 19 of the 128-byte header.
  return profile.size() >= 128 && profile[16] == 'R' && profile[17] == 'G' && profile[18] == 'B' &&
         profile[19] == ' ';
}

}  // namespace lumvale
