// Compiled with -mavx2; called only when the processor has AVX2.
#include "ResamplePack.h"
#include "ResamplePasses.h"

#include <immintrin.h>

namespace lumvale::resample {

namespace {

// Two source rows (a, b) times two 16-bit weights packed in wp, for 16 bytes: the bytes are
// interleaved (a0 b0 a1 b1 ...), widened to 16 bits, and vpmaddwd forms a*w0 + b*w1 per byte.
inline void MulAdd16(__m128i a, __m128i b, __m256i wp, __m256i& lo, __m256i& hi) {
  lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(a, b)), wp));
  hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpackhi_epi8(a, b)), wp));
}

inline __m256i WeightPair(int32_t w0, int32_t w1) {
  return _mm256_set1_epi32(int32_t(uint32_t(uint16_t(w0)) | uint32_t(uint16_t(w1)) << 16));
}

inline __m128i Load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

void VerticalPassAvx2(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                      int32_t* sums, size_t n) {
  size_t i = 0;
  // 64 bytes (16 pixels) at a time keep their 64 sums in eight registers over all rows.
  for (; i + 64 <= n; i += 64) {
    __m256i acc[8];
    for (auto& v : acc) v = _mm256_setzero_si256();
    int32_t k = 0;
    for (; k + 1 < count; k += 2) {
      const __m256i wp = WeightPair(weights[k], weights[k + 1]);
      const uint8_t* r0 = rows[k] + i;
      const uint8_t* r1 = rows[k + 1] + i;
      for (int q = 0; q < 4; ++q) {
        MulAdd16(Load16(r0 + 16 * q), Load16(r1 + 16 * q), wp, acc[2 * q], acc[2 * q + 1]);
      }
    }
    if (k < count) {
      const __m256i wp = WeightPair(weights[k], 0);
      const uint8_t* r0 = rows[k] + i;
      for (int q = 0; q < 4; ++q) {
        MulAdd16(Load16(r0 + 16 * q), _mm_setzero_si128(), wp, acc[2 * q], acc[2 * q + 1]);
      }
    }
    for (int q = 0; q < 8; ++q) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i + 8 * q), acc[q]);
    }
  }
  for (; i < n; ++i) {
    uint32_t sum = 0;
    for (int32_t k = 0; k < count; ++k) sum += rows[k][i] * uint32_t(weights[k]);
    sums[i] = int32_t(sum);
  }
}

template <bool Clamp>
void HorizontalPassAvx2(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                        int32_t width, TColor32* out) {
  // Two source columns (eight sums) per step: the pair's weights are spread to four lanes each.
  const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
  for (int32_t x = 0; x < width; ++x) {
    const DenseList& list = lists[x];
    const int32_t* s = sums + 4 * size_t(list.first);
    const int32_t* w = weights + list.offset;
    __m256i acc = _mm256_setzero_si256();
    int32_t k = 0;
    for (; k + 1 < list.count; k += 2) {
      const __m256i wk = _mm256_permutevar8x32_epi32(
          _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + k))), spread);
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * k));
      acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(v, wk));
    }
    __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    if (k < list.count) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * k));
      sum = _mm_add_epi32(sum, _mm_mullo_epi32(v, _mm_set1_epi32(w[k])));
    }
    out[x] = PackSums<Clamp>(sum);
  }
}

template void HorizontalPassAvx2<true>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                       TColor32*);
template void HorizontalPassAvx2<false>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                        TColor32*);

}  // namespace lumvale::resample
