#include "Contributions.h"
#include "KernelResampler.h"
#include "PixelCombine.h"
#include "StretchPlan.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace lumvale {

void ResampleWithKernel(TBitmap32& dst, const TRect& dstRect, const TRect& clip, TBitmap32& src,
                        const TRect& srcRect, const TCustomKernel& kernel, TDrawMode drawMode,
                        const TPixelCombineEvent& combine) {
  assert(&dst != &src && "a stretch reads and writes distinct bitmaps");
  const TPixelCombiner combiner(drawMode, src, combine);
  if (combiner.Mode() == TDrawMode::dmBlend && src.MasterAlpha == 0) return;

  const auto mapX = BuildContributions(dstRect.Left, dstRect.Right, clip.Left, clip.Right,
                                       srcRect.Left, srcRect.Right, kernel);
  const auto mapY = BuildContributions(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom,
                                       srcRect.Top, srcRect.Bottom, kernel);
  if (!mapX || !mapY || mapX->empty() || mapY->empty()) return;

  TStretchPlan plan(*mapX, *mapY, clip.Top, src.Height(), kernel.ClampsOutput());
  const bool direct = combiner.Mode() == TDrawMode::dmOpaque;
  std::vector<TColor32> colours(direct ? 0 : size_t(clip.Width()));
  const int32_t spanLo = plan.SpanLo();
  const TStretchPlan::RowAt rowAt = [&](int32_t y) {
    return reinterpret_cast<const uint8_t*>(src.RowPointer(y) + spanLo);
  };
  const TStretchPlan::Output output = [&](int32_t y) {
    return direct ? dst.RowPointer(y) + clip.Left : colours.data();
  };
  const TStretchPlan::Done done = [&](int32_t y, TColor32* row) {
    if (!direct) combiner.CombineRow(row, dst.RowPointer(y) + clip.Left, clip.Width());
  };
  for (int32_t g = 0; g < plan.Groups(); ++g) plan.RunGroup(g, rowAt, output, done);
}

}  // namespace lumvale
