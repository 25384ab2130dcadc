#include "PhotoMaker.h"

#include <cmath>

#include "TestImages.h"

namespace {

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

// Value noise in 0..1, smoothly interpolated between lattice points `cell` pixels apart.
float Noise(int x, int y, int cell, uint32_t seed) {
  const int cx = x / cell, cy = y / cell;
  const float fx = float(x % cell) / cell, fy = float(y % cell) / cell;
  auto v = [&](int i, int j) {
    return float(Hash(uint32_t(cx + i), uint32_t(cy + j), seed) & 0xFFFF) / 65535.0f;
  };
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float top = v(0, 0) + (v(1, 0) - v(0, 0)) * sx;
  const float bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

}  // namespace

std::vector<uint8_t> MakePhotoJpeg(int width, int height, bool progressive, int quality) {
  return lumvale::test::EncodeJpeg(
      width, height, 3, progressive, quality, [&](int y, uint8_t* row) {
        for (int x = 0; x < width; ++x) {
          float detail = 0, amplitude = 0.5f;
          for (int cell = 512; cell >= 4; cell /= 2, amplitude *= 0.6f) {
            detail += amplitude * (Noise(x, y, cell, uint32_t(cell)) - 0.5f);
          }
          const float sky = float(y) / float(height);
          const float grain = float(Hash(uint32_t(x), uint32_t(y), 7) & 0xFF) / 255.0f - 0.5f;
          const float base[3] = {0.35f + 0.4f * sky, 0.45f + 0.25f * sky, 0.7f - 0.4f * sky};
          for (int k = 0; k < 3; ++k) {
            const float hue = Noise(x, y, 256 >> k, uint32_t(100 + k)) - 0.5f;
            const float v = base[k] + 0.9f * detail + 0.3f * hue + 0.05f * grain;
            row[size_t(x) * 3 + size_t(k)] =
                uint8_t(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255));
          }
        }
      });
}
