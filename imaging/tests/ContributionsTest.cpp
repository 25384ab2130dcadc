#include "Contributions.h"
#include "Kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using namespace lumvale;

namespace {

TContributionTable Build(int32_t src, int32_t dst, float width = 3.0f) {
  TLanczosKernel kernel;
  kernel.SetWidth(width);
  auto table = BuildContributions(0, dst, 0, dst, 0, src, kernel);
  EXPECT_TRUE(table.has_value());
  return table.value_or(TContributionTable{});
}

int32_t Sum(const TContributionList& list) {
  return std::accumulate(list.begin(), list.end(), 0,
                         [](int32_t s, const TContribution& c) { return s + c.Weight; });
}

}  // namespace

TEST(LanczosKernel, ValuesAndSupport) {
  TLanczosKernel k;
  EXPECT_EQ(k.Width(), 3.0f);
  EXPECT_EQ(k.SupportWidth(), 3.0f);
  EXPECT_TRUE(k.ClampsOutput());
  EXPECT_EQ(k.Evaluate(0.0f), 1.0f);
  EXPECT_EQ(k.Evaluate(3.0f), 0.0f);
  EXPECT_EQ(k.Evaluate(-7.5f), 0.0f);
  // sinc vanishes at the integers, up to the rounding of pi x to single.
  EXPECT_NEAR(k.Evaluate(1.0f), 0.0f, 1e-7);
  for (float x : {0.25f, 0.5f, 1.5f, -2.75f}) {
    const double ax = std::fabs(double(x)), pi = 3.14159265358979323846;
    const double expected = std::sin(pi * ax) / (pi * ax) * std::sin(pi * ax / 3) / (pi * ax / 3);
    EXPECT_NEAR(k.Evaluate(x), expected, 1e-6) << x;
  }
  EXPECT_FALSE(TBoxKernel().ClampsOutput());
  EXPECT_EQ(TBoxKernel().Evaluate(0.5f), 1.0f);
  EXPECT_EQ(TBoxKernel().Evaluate(0.51f), 0.0f);
}

TEST(BuildContributions, WorkedExamples) {
  const TContributionTable four = Build(4, 2);
  ASSERT_EQ(four.size(), 2u);
  const TContributionList fourExpected = {{0, 1},   {0, 4},  {0, -9},  {0, -17}, {0, 35}, {0, 114},
                                          {1, 114}, {2, 35}, {3, -17}, {3, -9},  {3, 4},  {3, 1}};
  EXPECT_EQ(four[0], fourExpected);

  const TContributionTable three = Build(3, 2);
  const TContributionList threeExpected = {{0, 1},   {0, 4},   {0, -23}, {0, 29}, {0, 162},
                                           {1, 104}, {2, -18}, {2, -7},  {2, 4}};
  EXPECT_EQ(three[0], threeExpected);
}

TEST(BuildContributions, EveryListSumsTo256InsideTheSource) {
  const struct {
    int32_t src, dst;
  } cases[] = {{4, 2},      {3, 2},      {4, 3},      {7, 3},  {100, 99},
               {4000, 800}, {3000, 600}, {3264, 799}, {5, 1},  {2, 1},
               {1000, 7},   {600, 2},    {2, 5},      {3, 10}, {100, 101}};
  for (const auto& c : cases) {
    const TContributionTable table = Build(c.src, c.dst);
    ASSERT_EQ(table.size(), size_t(c.dst));
    for (size_t i = 0; i < table.size(); ++i) {
      ASSERT_FALSE(table[i].empty());
      EXPECT_EQ(Sum(table[i]), 256) << c.src << " -> " << c.dst << " at " << i;
      for (const TContribution& e : table[i]) {
        EXPECT_GE(e.SourceIndex, 0);
        EXPECT_LT(e.SourceIndex, c.src);
      }
    }
  }
}

TEST(BuildContributions, StrongShrinkPutsTheExcessInTheMiddle) {
  // 256 x 1/300 < 1.5: every non-zero weight rounds to 1, so the correction lands at k div 2.
  const TContributionTable table = Build(300, 1);
  const TContributionList& list = table[0];
  ASSERT_GT(list.size(), 256u);
  const size_t mid = (list.size() - 1) / 2;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i != mid) {
      EXPECT_EQ(list[i].Weight, 1) << i;
    }
  }
  EXPECT_EQ(list[mid].Weight, 256 - int32_t(list.size() - 1));
  EXPECT_LT(list[mid].Weight, -50);
  EXPECT_EQ(Sum(list), 256);
}

TEST(BuildContributions, ShrinkTo1Of512FallsBackToPointSampling) {
  const TContributionTable table = Build(2048, 3);
  ASSERT_EQ(table.size(), 3u);
  const int32_t expected[] = {340, 1023, 1706};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(table[i], (TContributionList{{expected[i], 256}})) << i;
  }
}

TEST(BuildContributions, DegenerateSpans) {
  TLanczosKernel kernel;
  EXPECT_FALSE(BuildContributions(0, 5, 0, 5, 3, 3, kernel).has_value());
  const auto one = BuildContributions(0, 4, 0, 4, 7, 8, kernel);
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(*one, TContributionTable(4, TContributionList{{7, 256}}));
  const auto none = BuildContributions(0, 0, 0, 0, 0, 10, kernel);
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());
}

TEST(BuildContributions, ClipSelectsListsOfTheDestination) {
  TLanczosKernel kernel;
  const auto whole = BuildContributions(0, 50, 0, 50, 0, 173, kernel);
  const auto part = BuildContributions(0, 50, 10, 20, 0, 173, kernel);
  ASSERT_TRUE(whole && part);
  ASSERT_EQ(part->size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ((*part)[i], (*whole)[10 + i]);
}
