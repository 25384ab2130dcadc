#include "Contributions.h"
#include "KernelResampler.h"
#include "PixelCombine.h"
#include "ResamplePasses.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <vector>

namespace lumvale {

namespace {

using resample::DenseList;

// A contribution table in dense form: per destination index, one weight per source index from
// the smallest to the largest it names, with the weights of a repeated index (edge replication)
// added together.
struct DenseTable {
  std::vector<DenseList> lists;
  std::vector<int32_t> weights;
  bool fitsInt16 = true;
  bool fitsInt8 = true;
};

DenseTable MakeDense(const TContributionTable& table, int32_t base) {
  DenseTable dense;
  dense.lists.reserve(table.size());
  for (const TContributionList& list : table) {
    int32_t lo = std::numeric_limits<int32_t>::max(), hi = std::numeric_limits<int32_t>::min();
    for (const TContribution& c : list) {
      lo = std::min(lo, c.SourceIndex);
      hi = std::max(hi, c.SourceIndex);
    }
    const size_t offset = dense.weights.size();
    dense.weights.resize(offset + size_t(hi - lo + 1), 0);
    for (const TContribution& c : list) {
      dense.weights[offset + size_t(c.SourceIndex - lo)] += c.Weight;
    }
    dense.lists.push_back({lo - base, hi - lo + 1, offset});
  }
  for (int32_t w : dense.weights) {
    if (w < std::numeric_limits<int16_t>::min() || w > std::numeric_limits<int16_t>::max()) {
      dense.fitsInt16 = false;
    }
    if (w < std::numeric_limits<int8_t>::min() || w > std::numeric_limits<int8_t>::max()) {
      dense.fitsInt8 = false;
    }
  }
  return dense;
}

}  // namespace

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
  const bool clamp = kernel.ClampsOutput();
  if (!mapX || !mapY || mapX->empty() || mapY->empty()) return;

  // The horizontal span: the smallest to the largest source column that mapX names.
  int32_t spanLo = std::numeric_limits<int32_t>::max(),
          spanHi = std::numeric_limits<int32_t>::min();
  for (const TContributionList& list : *mapX) {
    for (const TContribution& c : list) {
      spanLo = std::min(spanLo, c.SourceIndex);
      spanHi = std::max(spanHi, c.SourceIndex);
    }
  }
  const DenseTable horizontal = MakeDense(*mapX, spanLo);
  const DenseTable vertical = MakeDense(*mapY, 0);

  // The passes are chosen once per call; all of them give the same bytes.
  using namespace resample;
  const bool avx512 = HaveAvx512(), avx2 = HaveAvx2();
  const VerticalPassFn verticalPass = !vertical.fitsInt16 ? VerticalPassScalar
                                      : avx512            ? VerticalPassAvx512
                                      : avx2              ? VerticalPassAvx2
                                                          : VerticalPassScalar;
  const HorizontalPassFn horizontalPass =
      avx512 ? (clamp ? HorizontalPassAvx512<true> : HorizontalPassAvx512<false>)
      : avx2 ? (clamp ? HorizontalPassAvx2<true> : HorizontalPassAvx2<false>)
             : (clamp ? HorizontalPassScalar<true> : HorizontalPassScalar<false>);

  const size_t spanBytes = size_t(spanHi - spanLo + 1) * sizeof(TColor32);
  std::vector<int32_t> sums(spanBytes);  // blue, green, red, alpha per span column
  std::vector<const uint8_t*> rows;
  const bool direct = combiner.Mode() == TDrawMode::dmOpaque;
  std::vector<TColor32> colours(direct ? 0 : size_t(clip.Width()));
  auto sourceRow = [&](int32_t y) {
    return reinterpret_cast<const uint8_t*>(src.RowPointer(y) + spanLo);
  };
  auto emitRow = [&](int32_t y, const int32_t* rowSums) {
    TColor32* target = dst.RowPointer(y) + clip.Left;
    TColor32* out = direct ? target : colours.data();
    horizontalPass(rowSums, horizontal.lists.data(), horizontal.weights.data(), clip.Width(), out);
    if (!direct) combiner.CombineRow(colours.data(), target, clip.Width());
  };

  if (avx512 && vertical.fitsInt8) {
    // Shrinks by about 2 or more have 8-bit weights: two destination rows share one pass over
    // the union of their source rows, taken in quads aligned to multiples of 4 (zero weights
    // where a row is outside a list; rows past the bitmap's end stand in with weight 0).
    std::vector<int32_t> sumsB(spanBytes);
    std::vector<uint32_t> weightsA, weightsB;
    for (int32_t y = clip.Top; y < clip.Bottom; y += 2) {
      const bool two = y + 1 < clip.Bottom;
      const DenseList& la = vertical.lists[size_t(y - clip.Top)];
      const DenseList& lb = two ? vertical.lists[size_t(y + 1 - clip.Top)] : la;
      const int32_t lo = std::min(la.first, lb.first) & ~3;
      const int32_t hi = std::max(la.first + la.count, lb.first + lb.count);
      const int32_t quads = (hi - lo + 3) / 4;
      rows.resize(4 * size_t(quads));
      for (int32_t k = 0; k < 4 * quads; ++k) {
        rows[size_t(k)] = sourceRow(std::min(lo + k, src.Height() - 1));
      }
      auto pack = [&](const DenseList& list, std::vector<uint32_t>& packed) {
        packed.assign(size_t(quads), 0);
        for (int32_t j = 0; j < list.count; ++j) {
          const int32_t k = list.first + j - lo;
          const auto w = uint8_t(int8_t(vertical.weights[list.offset + size_t(j)]));
          packed[size_t(k / 4)] |= uint32_t(w) << (8 * (k % 4));
        }
      };
      pack(la, weightsA);
      pack(lb, weightsB);
      VerticalQuadsAvx512(rows.data(), quads, weightsA.data(), weightsB.data(), sums.data(),
                          sumsB.data(), spanBytes);
      emitRow(y, sums.data());
      if (two) emitRow(y + 1, sumsB.data());
    }
    return;
  }

  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const DenseList& ly = vertical.lists[size_t(y - clip.Top)];
    rows.resize(size_t(ly.count));
    for (int32_t k = 0; k < ly.count; ++k) rows[size_t(k)] = sourceRow(ly.first + k);
    verticalPass(rows.data(), vertical.weights.data() + ly.offset, ly.count, sums.data(),
                 spanBytes);
    emitRow(y, sums.data());
  }
}

}  // namespace lumvale
