#include "StretchPlan.h"

#include <algorithm>
#include <limits>

namespace lumvale {

using resample::DenseList;

// A contribution table in dense form: per destination index, one weight per source index from
// the smallest to the largest it names, with the weights of a repeated index (edge replication)
// added together.
TStretchPlan::Dense TStretchPlan::MakeDense(const TContributionTable& table, int32_t base) {
  Dense dense;
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

TStretchPlan::TStretchPlan(const TContributionTable& mapX, const TContributionTable& mapY,
                           int32_t clipTop, int32_t sourceHeight, bool clamp)
    : clipTop_(clipTop), width_(int32_t(mapX.size())), sourceHeight_(sourceHeight) {
  // The horizontal span: the smallest to the largest source column that mapX names.
  spanLo_ = std::numeric_limits<int32_t>::max();
  spanHi_ = std::numeric_limits<int32_t>::min();
  for (const TContributionList& list : mapX) {
    for (const TContribution& c : list) {
      spanLo_ = std::min(spanLo_, c.SourceIndex);
      spanHi_ = std::max(spanHi_, c.SourceIndex);
    }
  }
  horizontal_ = MakeDense(mapX, spanLo_);
  vertical_ = MakeDense(mapY, 0);

  // The passes are chosen once per plan; all of them give the same bytes.
  using namespace resample;
  const bool avx512 = HaveAvx512(), avx2 = HaveAvx2();
  verticalPass_ = !vertical_.fitsInt16 ? VerticalPassScalar
                  : avx512             ? VerticalPassAvx512
                  : avx2               ? VerticalPassAvx2
                                       : VerticalPassScalar;
  horizontalPass_ = avx512 ? (clamp ? HorizontalPassAvx512<true> : HorizontalPassAvx512<false>)
                    : avx2 ? (clamp ? HorizontalPassAvx2<true> : HorizontalPassAvx2<false>)
                           : (clamp ? HorizontalPassScalar<true> : HorizontalPassScalar<false>);
  // Shrinks by about 2 or more have 8-bit weights: two destination rows share one pass over the
  // union of their source rows, taken in quads aligned to multiples of 4 (zero weights where a
  // row is outside a list; rows past the picture's end stand in with weight 0).
  quadPass_ = avx512 && vertical_.fitsInt8;

  const auto rowCount = int32_t(vertical_.lists.size());
  for (int32_t i = 0; i < rowCount;) {
    Group g{};
    g.y = clipTop_ + i;
    const DenseList& la = vertical_.lists[size_t(i)];
    if (quadPass_) {
      g.rows = i + 1 < rowCount ? 2 : 1;
      const DenseList& lb = g.rows == 2 ? vertical_.lists[size_t(i + 1)] : la;
      g.lo = std::min(la.first, lb.first) & ~3;
      const int32_t hi = std::max(la.first + la.count, lb.first + lb.count);
      g.quads = (hi - g.lo + 3) / 4;
      g.needLo = g.lo;
      g.needHi = std::min(g.lo + 4 * g.quads - 1, sourceHeight_ - 1);
    } else {
      g.rows = 1;
      g.lo = la.first;
      g.needLo = la.first;
      g.needHi = la.first + la.count - 1;
    }
    groups_.push_back(g);
    i += g.rows;
  }
  int32_t arrived = -1;
  for (const Group& g : groups_) {
    arrived = std::max(arrived, g.needHi);
    windowRows_ = std::max(windowRows_, arrived - g.needLo + 1);
  }
  arrived = std::numeric_limits<int32_t>::max();
  for (auto g = groups_.rbegin(); g != groups_.rend(); ++g) {
    arrived = std::min(arrived, g->needLo);
    windowRowsUpward_ = std::max(windowRowsUpward_, g->needHi - arrived + 1);
  }

  const size_t spanBytes = size_t(SpanWidth()) * sizeof(TColor32);
  sums_.resize(spanBytes);  // blue, green, red, alpha per span column
  if (quadPass_) sumsB_.resize(spanBytes);
}

void TStretchPlan::RunGroup(int32_t index, const RowAt& rowAt, const Output& output,
                            const Done& done) {
  using namespace resample;
  const Group& g = groups_[size_t(index)];
  const size_t spanBytes = sums_.size();
  auto emitRow = [&](int32_t y, const int32_t* rowSums) {
    TColor32* row = output(y);
    horizontalPass_(rowSums, horizontal_.lists.data(), horizontal_.weights.data(), width_, row);
    done(y, row);
  };
  if (quadPass_) {
    const DenseList& la = vertical_.lists[size_t(g.y - clipTop_)];
    const DenseList& lb = g.rows == 2 ? vertical_.lists[size_t(g.y + 1 - clipTop_)] : la;
    rows_.resize(4 * size_t(g.quads));
    for (int32_t k = 0; k < 4 * g.quads; ++k) {
      rows_[size_t(k)] = rowAt(std::min(g.lo + k, sourceHeight_ - 1));
    }
    auto pack = [&](const DenseList& list, std::vector<uint32_t>& packed) {
      packed.assign(size_t(g.quads), 0);
      for (int32_t j = 0; j < list.count; ++j) {
        const int32_t k = list.first + j - g.lo;
        const auto w = uint8_t(int8_t(vertical_.weights[list.offset + size_t(j)]));
        packed[size_t(k / 4)] |= uint32_t(w) << (8 * (k % 4));
      }
    };
    pack(la, weightsA_);
    pack(lb, weightsB_);
    VerticalQuadsAvx512(rows_.data(), g.quads, weightsA_.data(), weightsB_.data(), sums_.data(),
                        sumsB_.data(), spanBytes);
    emitRow(g.y, sums_.data());
    if (g.rows == 2) emitRow(g.y + 1, sumsB_.data());
    return;
  }
  const DenseList& ly = vertical_.lists[size_t(g.y - clipTop_)];
  rows_.resize(size_t(ly.count));
  for (int32_t k = 0; k < ly.count; ++k) rows_[size_t(k)] = rowAt(ly.first + k);
  verticalPass_(rows_.data(), vertical_.weights.data() + ly.offset, ly.count, sums_.data(),
                spanBytes);
  emitRow(g.y, sums_.data());
}

}  // namespace lumvale
