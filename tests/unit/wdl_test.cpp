// The win/draw/loss model: per mille that sum to 1000, a win that grows and a
// loss that shrinks with the score, the loss for s the win for -s, and
// certain results for mate scores, at every material the model reads.
#include "search/wdl.h"

#include <gtest/gtest.h>

#include "search/search_tables.h"

TEST(WdlModel, ChancesAreConsistentAndMatesCertainAtEveryMaterial) {
  for (int material = 0; material <= 80; material += 4) {
    Wdl before = wdl_of(-3000, material);
    for (int score = -3000; score <= 3000; score += 10) {
      const Wdl wdl = wdl_of(score, material);
      const Wdl mirrored = wdl_of(-score, material);
      ASSERT_EQ(wdl.win + wdl.draw + wdl.loss, 1000) << score << " " << material;
      ASSERT_TRUE(wdl.win >= 0 && wdl.draw >= 0 && wdl.loss >= 0) << score << " " << material;
      ASSERT_TRUE(wdl.win >= before.win && wdl.loss <= before.loss) << score << " " << material;
      ASSERT_TRUE(wdl.loss == mirrored.win && wdl.draw == mirrored.draw) << score << " " << material;
      before = wdl;
    }
    // Level scores draw more often than they decide; big ones are all but settled.
    const Wdl level = wdl_of(0, material);
    EXPECT_EQ(level.win, level.loss);
    EXPECT_GT(wdl_of(1500, material).win, 900) << material;
    const Wdl mating = wdl_of(MATE_VALUE - 3, material), mated = wdl_of(-MATE_VALUE + 2, material);
    EXPECT_TRUE(mating.win == 1000 && mating.draw == 0 && mating.loss == 0) << material;
    EXPECT_TRUE(mated.win == 0 && mated.draw == 0 && mated.loss == 1000) << material;
  }
}
