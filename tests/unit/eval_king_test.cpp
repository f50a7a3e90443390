// King safety: pawn shelter and storm, its cache, and the danger term.
#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/options.h"
#include "engine/uci.h"
#include "eval/eval.h"
#include "eval/eval_hash.h"
#include "eval/eval_state.h"
#include "eval/king_safety.h"
#include "eval/weights.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

constexpr int G1 = 62, G3 = 46, G8 = 6, H1 = 63;

void evaluate(const char* fen) {
  set_position(fen);
  eval();
}

void play(const char* text) {
  const int i = parse_move(text);
  ASSERT_GE(i, 0) << text;
  ASSERT_TRUE(makemove(gen_dat[i].m.b)) << text;
}

// The king term at the default weight: both halves scaled by 7000 / 25600.
Score scaled(int mg, int eg) { return make_score(mg * 7000 / 25600, 7000 * eg / 25600); }

}  // namespace

TEST(EvalKingShelter, ShelterAndStorm) {
  set_position("6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1");
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(G1), 5 + 75 + 61 + 81 - (4 + 44 + 89));
  // g3 is blocked by g2: a flat 66 instead of the storm table.
  set_position("6k1/8/8/8/8/6p1/5PPP/6K1 w - - 0 1");
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(G1), 5 + 75 + 61 + 81 - (4 + 66 + 89));
  // An enemy pawn right in front of a cornered king.
  set_position("7k/8/8/8/8/8/6Pp/7K w - - 0 1");
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(H1), 374 - 10 - 4 + 61 - 44 - 6 - 107);
  // Pawns behind the king neither shelter nor storm.
  set_position("6k1/8/8/8/8/6K1/5PPP/8 w - - 0 1");
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(G3), 5 - 10 - 43 - 6 - (4 + 44 + 89));
  // Black is mirrored.
  set_position("6k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(PawnShelterAndStorm<BLACK>(G8), 85);
}

TEST(EvalKingShelter, WeightsScaleShelterAndStorm) {
  set_position("6k1/8/8/8/8/6p1/5PPP/6K1 w - - 0 1");
  OptionSet("KingShelterWeight", "50");
  OptionSet("PawnStormWeight", "200");
  OptionUpdate();
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(G1), 5 + 75 / 2 + 61 / 2 + 81 / 2 - 2 * (4 + 66 + 89));
  OptionSet("KingShelterWeight", "100");
  OptionSet("PawnStormWeight", "100");
  OptionUpdate();
  EXPECT_EQ(PawnShelterAndStorm<WHITE>(G1), 5 + 75 + 61 + 81 - (4 + 66 + 89));
}

// The cache entry must not hand out a value computed for other pawns.
TEST(EvalKingShelter, CacheFollowsPawnMoves) {
  set_position("6k1/5ppp/8/7P/8/8/5PP1/6K1 w - - 0 1");
  eval();
  EXPECT_EQ(king_safety[BLACK], 108);
  play("h5h6");  // blocked by h7 on the third rank now, while the black king stays
  eval();
  EXPECT_EQ(king_safety[BLACK], 135);
  EXPECT_EQ(king_safety[WHITE], PawnShelterAndStorm<WHITE>(G1));
  takeback();
  clear_eval_caches(true, false, false);  // evaluate again, through the shelter cache
  eval();
  EXPECT_EQ(king_safety[BLACK], 108);
}

TEST(EvalKingDanger, QuietKing) {
  evaluate("6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_king_safety(WHITE), scaled(85, 0));
  // No pawns on the king's flank.
  evaluate("6k1/8/8/8/8/8/P7/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_king_safety(WHITE), scaled(5 - 59 - 137 - 18, -94));
  // A rook that sweeps e1-e5: five attacked squares of the flank, one
  // attacker and no queen, so no danger term yet.
  evaluate("4r1k1/8/8/8/8/8/5PPP/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_king_safety(WHITE), scaled(85 - 5 * 7, 0));
}

TEST(EvalKingDanger, QueenWithASafeCheck) {
  // The queen on d3: one attacker (weight 10, one hit on f1), a safe check on
  // d1 or b1, f1 weak in the zone, eight attacked flank squares, queen
  // mobility 21 against none: danger = 780 + 10 + 69 + 185 + 64 / 4
  // - 6 * 85 / 8 + 25 - 30 = 992.
  evaluate("k7/8/8/8/8/3q4/5PPP/6K1 w - - 0 1");
  const int danger = 992;
  EXPECT_EQ(evaluate_king_safety(WHITE), scaled(85 - danger * danger / 4096 - 8 * 7, -danger / 16));
  // A rook alone is one attacker without a queen: only the shelter and the
  // four attacked flank squares of the third rank count.
  evaluate("k7/8/8/8/8/3r4/5PPP/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_king_safety(WHITE), scaled(85 - 4 * 7, 0));
}

TEST(EvalKingDanger, ZeroWeightRemovesTheTerm) {
  evaluate("r5k1/5ppp/8/8/5n2/8/5PPP/2q3K1 w - - 0 1");
  kingAttackWeight = 0;
  EXPECT_EQ(evaluate_king_safety(WHITE), 0);
  EXPECT_EQ(evaluate_king_safety(BLACK), 0);
  kingAttackWeight = 100;
}
