// Compiled with AVX-512 (F, BW, VBMI, VNNI); called only when the processor has all four.
#include "ResamplePack.h"
#include "ResamplePasses.h"

#include <immintrin.h>

namespace lumvale::resample {

namespace {

// vpermt2b picks byte k of row a into byte 4k and byte k of row b into byte 4k + 2 (k < 16,
// from the quarter q of the 64 loaded bytes); the zero mask clears bytes 4k + 1 and 4k + 3.
// That makes 16 pairs of 16-bit values (a_k, b_k), which vpdpwssd multiplies by the weight
// pair and adds to 16 32-bit sums, one per byte, in order.
constexpr __mmask64 kPairMask = 0x5555555555555555ull;

inline __m512i PairIndex(int q) {
  alignas(64) uint8_t idx[64] = {};
  for (int k = 0; k < 16; ++k) {
    idx[4 * k] = uint8_t(16 * q + k);
    idx[4 * k + 2] = uint8_t(64 + 16 * q + k);
  }
  return _mm512_load_si512(idx);
}

inline __m512i WeightPair(int32_t w0, int32_t w1) {
  return _mm512_set1_epi32(int32_t(uint32_t(uint16_t(w0)) | uint32_t(uint16_t(w1)) << 16));
}

}  // namespace

bool HaveAvx512() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vnni");
}

void VerticalPassAvx512(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                        int32_t* sums, size_t n) {
  const __m512i index[4] = {PairIndex(0), PairIndex(1), PairIndex(2), PairIndex(3)};
  const __m512i zero = _mm512_setzero_si512();
  size_t i = 0;
  // 128 bytes (32 pixels) at a time keep their 128 sums in eight registers over all rows.
  for (; i + 128 <= n; i += 128) {
    __m512i acc[8];
    for (auto& v : acc) v = zero;
    for (int32_t k = 0; k < count; k += 2) {
      const bool pair = k + 1 < count;
      const __m512i wp = WeightPair(weights[k], pair ? weights[k + 1] : 0);
      for (int h = 0; h < 2; ++h) {
        const __m512i a = _mm512_loadu_si512(rows[k] + i + 64 * h);
        const __m512i b = pair ? _mm512_loadu_si512(rows[k + 1] + i + 64 * h) : zero;
        for (int q = 0; q < 4; ++q) {
          const __m512i p = _mm512_maskz_permutex2var_epi8(kPairMask, a, index[q], b);
          acc[4 * h + q] = _mm512_dpwssd_epi32(acc[4 * h + q], p, wp);
        }
      }
    }
    for (int q = 0; q < 8; ++q) _mm512_storeu_si512(sums + i + 16 * q, acc[q]);
  }
  for (; i < n; ++i) {
    uint32_t sum = 0;
    for (int32_t k = 0; k < count; ++k) sum += rows[k][i] * uint32_t(weights[k]);
    sums[i] = int32_t(sum);
  }
}

}  // namespace lumvale::resample

namespace lumvale::resample {

template <bool Clamp>
void HorizontalPassAvx512(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                          int32_t width, TColor32* out) {
  // Four source columns (sixteen sums) per step; each weight is spread to its column's lanes.
  const __m512i spread = _mm512_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
  for (int32_t x = 0; x < width; ++x) {
    const DenseList& list = lists[x];
    const int32_t* s = sums + 4 * size_t(list.first);
    const int32_t* w = weights + list.offset;
    __m512i acc = _mm512_setzero_si512();
    int32_t k = 0;
    for (; k + 4 <= list.count; k += 4) {
      const __m512i wk = _mm512_permutexvar_epi32(
          spread, _mm512_zextsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w + k))));
      acc = _mm512_add_epi32(acc, _mm512_mullo_epi32(_mm512_loadu_si512(s + 4 * k), wk));
    }
    if (k < list.count) {
      // Masked loads read nothing past the list's end.
      const int rest = list.count - k;
      const __mmask16 lanes = __mmask16((1u << (4 * rest)) - 1);
      const __m512i wk = _mm512_permutexvar_epi32(
          spread, _mm512_maskz_loadu_epi32(__mmask16((1u << rest) - 1), w + k));
      acc =
          _mm512_add_epi32(acc, _mm512_mullo_epi32(_mm512_maskz_loadu_epi32(lanes, s + 4 * k), wk));
    }
    const __m256i half =
        _mm256_add_epi32(_mm512_castsi512_si256(acc), _mm512_extracti64x4_epi64(acc, 1));
    __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1));
    out[x] = PackSums<Clamp>(sum);
  }
}

