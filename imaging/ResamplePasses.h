#pragma once

// The two integer passes of the kernel stretch, in a scalar and an AVX2 version that give the
// same bytes: all sums are exact integer arithmetic modulo 2^32, so neither the order of the
// additions nor merging the weights of a repeated source index can change a result.

#include "Color32.h"

#include <cstddef>
#include <cstdint>

namespace lumvale::resample {

// The weights of one destination index over consecutive source indices first, first + 1, ...
// (zero where a source index contributes nothing).
struct DenseList {
  int32_t first;
  int32_t count;
  size_t offset;  // into the table's weight array
};

// Vertical pass: for every byte i < n, sums[i] = sum over k < count of rows[k][i] * weights[k].
// A byte is one channel of a pixel, so sums hold blue, green, red, alpha per source column.
using VerticalPassFn = void (*)(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                                int32_t* sums, size_t n);

// Horizontal pass and packing: for every destination column x < width, with list lists[x] (whose
// first is relative to the sums), the four channel sums of weights x sums, packed into a colour.
// Clamp limits a sum to 0..255 x 65536 first; then bits 16..23 of each sum form the channel.
using HorizontalPassFn = void (*)(const int32_t* sums, const DenseList* lists,
                                  const int32_t* weights, int32_t width, TColor32* out);

void VerticalPassScalar(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                        int32_t* sums, size_t n);
template <bool Clamp>
void HorizontalPassScalar(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                          int32_t width, TColor32* out);

// Available when the processor has AVX2; the vertical pass also needs every weight to fit in
// 16 bits.
bool HaveAvx2();
void VerticalPassAvx2(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                      int32_t* sums, size_t n);
template <bool Clamp>
void HorizontalPassAvx2(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                        int32_t width, TColor32* out);

// Available when the processor has AVX-512 F, BW, VBMI and VNNI; needs 16-bit weights.
bool HaveAvx512();
void VerticalPassAvx512(const uint8_t* const* rows, const int32_t* weights, int32_t count,
                        int32_t* sums, size_t n);
template <bool Clamp>
void HorizontalPassAvx512(const int32_t* sums, const DenseList* lists, const int32_t* weights,
                          int32_t width, TColor32* out);

// Vertical pass of two destination rows at once, over quads of source rows with 8-bit weights:
// sumsA[i] = sum over rows k of rows[k][i] x (signed byte k % 4 of weightsA[k / 4]), and the same
// for B; the bytes from `from` to n.
void VerticalQuadsScalar(const uint8_t* const* rows, int32_t quads, const uint32_t* weightsA,
                         const uint32_t* weightsB, int32_t* sumsA, int32_t* sumsB, size_t n,
                         size_t from = 0);
// Needs AVX-512 F, BW, VBMI and VNNI.
void VerticalQuadsAvx512(const uint8_t* const* rows, int32_t quads, const uint32_t* weightsA,
                         const uint32_t* weightsB, int32_t* sumsA, int32_t* sumsB, size_t n);

// A channel sum packed into a byte: clamped to 0..0xFF0000 when Clamp, then bits 16..23.
template <bool Clamp>
inline uint32_t PackChannel(int32_t s) {
  if constexpr (Clamp) {
    if (s > 0xFF0000) return 0xFF;
    if (s < 0) return 0;
  }
  return (uint32_t(s) >> 16) & 0xFF;
}

}  // namespace lumvale::resample
