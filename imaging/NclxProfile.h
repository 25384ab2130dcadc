#pragma once

#include <cstdint>
#include <vector>

namespace lumvale {

// How a picture describes its colours without an ICC profile: the primaries and transfer of an
// nclx box, as ITU-T H.273 numbers them.
struct TNclx {
  int primaries = 2;  // 1: BT.709 (as sRGB), 12: Display P3, 9: BT.2020; 2: unspecified
  int transfer = 2;   // 13: sRGB; 1, 6, 14, 15: BT.709; 7: SMPTE 240M; 8: linear; 16: PQ; 18: HLG;
                      // 2: unspecified
};

// Whether the description is sRGB's (unspecified parts taken as sRGB's): a picture without a
// profile is taken as sRGB anyway.
bool IsSrgb(const TNclx& nclx);

// An ICC profile (version 2.4, made with Little CMS) that describes the same colours; empty for
// sRGB. The primaries and white point are H.273's for their number; an unknown transfer is taken
// as sRGB's, unknown primaries as BT.709's.
std::vector<uint8_t> ProfileForNclx(const TNclx& nclx);

}  // namespace lumvale
