#pragma once

#include <algorithm>
#include <cstdint>

namespace lumvale {

// A pixel: alpha in bits 24..31, red 16..23, green 8..15, blue 0..7; in memory (little-endian)
// the bytes blue, green, red, alpha. Alpha 255 is opaque.
using TColor32 = uint32_t;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | b;
}
constexpr uint8_t AlphaComponent(TColor32 c) {
  return uint8_t(c >> 24);
}
constexpr uint8_t RedComponent(TColor32 c) {
  return uint8_t(c >> 16);
}
constexpr uint8_t GreenComponent(TColor32 c) {
  return uint8_t(c >> 8);
}
constexpr uint8_t BlueComponent(TColor32 c) {
  return uint8_t(c);
}

// Left and top inclusive, right and bottom exclusive.
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// The common part of two rectangles; empty rectangles come out as (0, 0, 0, 0).
constexpr TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

}  // namespace lumvale
