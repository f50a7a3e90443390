// Playing at a level: the numbers of each level, and a weakened search's
// drawn values that stay in their ranges and go when the play ends.
#include "search/strength.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "eval/weights.h"
#include "options/options.h"
#include "test_support.h"

TEST(Strength, WeakeningFadesAsTheLevelRises) {
  std::int64_t budget = 0;
  int chance = 101;
  PercentRange range{0, 100000};
  for (int elo = kWeakestElo; elo < kFullStrengthElo; elo += 25) {
    ASSERT_GT(strength_node_budget(elo), budget) << elo;
    ASSERT_LE(strength_piece_draw_chance(elo), chance) << elo;
    const PercentRange now = strength_weight_range(elo);
    ASSERT_TRUE(now.lo >= range.lo && now.hi <= range.hi && now.lo <= 100 && now.hi >= 100) << elo;
    budget = strength_node_budget(elo);
    chance = strength_piece_draw_chance(elo);
    range = now;
  }
  // The weakest level draws as wildly as ever; from full strength up nothing
  // is drawn and nothing limits the search. Levels below the range are the weakest.
  EXPECT_TRUE(strength_weight_range(kWeakestElo).lo == 25 && strength_weight_range(kWeakestElo).hi == 1000);
  EXPECT_EQ(strength_node_budget(0), strength_node_budget(kWeakestElo));
  for (const int elo : {kFullStrengthElo, kStrongestElo, 5000}) {
    EXPECT_TRUE(strength_weight_range(elo).lo == 100 && strength_weight_range(elo).hi == 100);
    EXPECT_TRUE(strength_piece_draw_chance(elo) == 0 && strength_node_budget(elo) == 0);
  }
}

TEST(Strength, DrawnValuesStayInRangeAndGoWhenPlayEnds) {
  engine_setup();
  const int queen = OptionUci.queen_value_op, knight = OptionUci.knight_value_en;
  const int mobility = mobilityWeight, king_attack = kingAttackWeight;
  std::srand(7);
  for (const int elo : {kWeakestElo, 1700, kStrongestElo}) {
    OptionUci.elo = elo;
    const PercentRange range = strength_weight_range(elo);
    for (int search = 0; search < 50; ++search) {
      RandomizeEvalFeatures();
      ASSERT_TRUE(OptionUci.queen_value_op >= 500 && OptionUci.queen_value_op <= 1500);
      ASSERT_TRUE(OptionUci.knight_value_en >= 200 && OptionUci.knight_value_en <= 500);
      ASSERT_TRUE(mobilityWeight >= range.lo && mobilityWeight <= range.hi) << mobilityWeight;
      ASSERT_TRUE(passedPawnWeightEn >= range.lo && passedPawnWeightEn <= range.hi) << passedPawnWeightEn;
    }
    if (elo == kStrongestElo) {
      EXPECT_TRUE(OptionUci.queen_value_op == queen && mobilityWeight == mobility);
    }
  }
  // At full strength a weight of the user's own stays as it is.
  OptionSet("MobilityWeight", "150");
  RandomizeEvalFeatures();
  EXPECT_EQ(mobilityWeight, 150);
  OptionSet("MobilityWeight", "100");
  end_weakened_play();
  EXPECT_TRUE(OptionUci.queen_value_op == queen && OptionUci.knight_value_en == knight);
  EXPECT_TRUE(mobilityWeight == mobility && kingAttackWeight == king_attack);
  EXPECT_STREQ(OptionGetString("MobilityWeight"), "100");
}
