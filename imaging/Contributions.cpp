#include "Contributions.h"

#include "VectorState.h"

#include <algorithm>
#include <cmath>

namespace lumvale {

// Every value the weights depend on is rounded to single at fixed points, with extended precision
// (long double) in between; changing either changes weights of ordinary sizes.
namespace {

using Ext = long double;

inline float ToSingle(Ext v) {
  return static_cast<float>(v);
}

// Round to nearest, ties to even, for |v| < 2^62: adding 1.5 x 2^63 leaves no fractional bits in
// the 64-bit mantissa, so the sum is rounded by the default rounding mode (libm's nearbyintl is
// several times slower).
inline int32_t RoundEven(Ext v) {
  constexpr Ext kShift = 0x1.8p63L;
  const Ext r = (v + kShift) - kShift;
  return static_cast<int32_t>(r);
}

// Appends the non-zero weights of the candidates around center and corrects the list so that it
// sums to kWeightOne. When shrinking, kernel arguments and weights are scaled by aScale (the
// destination-to-source ratio), which widens the kernel over the source.
void BuildList(TContributionList& list, float center, float filterWidth, float aScale,
               bool shrinking, int32_t srcLo, int32_t srcHi, const TCustomKernel& kernel) {
  const auto left = static_cast<int32_t>(std::floor(Ext(center) - filterWidth));
  const auto right = static_cast<int32_t>(std::ceil(Ext(center) + filterWidth));
  int32_t excess = -kWeightOne;
  for (int32_t j = left; j <= right; ++j) {
    int32_t weight;
    if (shrinking) {
      const float a = ToSingle((Ext(center) - j) * aScale);
      weight = RoundEven(Ext(kernel.Evaluate(a)) * kWeightOne * aScale);
    } else {
      const float a = ToSingle(Ext(center) - j);
      weight = RoundEven(Ext(kernel.Evaluate(a)) * kWeightOne);
    }
    if (weight == 0) continue;
    excess += weight;
    list.push_back({std::clamp(j, srcLo, srcHi - 1), weight});
  }
  if (list.empty()) {
    // Every weight rounded to 0: a shrink to 1/512 or below falls back to point sampling.
    // floor(center) lies inside the source for every clip inside the destination; the limit
    // only guards direct callers.
    const auto nearest = static_cast<int32_t>(std::floor(center));
    list.push_back({std::clamp(nearest, srcLo, srcHi - 1), kWeightOne});
  } else if (excess != 0) {
    list[(list.size() - 1) / 2].Weight -= excess;
  }
}

}  // namespace

std::optional<TContributionTable> BuildContributions(int32_t dstLo, int32_t dstHi, int32_t clipLo,
                                                     int32_t clipHi, int32_t srcLo, int32_t srcHi,
                                                     const TCustomKernel& kernel) {
  ClearUpperVectorState();
  const int32_t srcW = srcHi - srcLo;
  const int32_t dstW = dstHi - dstLo;
  const int32_t clipW = std::max(clipHi - clipLo, 0);
  if (srcW == 0) return std::nullopt;
  if (srcW == 1) return TContributionTable(clipW, TContributionList{{srcLo, kWeightOne}});

  TContributionTable table(clipW);
  if (clipW == 0) return table;

  float scale =
      EdgeToEdgeMapping ? ToSingle(Ext(dstW) / srcW) : ToSingle(Ext(dstW - 1) / (srcW - 1));
  float filterWidth = kernel.SupportWidth();
  if (scale == 0.0f) return table;

  const bool shrinking = scale < 1.0f;
  const float oldScale = scale;
  scale = ToSingle(1 / Ext(oldScale));
  if (shrinking) filterWidth = ToSingle(Ext(filterWidth) * scale);

  for (int32_t i = 0; i < clipW; ++i) {
    const int32_t d = i - dstLo + clipLo;
    const float center = EdgeToEdgeMapping ? ToSingle((d + Ext(0.5)) * scale + (srcLo - Ext(0.5)))
                                           : ToSingle(Ext(d) * scale + srcLo);
    BuildList(table[i], center, filterWidth, oldScale, shrinking, srcLo, srcHi, kernel);
  }
  return table;
}

}  // namespace lumvale
