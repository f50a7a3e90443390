// Knights, bishops, rooks and queens: placement bonuses, mobility and the
// attack record.
#include <gtest/gtest.h>

#include "board/position.h"
#include "eval/eval.h"
#include "eval/eval_state.h"
#include "eval/pieces.h"
#include "test_support.h"

namespace {

// Loads the position and evaluates it, so that the attack record is complete.
void evaluate(const char* fen) {
  set_position(fen);
  eval();
}

}  // namespace

TEST(EvalPieces, KnightPlacement) {
  evaluate("4k3/8/8/8/8/8/8/3NK3 w - - 0 1");  // next to its king
  EXPECT_EQ(eval_knight(WHITE), 0);
  evaluate("4k3/8/8/8/8/8/8/N3K3 w - - 0 1");  // four squares away
  EXPECT_EQ(eval_knight(WHITE), -3 * make_score(1, 4));
  evaluate("4k3/8/8/8/8/3P4/3N4/4K3 w - - 0 1");  // behind its pawn
  EXPECT_EQ(eval_knight(WHITE), make_score(4, 2));
}

TEST(EvalPieces, Outposts) {
  evaluate("4k3/8/8/4N3/3P1K2/8/8/8 w - - 0 1");
  EXPECT_EQ(eval_knight(WHITE), 2 * make_score(14, 5));
  evaluate("4k3/8/8/4N3/5K2/8/8/8 w - - 0 1");
  EXPECT_EQ(eval_knight(WHITE), 2 * make_score(9, 3));
  evaluate("4k3/5p2/8/4N3/3P1K2/8/8/8 w - - 0 1");  // f7 can still chase it
  EXPECT_EQ(eval_knight(WHITE), 0);
  evaluate("4k3/8/8/8/3P1K2/4N3/8/8 w - - 0 1");  // not in the enemy half
  EXPECT_EQ(eval_knight(WHITE), 0);
  evaluate("8/8/8/3p1k2/4n3/8/8/4K3 b - - 0 1");  // Black's outpost on e4
  EXPECT_EQ(eval_knight(BLACK), 2 * make_score(14, 5));
  evaluate("4k3/8/8/4B3/3P1K2/8/8/8 w - - 0 1");
  EXPECT_EQ(eval_bishop(WHITE), 2 * make_score(6, 2) + make_score(9, 0));  // also on the long diagonal
}

TEST(EvalPieces, BishopOnTheLongDiagonal) {
  evaluate("4k3/8/8/8/8/2B5/8/4K3 w - - 0 1");  // sees d4 and e5
  EXPECT_EQ(eval_bishop(WHITE), make_score(9, 0) - make_score(1, 2));
  evaluate("4k3/8/8/8/3P4/2B5/8/4K3 w - - 0 1");  // its own pawn on d4 blocks it
  EXPECT_EQ(eval_bishop(WHITE), -make_score(1, 2));
  evaluate("4k3/8/8/8/3B4/8/8/4K3 w - - 0 1");  // d4 itself counts
  EXPECT_EQ(eval_bishop(WHITE), make_score(9, 0) - 2 * make_score(1, 2) + 2 * make_score(4, 1));
}

TEST(EvalPieces, RookFiles) {
  evaluate("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  EXPECT_EQ(eval_rook(WHITE), make_score(32, 16));
  evaluate("4k3/8/p7/8/8/8/8/R3K3 w - - 0 1");
  EXPECT_EQ(eval_rook(WHITE), make_score(16, 4));
  evaluate("4k3/8/p7/8/8/8/P7/R3K3 w - - 0 1");
  EXPECT_EQ(eval_rook(WHITE), 0);
  evaluate("4k3/8/8/R6p/8/8/P7/4K3 w - - 0 1");  // fifth rank with an enemy pawn on it
  EXPECT_EQ(eval_rook(WHITE), make_score(4, 9));
}

TEST(EvalPieces, PinnedQueen) {
  evaluate("3r2k1/8/8/8/8/8/3N4/3QK3 w - - 0 1");
  EXPECT_EQ(eval_queen(WHITE), -make_score(12, 3));
  evaluate("3r2k1/8/8/8/8/8/8/3QK3 w - - 0 1");
  EXPECT_EQ(eval_queen(WHITE), 0);
  evaluate("6k1/8/8/b7/8/8/3N4/4QK2 w - - 0 1");  // along a diagonal
  EXPECT_EQ(eval_queen(WHITE), -make_score(12, 3));
}

TEST(EvalPieces, Mobility) {
  evaluate("4k3/8/8/8/8/8/8/N3K3 w - - 0 1");  // b3 and c2
  EXPECT_EQ(compact_mob[WHITE], make_score(-9, -11));
  evaluate("4k3/8/8/8/p7/8/8/N3K3 w - - 0 1");  // a black pawn covers b3
  EXPECT_EQ(compact_mob[WHITE], make_score(-22, -24));
  evaluate("4k3/8/8/8/8/8/2P5/N3K3 w - - 0 1");  // a pawn on its second rank does not count
  EXPECT_EQ(compact_mob[WHITE], make_score(-22, -24));
  // A queen avoids squares the enemy rooks attack: c1, c2, f3 and d8 drop out of 17.
  evaluate("2r1kr2/8/8/8/8/8/8/3QK3 w - - 0 1");
  EXPECT_EQ(compact_mob[WHITE], make_score(23, 41));
}

TEST(EvalPieces, KingZoneNeedsEnoughMaterial) {
  evaluate("4k3/8/8/8/8/8/8/RN2K3 w - - 0 1");  // 815 is below rook + knight
  EXPECT_EQ(evalref.king_zone[BLACK], 0u);
  evaluate("4k3/8/8/8/8/8/8/RB2K3 w - - 0 1");
  EXPECT_NE(evalref.king_zone[BLACK], 0u);
  // The zone reaches one rank further toward the attacker.
  EXPECT_EQ(popCount(evalref.king_zone[BLACK]), 5 + 3);
}

TEST(EvalPieces, KingZoneAttackers) {
  evaluate("4k3/8/8/3N4/8/8/8/R3K2B w - - 0 1");
  EXPECT_EQ(evalref.king_attackers[WHITE], 1);  // the knight reaches e7 and f6; the bishop sees e4 only
  EXPECT_EQ(evalref.king_attack_weight[WHITE], 77);
  EXPECT_EQ(evalref.king_zone_hits[WHITE], 1);  // e7
}

TEST(EvalPieces, BishopPairAndColour) {
  evaluate("4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1");
  score = op_score = en_score = 0;
  eval_bishop_colours();
  EXPECT_EQ(score, 50);
  // A dark-squared bishop with four pawns on dark squares.
  evaluate("4k3/8/8/8/8/P1P5/1P1P4/2B1K3 w - - 0 1");
  score = op_score = en_score = 0;
  eval_bishop_colours();
  EXPECT_EQ(score, 0);
  EXPECT_EQ(op_score, -12);
  EXPECT_EQ(en_score, -9);
  // Two bishops of one colour: neither term.
  evaluate("4k3/8/8/8/8/8/1B6/2B1K3 w - - 0 1");
  score = op_score = en_score = 0;
  eval_bishop_colours();
  EXPECT_EQ(score | op_score | en_score, 0);
}
