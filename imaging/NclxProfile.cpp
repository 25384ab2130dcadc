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
  return t == 1 || t == 6 || t == 14 || t == 15;
}
constexpr int kSmpte240 = 7;

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
  if (transfer == kSmpte240) {
    const double p[5] = {1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 0.0913};
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

// H.273's primaries and white points as CIE xy: red, green, blue, white.
struct Chromaticities {
  int code;
  double xy[4][2];
};
constexpr double kD65[2] = {0.3127, 0.3290};
constexpr Chromaticities kPrimaries[] = {
    {1, {{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {kD65[0], kD65[1]}}},
    {4, {{0.670, 0.330}, {0.210, 0.710}, {0.140, 0.080}, {0.310, 0.316}}},
    {5, {{0.640, 0.330}, {0.290, 0.600}, {0.150, 0.060}, {kD65[0], kD65[1]}}},
    {6, {{0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, {kD65[0], kD65[1]}}},
    {7, {{0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, {kD65[0], kD65[1]}}},
    {8, {{0.681, 0.319}, {0.243, 0.692}, {0.145, 0.049}, {0.310, 0.316}}},
    {9, {{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}, {kD65[0], kD65[1]}}},
    {11, {{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.314, 0.351}}},
    {12, {{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {kD65[0], kD65[1]}}},
    {22, {{0.630, 0.340}, {0.295, 0.605}, {0.155, 0.077}, {kD65[0], kD65[1]}}},
};

const Chromaticities& ChromaticitiesOf(int code) {
  for (const Chromaticities& c : kPrimaries) {
    if (c.code == code) return c;
  }
  return kPrimaries[0];
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
  const Chromaticities& c = ChromaticitiesOf(nclx.primaries);
  const cmsCIExyY white{c.xy[3][0], c.xy[3][1], 1.0};
  const cmsCIExyYTRIPLE primaries{{c.xy[0][0], c.xy[0][1], 1.0},
                                  {c.xy[1][0], c.xy[1][1], 1.0},
                                  {c.xy[2][0], c.xy[2][1], 1.0}};
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
  // Little CMS stamps the header with the time it was made; the same photo must give the same
  // bytes every time, so the date is a fixed one (2000-01-01, as year, month, day, hours,
  // minutes, seconds in big-endian 16-bit numbers at offset 24). No profile ID is written.
  const uint8_t date[12] = {0x07, 0xD0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
  if (bytes.size() >= 36) std::copy_n(date, 12, bytes.begin() + 24);
  return bytes;
}

}  // namespace lumvale
