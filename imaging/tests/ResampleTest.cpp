#include "Bitmap32.h"
#include "Contributions.h"
#include "KernelResampler.h"
#include "ResamplePasses.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <random>

using namespace lumvale;
using lumvale::test::Fill;
using lumvale::test::FillRandom;
using lumvale::test::Grid;

namespace {

TKernelResampler& Lanczos(TBitmap32& bitmap) {
  auto& r = TBitmap32Resampler::Create<TKernelResampler>(bitmap);
  r.SetKernelClassName("TLanczosKernel");
  return r;
}

// The stretch written the plain way, straight from the rules: per destination row, vertical sums
// per source column in list order, then horizontal sums, 32-bit wrap-around, clamp and truncate.
void ReferenceStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                      const TRect& srcRect, const TCustomKernel& kernel) {
  const auto mapX = BuildContributions(dstRect.Left, dstRect.Right, clip.Left, clip.Right,
                                       srcRect.Left, srcRect.Right, kernel);
  const auto mapY = BuildContributions(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom,
                                       srcRect.Top, srcRect.Bottom, kernel);
  if (!mapX || !mapY || mapX->empty() || mapY->empty()) return;
  const int32_t spanLo = mapX->front().front().SourceIndex;
  const int32_t spanHi = mapX->back().back().SourceIndex;
  std::vector<uint32_t> buf(size_t(spanHi - spanLo + 1) * 4);
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const TContributionList& ly = (*mapY)[size_t(y - clip.Top)];
    for (int32_t x = spanLo; x <= spanHi; ++x) {
      uint32_t a = 0, r = 0, g = 0, b = 0;
      for (const TContribution& c : ly) {
        const TColor32 p = src.RowPointer(c.SourceIndex)[x];
        const uint32_t w = uint32_t(c.Weight);
        a += (p >> 24) * w;
        r += ((p & 0xFF0000) >> 16) * w;
        g += ((p & 0xFF00) >> 8) * w;
        b += (p & 0xFF) * w;
      }
      uint32_t* e = &buf[size_t(x - spanLo) * 4];
      e[0] = a, e[1] = r, e[2] = g, e[3] = b;
    }
    for (int32_t x = clip.Left; x < clip.Right; ++x) {
      uint32_t s[4] = {};
      for (const TContribution& c : (*mapX)[size_t(x - clip.Left)]) {
        for (int k = 0; k < 4; ++k)
          s[k] += uint32_t(c.Weight) * buf[size_t(c.SourceIndex - spanLo) * 4 + k];
      }
      uint32_t v[4];
      for (int k = 0; k < 4; ++k) {
        int32_t si = int32_t(s[k]);
        if (kernel.ClampsOutput()) {
          if (si > 0xFF0000) si = 0xFF0000;
          if (si < 0) si = 0;
        }
        v[k] = uint32_t(si) & 0xFF0000;
      }
      dst.RowPointer(y)[x] = (v[0] << 8) | v[1] | (v[2] >> 8) | (v[3] >> 16);
    }
  }
}

std::vector<TColor32> Reds(std::initializer_list<uint8_t> reds) {
  std::vector<TColor32> out;
  for (uint8_t r : reds) out.push_back(Color32(r, 0, 0));
  return out;
}

}  // namespace

TEST(KernelResampler, ExactPixelsOfSmallStretches) {
  const struct {
    std::vector<TColor32> source;
    int32_t width;
    std::vector<TColor32> expected;
  } cases[] = {
      {Reds({0, 100, 200, 255}), 2, Reds({50, 230})},
      {Reds({0, 0, 255, 255}), 3, Reds({0, 127, 255})},  // negative sum, 127.5 truncated, clamp
      {Reds({255, 0, 0, 0}), 2, Reds({127, 0})},         // edge replication: 128 of 256 on red 255
  };
  for (const auto& c : cases) {
    TBitmap32 src, dst;
    Fill(src, int32_t(c.source.size()), 1, c.source);
    Lanczos(src);
    dst.Resize(c.width, 1);
    dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
    TBitmap32 expected;
    Fill(expected, c.width, 1, c.expected);
    EXPECT_EQ(Grid(dst), Grid(expected)) << "source\n" << Grid(src);
  }
}

TEST(KernelResampler, FlatAndOpaqueStayFlatAndOpaqueAtEveryScale) {
  const int32_t sizes[][4] = {{37, 23, 5, 7}, {640, 480, 97, 61}, {33, 1, 8, 1},
                              {9, 9, 8, 2},   {2048, 4, 3, 3},    {300, 20, 1, 19}};
  for (const auto& s : sizes) {
    TBitmap32 flat, dst;
    flat.Resize(s[0], s[1]);
    for (size_t i = 0; i < size_t(s[0]) * size_t(s[1]); ++i) flat.Bits()[i] = 0xFF7B2E91u;
    Lanczos(flat);
    dst.Resize(s[2], s[3]);
    dst.StretchFrom(dst.FullRect(), flat.FullRect(), &flat);
    for (size_t i = 0; i < size_t(s[2]) * size_t(s[3]); ++i) {
      ASSERT_EQ(dst.Bits()[i], 0xFF7B2E91u) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
    }
    TBitmap32 noisy;
    FillRandom(noisy, s[0], s[1], 7, /*opaque=*/true);
    Lanczos(noisy);
    dst.StretchFrom(dst.FullRect(), noisy.FullRect(), &noisy);
    for (size_t i = 0; i < size_t(s[2]) * size_t(s[3]); ++i) ASSERT_EQ(dst.Bits()[i] >> 24, 255u);
  }
}

