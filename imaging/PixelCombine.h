#pragma once

#include "Bitmap32.h"

namespace lumvale {

// How transferred colours meet the destination, decided once per transfer.
class TPixelCombiner {
 public:
  // dmCustom without a callback counts as dmOpaque.
  TPixelCombiner(TDrawMode mode, const TBitmap32& source, const TPixelCombineEvent& callback);

  TDrawMode Mode() const { return mode_; }
  // Writes count colours onto dst by the draw mode.
  void CombineRow(const TColor32* colours, TColor32* dst, int32_t count) const;

 private:
  TDrawMode mode_;
  TCombineMode combineMode_;
  uint8_t masterAlpha_;
  TColor32 outerColor_;
  const TPixelCombineEvent& callback_;
};

// Blends foreground onto background at foreground alpha x masterAlpha.
TColor32 BlendColor(TColor32 foreground, TColor32 background, uint8_t masterAlpha);

}  // namespace lumvale
