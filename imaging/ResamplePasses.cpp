#include "ResamplePasses.h"

namespace lumvale::resample {

// Unsigned arithmetic makes the modulo-2^32 wrap-around defined; for every table the resampler
// builds the sums stay far inside the signed 32-bit range anyway.
void VerticalPassScalar(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                        int32_t* sums, size_t n) {
  auto* s = reinterpret_cast<uint32_t*>(sums);
  for (size_t i = 0; i < n; ++i) s[i] = 0;
  for (int32_t k = 0; k < count; ++k) {
    const uint32_t w = uint32_t(weights[k]);
    if (w == 0) continue;
    const uint8_t* row = rows[k];
    for (size_t i = 0; i < n; ++i) s[i] += row[i] * w;
  }
}

void VerticalQuadsScalar(const uint8_t* const* rows, int32_t quads, const uint32_t* weightsA,
                         const uint32_t* weightsB, int32_t* sumsA, int32_t* sumsB, size_t n,
                         size_t from) {
  for (size_t i = from; i < n; ++i) {
    uint32_t a = 0, b = 0;
    for (int32_t k = 0; k < 4 * quads; ++k) {
      const uint32_t p = rows[k][i];
      const int shift = 8 * (k % 4);
      a += p * uint32_t(int8_t(weightsA[k / 4] >> shift));
      b += p * uint32_t(int8_t(weightsB[k / 4] >> shift));
    }
    sumsA[i] = int32_t(a);
    sumsB[i] = int32_t(b);
  }
}

template <bool Clamp>
void HorizontalPassScalar(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                          int32_t width, TColor32* out) {
  for (int32_t x = 0; x < width; ++x) {
    const DenseList& list = lists[x];
    const auto* s = reinterpret_cast<const uint32_t*>(sums) + 4 * size_t(list.first);
    const int32_t* w = weights + list.offset;
    uint32_t b = 0, g = 0, r = 0, a = 0;
    for (int32_t k = 0; k < list.count; ++k, s += 4) {
      const uint32_t wk = uint32_t(w[k]);
      b += wk * s[0];
      g += wk * s[1];
      r += wk * s[2];
      a += wk * s[3];
    }
    out[x] = PackChannel<Clamp>(int32_t(b)) | PackChannel<Clamp>(int32_t(g)) << 8 |
             PackChannel<Clamp>(int32_t(r)) << 16 | PackChannel<Clamp>(int32_t(a)) << 24;
  }
}

template void HorizontalPassScalar<true>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                         TColor32*);
template void HorizontalPassScalar<false>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                          TColor32*);

bool HaveAvx2() {
  return __builtin_cpu_supports("avx2");
}

}  // namespace lumvale::resample
