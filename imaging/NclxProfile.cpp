#include "NclxProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace lumvale {

namespace {

constexpr int kBt709 = 1, kUnspecified = 2, kDisplayP3 = 12, kBt2020 = 9;
constexpr int kSrgbTransfer = 13, kLinear = 8, kGamma22 = 4, kGamma28 = 5, kPq = 16, kHlg = 18;

bool IsBt709Transfer(int t) {
  return t == 1 || t == 6 || t == 7 || t == 14 || t == 15;
}

struct ProfileClose {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
struct CurveFree {
  void operator()(cmsToneCurve* c) const { cmsFreeToneCurve(c); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveFree>;

// The display-referred curves of the high dynamic range transfers, tabulated: PQ with its
// reference white (203 cd/m2) as the top, HLG's inverse OETF.
float PqToRelative(float v) {
  constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
  constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
  const double p = std::pow(double(v), 1 / m2);
  const double nits = 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
  return float(std::min(nits / 203, 1.0));
}
float HlgToLinear(float v) {
  constexpr double a = 0.17883277, b = 0.28466892, c = 0.55991073;
  return float(v <= 0.5 ? double(v) * v / 3 : (std::exp((double(v) - c) / a) + b) / 12);
}

Curve CurveFor(int transfer) {
  if (IsBt709Transfer(transfer)) {
    const double p[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
    return Curve(cmsBuildParametricToneCurve(nullptr, 4, p));
  }
  if (transfer == kLinear) return Curve(cmsBuildGamma(nullptr, 1.0));
  if (transfer == kGamma22) return Curve(cmsBuildGamma(nullptr, 2.2));
  if (transfer == kGamma28) return Curve(cmsBuildGamma(nullptr, 2.8));
  if (transfer == kPq || transfer == kHlg) {
    std::vector<float> table(1024);
    for (size_t i = 0; i < table.size(); ++i) {
      const float v = float(i) / float(table.size() - 1);
      table[i] = transfer == kPq ? PqToRelative(v) : HlgToLinear(v);
    }
    return Curve(cmsBuildTabulatedToneCurveFloat(nullptr, cmsUInt32Number(table.size()),
                                                 table.data()));
  }
  const double p[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return Curve(cmsBuildParametricToneCurve(nullptr, 4, p));
}

const char* PrimariesName(int primaries) {
  switch (primaries) {
    case kDisplayP3: return "Display P3";
    case kBt2020: return "BT.2020";
    case kBt709: return "BT.709";
    default: return "RGB";
  }
}

}  // namespace

bool IsSrgb(const TNclx& nclx) {
  return (nclx.primaries == kBt709 || nclx.primaries == kUnspecified) &&
         (nclx.transfer == kSrgbTransfer || nclx.transfer == kUnspecified);
}

std::vector<uint8_t> ProfileForNclx(const TNclx& nclx) {
  if (IsSrgb(nclx)) return {};
  // BT.709's primaries and D65 when the box names primaries without giving them.
  float xy[4][2] = {{0.64f, 0.33f}, {0.30f, 0.60f}, {0.15f, 0.06f}, {0.3127f, 0.3290f}};
  const bool known = std::all_of(&nclx.xy[0][0], &nclx.xy[0][0] + 8, [](float v) {
    return std::isfinite(v) && v > 0 && v < 1;
  });
  if (nclx.primaries != kUnspecified && known) std::copy_n(&nclx.xy[0][0], 8, &xy[0][0]);
  const cmsCIExyY white{xy[3][0], xy[3][1], 1.0};
  const cmsCIExyYTRIPLE primaries{{xy[0][0], xy[0][1], 1.0},
                                  {xy[1][0], xy[1][1], 1.0},
                                  {xy[2][0], xy[2][1], 1.0}};
  const Curve curve = CurveFor(nclx.transfer);
  if (!curve) return {};
  cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
  std::unique_ptr<void, ProfileClose> profile(cmsCreateRGBProfile(&white, &primaries, curves));
  if (!profile) return {};
  cmsSetProfileVersion(profile.get(), 2.4);
  const std::string name = std::string(PrimariesName(nclx.primaries)) + " (nclx " +
                           std::to_string(nclx.primaries) + "/" + std::to_string(nclx.transfer) +
                           ")";
  if (cmsMLU* mlu = cmsMLUalloc(nullptr, 1)) {
    cmsMLUsetASCII(mlu, "en", "US", name.c_str());
    cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
  }
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) return {};
  bytes.resize(size);
  return bytes;
}

}  // namespace lumvale
