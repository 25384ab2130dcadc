#pragma once

#include "Kernels.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace lumvale {

// Weights are fixed point with 8 fractional bits: 256 stands for 1.0.
constexpr int kWeightBits = 8;
constexpr int32_t kWeightOne = 1 << kWeightBits;

struct TContribution {
  int32_t SourceIndex;  // a column or row of the source, always inside the source rectangle
  int32_t Weight;
  friend bool operator==(const TContribution&, const TContribution&) = default;
};

// The contributions of one destination column or row, by increasing candidate index. Every list
// sums to exactly kWeightOne.
using TContributionList = std::vector<TContribution>;
// One list per destination index of the clip span.
using TContributionTable = std::vector<TContributionList>;

// True maps pixel areas onto pixel areas (pixel centres at index + 0.5); false would map the
// first and last pixel centres onto each other.
inline bool EdgeToEdgeMapping = true;

// The weights of one axis. Low bounds are inclusive, high bounds exclusive. No table (nullopt)
// for an empty source span. Candidates outside the source read its edge (edge replication).
std::optional<TContributionTable> BuildContributions(int32_t dstLo, int32_t dstHi, int32_t clipLo,
                                                     int32_t clipHi, int32_t srcLo, int32_t srcHi,
                                                     const TCustomKernel& kernel);

}  // namespace lumvale