template void HorizontalPassAvx512<true>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                         TColor32*);
template void HorizontalPassAvx512<false>(const int32_t*, const DenseList*, const int32_t*, int32_t,
                                          TColor32*);

}  // namespace lumvale::resample

namespace lumvale::resample {

namespace {

// Byte c of row a and byte c of row b side by side: words (a_c, b_c) for c in [half, half + 32).
inline __m512i ByteInterleave(int half) {
  alignas(64) uint8_t idx[64];
  for (int c = 0; c < 32; ++c) {
    idx[2 * c] = uint8_t(half + c);
    idx[2 * c + 1] = uint8_t(64 + half + c);
  }
  return _mm512_load_si512(idx);
}

// Word c of x and word c of y side by side: dwords (x_c, y_c) for c in [first, first + 16).
inline __m512i WordInterleave(int first) {
  alignas(64) uint16_t idx[32];
  for (int k = 0; k < 16; ++k) {
    idx[2 * k] = uint16_t(first + k);
    idx[2 * k + 1] = uint16_t(32 + first + k);
  }
  return _mm512_load_si512(idx);
}

}  // namespace

void VerticalQuadsAvx512(const uint8_t* const* rows, int32_t quads, const uint32_t* weightsA,
                         const uint32_t* weightsB, int32_t* sumsA, int32_t* sumsB, size_t n) {
  // Four source rows are transposed so that each dword holds one byte (channel) of all four;
  // vpdpbusd multiplies the unsigned bytes by four signed 8-bit weights and adds the products
  // to a 32-bit sum. The transposed rows serve both destination rows.
  const __m512i bytesLo = ByteInterleave(0), bytesHi = ByteInterleave(32);
  const __m512i words[2] = {WordInterleave(0), WordInterleave(16)};
  const __m512i zero = _mm512_setzero_si512();
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    __m512i a[4], b[4];
    for (int j = 0; j < 4; ++j) a[j] = b[j] = zero;
    for (int32_t q = 0; q < quads; ++q) {
      const uint8_t* const* r = rows + 4 * q;
      const __m512i r0 = _mm512_loadu_si512(r[0] + i), r1 = _mm512_loadu_si512(r[1] + i);
      const __m512i r2 = _mm512_loadu_si512(r[2] + i), r3 = _mm512_loadu_si512(r[3] + i);
      const __m512i p01[2] = {_mm512_permutex2var_epi8(r0, bytesLo, r1),
                              _mm512_permutex2var_epi8(r0, bytesHi, r1)};
      const __m512i p23[2] = {_mm512_permutex2var_epi8(r2, bytesLo, r3),
                              _mm512_permutex2var_epi8(r2, bytesHi, r3)};
      const __m512i wa = _mm512_set1_epi32(int32_t(weightsA[q]));
      const __m512i wb = _mm512_set1_epi32(int32_t(weightsB[q]));
      for (int j = 0; j < 4; ++j) {
        const __m512i quad = _mm512_permutex2var_epi16(p01[j / 2], words[j % 2], p23[j / 2]);
        a[j] = _mm512_dpbusd_epi32(a[j], quad, wa);
        b[j] = _mm512_dpbusd_epi32(b[j], quad, wb);
      }
    }
    for (int j = 0; j < 4; ++j) {
      _mm512_storeu_si512(sumsA + i + 16 * j, a[j]);
      _mm512_storeu_si512(sumsB + i + 16 * j, b[j]);
    }
  }
  if (i < n) VerticalQuadsScalar(rows, quads, weightsA, weightsB, sumsA, sumsB, n, i);
}

}  // namespace lumvale::resample
