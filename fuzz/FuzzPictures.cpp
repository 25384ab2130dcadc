#include "FuzzPictures.h"

#include "TestImages.h"

#include <algorithm>

namespace fuzz {

namespace {

void Fill(int y, uint8_t* row, int bytes) {
  for (int i = 0; i < bytes; ++i) row[i] = uint8_t(i * 29 + y * 40);
}

}  // namespace

const std::vector<uint8_t>& ColourJpeg() {
  static const std::vector<uint8_t> jpeg =
      lumvale::test::EncodeJpeg(8, 8, 3, false, 75, [](int y, uint8_t* row) { Fill(y, row, 24); });
  return jpeg;
}

const std::vector<uint8_t>& CmykJpeg() {
  static const std::vector<uint8_t> jpeg =
      lumvale::test::EncodeCmykJpeg(8, 8, true, [](int y, uint8_t* row) { Fill(y, row, 32); });
  return jpeg;
}

std::vector<uint8_t> WithApps(const std::vector<uint8_t>& jpeg, int n,
                              const std::vector<std::vector<uint8_t>>& payloads) {
  std::vector<lumvale::test::Segment> segments;
  for (const std::vector<uint8_t>& p : payloads) {
    segments.push_back(
        {0xE0 + n, {p.begin(), p.begin() + long(std::min<size_t>(p.size(), 65533))}});
  }
  return lumvale::test::WithSegments(jpeg, segments);
}

}  // namespace fuzz
