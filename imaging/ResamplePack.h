#pragma once

// Included only by the files compiled for AVX2 or AVX-512. The helper has internal linkage, so
// each of them keeps its own copy, built for its own instruction set.

#include "Color32.h"

#include <immintrin.h>

namespace lumvale::resample {

// The four channel sums (blue, green, red, alpha) packed into a colour: clamped to
// 0..0xFF0000 when Clamp, then bits 16..23 of each.
template <bool Clamp>
[[gnu::always_inline]] static inline TColor32 PackSums(__m128i sum) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (Clamp) sum = _mm_min_epi32(_mm_max_epi32(sum, zero), _mm_set1_epi32(0xFF0000));
  sum = _mm_and_si128(_mm_srli_epi32(sum, 16), _mm_set1_epi32(0xFF));
  sum = _mm_packus_epi16(_mm_packus_epi32(sum, zero), zero);
  return TColor32(_mm_cvtsi128_si32(sum));
}

}  // namespace lumvale::resample
