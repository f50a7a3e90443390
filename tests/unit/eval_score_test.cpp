// The packed opening/endgame score and the tapering blends.
#include <gtest/gtest.h>

#include "eval/score.h"

TEST(EvalScore, PacksBothHalvesWithBorrow) {
  EXPECT_EQ(make_score(-35, -72), -2293832);
  EXPECT_EQ(static_cast<std::uint32_t>(make_score(-35, -72)), 0xFFDCFFB8u);
  EXPECT_EQ(mg_value(make_score(-35, -72)), -35);
  EXPECT_EQ(eg_value(make_score(-35, -72)), -72);
  for (int mg : {-32768, -1000, -1, 0, 1, 77, 32767})
    for (int eg : {-32768, -500, -1, 0, 1, 93, 32767}) {
      EXPECT_EQ(mg_value(make_score(mg, eg)), mg) << mg << "," << eg;
      EXPECT_EQ(eg_value(make_score(mg, eg)), eg) << mg << "," << eg;
    }
}

TEST(EvalScore, AddsSubtractsAndScalesAsPairs) {
  const Score a = make_score(9, -3), b = make_score(-14, 5);
  EXPECT_EQ(a + b, make_score(-5, 2));
  EXPECT_EQ(a - b, make_score(23, -8));
  EXPECT_EQ(2 * b, make_score(-28, 10));
  EXPECT_EQ(-a, make_score(-9, 3));
}

TEST(EvalScore, BlendsTruncateTowardZero) {
  EXPECT_EQ(interpolate(100, 20, 64), 100);
  EXPECT_EQ(interpolate(100, 20, 0), 20);
  EXPECT_EQ(interpolate(1, 0, 32), 0);    // 32 / 64
  EXPECT_EQ(interpolate(-1, 0, 32), 0);   // -32 / 64, not -1
  EXPECT_EQ(interpolate(-101, -3, 10), -(101 * 10 + 3 * 54) / 64);
  EXPECT_EQ(interpolatePasser(60, 100, 32), 60);
  EXPECT_EQ(interpolatePasser(60, 100, 0), 100);
  EXPECT_EQ(interpolatePasser(-7, -9, 16), -8);
  EXPECT_EQ(interpolatePasser(-7, -8, 16), -7);  // -7.5 truncates to -7
}
