#pragma once

#include "Bitmap32.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumvale {

enum class TPixelAccessMode { pamUnsafe, pamSafe, pamWrap };

class TCustomSampler {
 public:
  virtual ~TCustomSampler() = default;
};

class TCustomResampler : public TCustomSampler {
 public:
  virtual const char* ClassName() const = 0;
  // Writes the pixels of dstClip (already inside dst and dstRect) from srcRect of src (already
  // checked to lie inside src).
  virtual void ResampleArea(TBitmap32& dst, const TRect& dstRect, const TRect& dstClip,
                            TBitmap32& src, const TRect& srcRect, TDrawMode drawMode,
                            const TPixelCombineEvent& combine) = 0;
  // Copies the published properties into target, where target's class has them.
  virtual void AssignTo(TCustomResampler& target) const;
};

// A resampler bound to one bitmap, which owns it.
class TBitmap32Resampler : public TCustomResampler {
 public:
  explicit TBitmap32Resampler(TBitmap32& bitmap) : bitmap_(bitmap) {}
  TBitmap32& Bitmap() const { return bitmap_; }

  TPixelAccessMode PixelAccessMode() const { return pixelAccessMode_; }
  void SetPixelAccessMode(TPixelAccessMode mode);
  void AssignTo(TCustomResampler& target) const override;

  // Creates a resampler of class T for bitmap and installs it as the bitmap's resampler, which
  // frees the one it had.
  template <class T>
  static T& Create(TBitmap32& bitmap) {
    auto resampler = std::make_unique<T>(bitmap);
    T& result = *resampler;
    bitmap.SetResampler(std::move(resampler));
    return result;
  }

 protected:
  void Changed() { bitmap_.NotifyChanged(); }

 private:
  TBitmap32& bitmap_;
  TPixelAccessMode pixelAccessMode_ = TPixelAccessMode::pamSafe;
};

// Stretches by nearest neighbour: each destination pixel takes the source pixel under its centre.
class TNearestResampler final : public TBitmap32Resampler {
 public:
  using TBitmap32Resampler::TBitmap32Resampler;
  const char* ClassName() const override { return "TNearestResampler"; }
  void ResampleArea(TBitmap32& dst, const TRect& dstRect, const TRect& dstClip, TBitmap32& src,
                    const TRect& srcRect, TDrawMode drawMode,
                    const TPixelCombineEvent& combine) override;
};

// The resampler classes known by name: creates and installs one for bitmap, or returns nullptr
// for an unknown name.
TBitmap32Resampler* CreateResamplerByName(std::string_view className, TBitmap32& bitmap);
std::vector<std::string> ResamplerClassNames();

}  // namespace lumvale
