#include "Resamplers.h"

#include "KernelResampler.h"
#include "PixelCombine.h"

#include <vector>

namespace lumvale {

void TCustomResampler::AssignTo(TCustomResampler&) const {}

void TBitmap32Resampler::SetPixelAccessMode(TPixelAccessMode mode) {
  if (mode == pixelAccessMode_) return;
  pixelAccessMode_ = mode;
  Changed();
}

void TBitmap32Resampler::AssignTo(TCustomResampler& target) const {
  if (auto* t = dynamic_cast<TBitmap32Resampler*>(&target)) t->SetPixelAccessMode(pixelAccessMode_);
}

void TNearestResampler::ResampleArea(TBitmap32& dst, const TRect& dstRect, const TRect& dstClip,
                                     TBitmap32& src, const TRect& srcRect, TDrawMode drawMode,
                                     const TPixelCombineEvent& combine) {
  const TPixelCombiner combiner(drawMode, src, combine);
  const int64_t dw = dstRect.Width(), dh = dstRect.Height();
  const int64_t sw = srcRect.Width(), sh = srcRect.Height();
  // The source pixel under the centre of destination pixel d: floor((d + 0.5) * s / dw).
  std::vector<int32_t> columns(size_t(dstClip.Width()));
  for (int32_t x = dstClip.Left; x < dstClip.Right; ++x) {
    columns[size_t(x - dstClip.Left)] =
        srcRect.Left + int32_t((2 * int64_t(x - dstRect.Left) + 1) * sw / (2 * dw));
  }
  std::vector<TColor32> row(columns.size());
  for (int32_t y = dstClip.Top; y < dstClip.Bottom; ++y) {
    const int32_t sy = srcRect.Top + int32_t((2 * int64_t(y - dstRect.Top) + 1) * sh / (2 * dh));
    const TColor32* s = src.RowPointer(sy);
    for (size_t i = 0; i < columns.size(); ++i) row[i] = s[columns[i]];
    combiner.CombineRow(row.data(), dst.RowPointer(y) + dstClip.Left, dstClip.Width());
  }
}

namespace {
struct ResamplerClass {
  const char* name;
  TBitmap32Resampler& (*create)(TBitmap32&);
};
template <class T>
TBitmap32Resampler& Make(TBitmap32& bitmap) {
  return TBitmap32Resampler::Create<T>(bitmap);
}
constexpr ResamplerClass kResamplerClasses[] = {
    {"TNearestResampler", &Make<TNearestResampler>},
    {"TKernelResampler", &Make<TKernelResampler>},
};
}  // namespace

TBitmap32Resampler* CreateResamplerByName(std::string_view className, TBitmap32& bitmap) {
  for (const auto& c : kResamplerClasses) {
    if (className == c.name) return &c.create(bitmap);
  }
  return nullptr;
}

std::vector<std::string> ResamplerClassNames() {
  std::vector<std::string> names;
  for (const auto& c : kResamplerClasses) names.emplace_back(c.name);
  return names;
}

}  // namespace lumvale
