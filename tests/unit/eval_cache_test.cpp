// The evaluation, pawn and shelter caches give what a fresh evaluation gives.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/makemove.h"
#include "board/position.h"
#include "eval/eval.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/pawn_structure.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

// Plays one random legal move; false when there is none.
bool random_move() {
  gen();
  int legal[256], n = 0;
  for (int i = first_move[ply]; i < first_move[ply + 1] && n < 256; ++i)
    if (makemove(gen_dat[i].m.b)) {
      legal[n++] = i;
      takeback();
    }
  if (n == 0) return false;
  return makemove(gen_dat[legal[std::rand() % n]].m.b);
}

}  // namespace

TEST(EvalCache, RepeatedPositionComesFromTheHash) {
  set_position("r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9");
  EXPECT_EQ(probe_eval(), NO_EVAL);
  const int v = eval();
  EXPECT_EQ(probe_eval(), v);
  EXPECT_EQ(eval(), v);
  EXPECT_EQ(pawn_probe_eval(), evaluate_pawns());
}

// Along random games every cached value must equal the fresh one: first
// with the pawn and shelter caches warm, then with nothing cached at all.
TEST(EvalCache, CachedEqualsFresh) {
  std::srand(777);
  for (int game = 0; game < 4; ++game) {
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int n = 0; n < 100 && random_move(); ++n) {
      const int warm = eval();
      ASSERT_EQ(eval(), warm);
      clear_eval_caches(true, false, false);
      ASSERT_EQ(eval(), warm) << "pawn or shelter cache, game " << game << " ply " << n;
      clear_eval_caches(true, true, true);
      ASSERT_EQ(eval(), warm) << "game " << game << " ply " << n;
    }
  }
}
