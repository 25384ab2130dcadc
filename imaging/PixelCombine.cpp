#include "PixelCombine.h"

#include <cstring>

namespace lumvale {

TPixelCombiner::TPixelCombiner(TDrawMode mode, const TBitmap32& source,
                               const TPixelCombineEvent& callback)
    : mode_(mode == TDrawMode::dmCustom && !callback ? TDrawMode::dmOpaque : mode),
      combineMode_(source.CombineMode),
      masterAlpha_(source.MasterAlpha),
      outerColor_(source.OuterColor),
      callback_(callback) {}

TColor32 BlendColor(TColor32 f, TColor32 b, uint8_t masterAlpha) {
  // a is the effective opacity of f in 0..255; each channel moves from b towards f by a / 255.
  const uint32_t a = (AlphaComponent(f) * uint32_t(masterAlpha) + 127) / 255;
  auto mix = [a](uint32_t fc, uint32_t bc) { return (bc * (255 - a) + fc * a + 127) / 255; };
  const uint32_t alpha = AlphaComponent(b) + ((255 - AlphaComponent(b)) * a + 127) / 255;
  return Color32(uint8_t(mix(RedComponent(f), RedComponent(b))),
                 uint8_t(mix(GreenComponent(f), GreenComponent(b))),
                 uint8_t(mix(BlueComponent(f), BlueComponent(b))), uint8_t(alpha));
}

void TPixelCombiner::CombineRow(const TColor32* colours, TColor32* dst, int32_t count) const {
  switch (mode_) {
    case TDrawMode::dmOpaque:
      std::memmove(dst, colours, size_t(count) * sizeof(TColor32));
      break;
    case TDrawMode::dmBlend:
      // Both combine modes blend the same way here; merge differs only for translucent
      // backgrounds, which this program never draws on.
      (void)combineMode_;
      for (int32_t i = 0; i < count; ++i) dst[i] = BlendColor(colours[i], dst[i], masterAlpha_);
      break;
    case TDrawMode::dmCustom:
      for (int32_t i = 0; i < count; ++i) callback_(colours[i], dst[i], masterAlpha_);
      break;
    case TDrawMode::dmTransparent:
      for (int32_t i = 0; i < count; ++i) {
        if (colours[i] != outerColor_) dst[i] = colours[i];
      }
      break;
  }
}

}  // namespace lumvale