TEST(KernelResampler, OnePixelHighSourceGivesEveryRowThatRow) {
  TBitmap32 src, dst, row;
  FillRandom(src, 40, 1, 3);
  Lanczos(src);
  dst.Resize(10, 5);
  dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
  row.Resize(10, 1);
  row.StretchFrom(row.FullRect(), src.FullRect(), &src);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(dst.RowPointer(y)[x], row.RowPointer(0)[x]);
  }
}

TEST(KernelResampler, MatchesThePlainRulesBitForBit) {
  const struct {
    int32_t sw, sh;
    TRect srcRect, dstRect, clip;
    int32_t dw, dh;
    bool box;
  } cases[] = {
      {401, 173, {0, 0, 401, 173}, {0, 0, 77, 31}, {0, 0, 77, 31}, 77, 31, false},
      {400, 300, {0, 0, 400, 300}, {0, 0, 80, 60}, {0, 0, 80, 60}, 80, 60, false},
      {1000, 17, {0, 0, 1000, 17}, {0, 0, 3, 2}, {0, 0, 3, 2}, 3, 2, false},
      {257, 129, {13, 7, 250, 120}, {5, 3, 60, 40}, {9, 4, 50, 33}, 64, 48, false},
      {64, 64, {0, 0, 64, 64}, {0, 0, 17, 130}, {0, 0, 17, 130}, 17, 130, false},  // enlarges
      {120, 90, {0, 0, 120, 90}, {0, 0, 50, 40}, {0, 0, 50, 40}, 50, 40, true},    // no clamping
      {6000, 5, {0, 0, 6000, 5}, {0, 0, 5, 2}, {0, 0, 5, 2}, 5, 2, false},  // excess and fallback
  };
  for (const auto& c : cases) {
    TBitmap32 src;
    FillRandom(src, c.sw, c.sh, uint32_t(c.sw * 31 + c.sh));
    auto& resampler = Lanczos(src);
    if (c.box) resampler.SetKernelClassName("TBoxKernel");
    TBitmap32 actual, expected;
    FillRandom(actual, c.dw, c.dh, 99);
    FillRandom(expected, c.dw, c.dh, 99);
    ResampleWithKernel(actual, c.dstRect, c.clip, src, c.srcRect, resampler.Kernel(),
                       TDrawMode::dmOpaque, {});
    ReferenceStretch(expected, c.dstRect, c.clip, src, c.srcRect, resampler.Kernel());
    ASSERT_EQ(Grid(actual), Grid(expected)) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
  }
}

TEST(KernelResampler, ScalarAndVectorPassesAgree) {
  if (!resample::HaveAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937 rng(5);
  for (int count : {1, 2, 7, 31}) {
    for (size_t n : {4u, 60u, 64u, 132u, 256u, 1000u}) {
      std::vector<std::vector<uint8_t>> data(size_t(count), std::vector<uint8_t>(n, 0));
      std::vector<const uint8_t*> rows;
      std::vector<int32_t> weights;
      for (auto& row : data) {
        for (auto& b : row) b = uint8_t(rng());
        rows.push_back(row.data());
        weights.push_back(int32_t(rng() % 1200) - 600);
      }
      std::vector<int32_t> scalar(n), vector(n);
      resample::VerticalPassScalar(rows.data(), weights.data(), count, scalar.data(), n);
      resample::VerticalPassAvx2(rows.data(), weights.data(), count, vector.data(), n);
      ASSERT_EQ(scalar, vector) << count << " rows of " << n;
      if (resample::HaveAvx512()) {
        std::vector<int32_t> wide(n);
        resample::VerticalPassAvx512(rows.data(), weights.data(), count, wide.data(), n);
        ASSERT_EQ(scalar, wide) << count << " rows of " << n << " (AVX-512)";
      }
    }
  }
  if (resample::HaveAvx512()) {
    for (int quads : {1, 3, 10}) {
      for (size_t n : {64u, 100u, 1000u}) {
        std::vector<std::vector<uint8_t>> data(size_t(4 * quads), std::vector<uint8_t>(n, 0));
        std::vector<const uint8_t*> rows;
        for (auto& row : data) {
          for (auto& b : row) b = uint8_t(rng());
          rows.push_back(row.data());
        }
        std::vector<uint32_t> wa(static_cast<size_t>(quads)), wb(static_cast<size_t>(quads));
        for (auto& w : wa) w = rng();
        for (auto& w : wb) w = rng();
        std::vector<int32_t> sa(n), sb(n), va(n), vb(n);
        resample::VerticalQuadsScalar(rows.data(), quads, wa.data(), wb.data(), sa.data(),
                                      sb.data(), n);
        resample::VerticalQuadsAvx512(rows.data(), quads, wa.data(), wb.data(), va.data(),
                                      vb.data(), n);
        ASSERT_EQ(sa, va) << quads << " quads of " << n;
        ASSERT_EQ(sb, vb) << quads << " quads of " << n;
      }
    }
    // The quads give the same sums as the plain pass with the weights laid out one per row.
    std::vector<std::vector<uint8_t>> data(8, std::vector<uint8_t>(64, 0));
    std::vector<const uint8_t*> rows;
    for (auto& row : data) {
      for (auto& b : row) b = uint8_t(rng());
      rows.push_back(row.data());
    }
    const int32_t plain[8] = {-128, 127, 0, 5, -3, 90, 1, -77};
    uint32_t packed[2] = {};
    for (int k = 0; k < 8; ++k)
      packed[k / 4] |= uint32_t(uint8_t(int8_t(plain[k]))) << (8 * (k % 4));
    std::vector<int32_t> viaQuads(64), viaRows(64), ignored(64);
    resample::VerticalQuadsAvx512(rows.data(), 2, packed, packed, viaQuads.data(), ignored.data(),
                                  64);
    resample::VerticalPassScalar(rows.data(), plain, 8, viaRows.data(), 64);
    EXPECT_EQ(viaQuads, viaRows);
  }
  std::vector<int32_t> sums(4 * 50);
  for (auto& s : sums) s = int32_t(rng() % 0x1800000) - 0x400000;
  std::vector<resample::DenseList> lists;
  std::vector<int32_t> weights;
  for (int32_t x = 0; x < 20; ++x) {
    const int32_t count = 1 + x % 9;
    lists.push_back({x, count, weights.size()});
    for (int32_t k = 0; k < count; ++k) weights.push_back(int32_t(rng() % 300) - 40);
  }
  std::vector<TColor32> a(20), b(20), c(20), d(20);
  resample::HorizontalPassScalar<true>(sums.data(), lists.data(), weights.data(), 20, a.data());
  resample::HorizontalPassAvx2<true>(sums.data(), lists.data(), weights.data(), 20, b.data());
  resample::HorizontalPassScalar<false>(sums.data(), lists.data(), weights.data(), 20, c.data());
  resample::HorizontalPassAvx2<false>(sums.data(), lists.data(), weights.data(), 20, d.data());
  EXPECT_EQ(a, b);
  EXPECT_EQ(c, d);
  if (resample::HaveAvx512()) {
    resample::HorizontalPassAvx512<true>(sums.data(), lists.data(), weights.data(), 20, b.data());
    resample::HorizontalPassAvx512<false>(sums.data(), lists.data(), weights.data(), 20, d.data());
    EXPECT_EQ(a, b);
    EXPECT_EQ(c, d);
  }
}

TEST(KernelResampler, KernelModeAndTableSizeChangeNoPixel) {
  TBitmap32 src, first, second;
  FillRandom(src, 97, 55, 11);
  auto& r = Lanczos(src);
  first.Resize(31, 20);
  first.StretchFrom(first.FullRect(), src.FullRect(), &src);
  r.SetKernelMode(TKernelMode::kmTableLinear);
  r.SetTableSize(-4);
  EXPECT_EQ(r.TableSize(), 2);
  second.Resize(31, 20);
  second.StretchFrom(second.FullRect(), src.FullRect(), &src);
  EXPECT_EQ(Grid(first), Grid(second));
}

TEST(KernelResampler, PropertiesNotifyTheBitmapAndKernelsSwapByName) {
  TBitmap32 bitmap;
  int changes = 0;
  bitmap.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  auto& r = TBitmap32Resampler::Create<TKernelResampler>(bitmap);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(r.KernelClassName(), "TBoxKernel");
  EXPECT_EQ(r.KernelMode(), TKernelMode::kmDynamic);
  EXPECT_EQ(r.TableSize(), 32);
  EXPECT_EQ(r.PixelAccessMode(), TPixelAccessMode::pamSafe);
  r.SetKernelClassName("TLanczosKernel");
  EXPECT_EQ(r.KernelClassName(), "TLanczosKernel");
  EXPECT_EQ(changes, 2);
  r.SetKernelClassName("TNoSuchKernel");
  r.SetKernelClassName("TLanczosKernel");
  EXPECT_EQ(r.KernelClassName(), "TLanczosKernel");
  EXPECT_EQ(changes, 2);
  static_cast<TLanczosKernel&>(r.Kernel()).SetWidth(2.0f);  // kernel parameters notify nobody
  r.SetTableSize(64);
  r.SetKernelMode(TKernelMode::kmTableNearest);
  EXPECT_EQ(changes, 4);
}
