// Known endgames: draw divisors, the wrong bishop, mating patterns and
// opposite-coloured bishops.
#include <gtest/gtest.h>

#include "board/position.h"
#include "eval/endgame.h"
#include "eval/eval.h"
#include "eval/eval_state.h"
#include "test_support.h"

namespace {

// The divisor the whole evaluation ends up with.
int divisor_of(const char* fen) {
  set_position(fen);
  eval();
  return draw_divisor;
}

// The mating bonus alone, white-relative.
int mating_bonus(const char* fen) {
  set_position(fen);
  eval();
  score = 0;
  EXPECT_EQ(EvaluateEnding(), 0);
  return score;
}

}  // namespace

TEST(EvalEndgame, DrawishMaterialIsScaledDown) {
  EXPECT_EQ(divisor_of("8/8/4k3/8/8/3K4/8/8 w - - 0 1"), 64);
  EXPECT_EQ(divisor_of("8/8/4k3/8/8/3KB3/8/8 b - - 0 1"), 64);
  EXPECT_EQ(divisor_of("8/8/3nnk2/8/8/3K4/8/8 w - - 0 1"), 64);
  EXPECT_EQ(divisor_of("3r4/8/4k3/8/8/3KB3/8/4R3 w - - 0 1"), 8);
  EXPECT_EQ(divisor_of("8/8/4k3/8/8/3K4/1p6/5N2 w - - 0 1"), 8);
  EXPECT_EQ(divisor_of("8/8/2r1k3/4p3/5b2/3K4/8/Q7 w - - 0 1"), 8);
  EXPECT_EQ(divisor_of("8/8/4k3/8/8/3K4/8/R7 w - - 0 1"), 1);  // a win
  set_position("8/8/4k3/8/8/3KB3/8/8 b - - 0 1");
  EXPECT_LE(std::abs(eval()), 10);
}

TEST(EvalEndgame, MinorAndPawnAgainstMinorOnlyForWhite) {
  EXPECT_EQ(divisor_of("4k1n1/8/8/8/8/8/4P3/2B1K3 w - - 0 1"), 8);
  EXPECT_EQ(divisor_of("2b1k3/4p3/8/8/8/8/8/4K1N1 b - - 0 1"), 1);
}

TEST(EvalEndgame, WrongBishopWithARookPawn) {
  EXPECT_EQ(divisor_of("8/8/2k5/P7/8/3K4/2B5/8 w - - 0 1"), 1);    // c2 controls a8
  EXPECT_EQ(divisor_of("8/8/2k5/P7/8/3K4/8/2B5 w - - 0 1"), 64);   // c1 does not
  EXPECT_EQ(divisor_of("8/8/8/P5k1/8/3K4/8/4B3 w - - 0 1"), 1);    // unless the pawn runs home
  EXPECT_EQ(divisor_of("8/6k1/8/7P/8/3K4/8/2B5 w - - 0 1"), 1);    // h8 is dark
  EXPECT_EQ(divisor_of("8/6k1/8/7P/8/3K4/2B5/8 w - - 0 1"), 64);
  EXPECT_EQ(divisor_of("2b5/8/3k4/8/p7/2K5/8/8 b - - 0 1"), 64);   // Black: a1 is dark
  EXPECT_EQ(divisor_of("8/2b5/3k4/8/p7/2K5/8/8 b - - 0 1"), 1);
  EXPECT_EQ(divisor_of("8/3p4/2k5/P7/8/3K4/8/2B5 w - - 0 1"), 64);  // also against a pawn
  EXPECT_EQ(divisor_of("8/3k4/8/1P6/8/3K4/8/2B5 w - - 0 1"), 1);   // not a rook pawn
}

TEST(EvalEndgame, BishopAndKnightMateInTheBishopsCorner) {
  EXPECT_EQ(mating_bonus("k7/8/2K5/8/8/8/8/4NB2 w - - 0 1"), 200);   // light bishop, king on a8
  EXPECT_EQ(mating_bonus("8/8/8/8/8/2K5/8/k3NB2 w - - 0 1"), -200);  // a1 is the wrong corner
  EXPECT_EQ(mating_bonus("k7/8/2K5/8/8/8/8/4BN2 w - - 0 1"), -200);  // dark bishop
  EXPECT_EQ(mating_bonus("4nb2/8/8/8/8/8/2k5/K7 b - - 0 1"), -200);  // Black mates on a1
}

TEST(EvalEndgame, QueenAgainstRookDrivesToTheCorner) {
  EXPECT_EQ(mating_bonus("k7/8/1K6/8/8/8/3Q4/7r w - - 0 1"), 100 + 100);
  EXPECT_EQ(mating_bonus("8/8/4k3/8/2r5/8/3K4/Q7 b - - 0 1"), 60 + 30);
  EXPECT_EQ(mating_bonus("7R/3q4/8/8/8/1k6/8/K7 b - - 0 1"), -200);
}

TEST(EvalEndgame, OppositeColouredBishops) {
  set_position("4k3/p7/8/8/8/8/PP6/2B1Kb2 w - - 0 1");
  eval();
  EXPECT_EQ(opposite_bishops(), -50);
  set_position("4k3/p7/8/6b1/8/8/PP6/2B1K3 w - - 0 1");  // same colour
  eval();
  EXPECT_EQ(opposite_bishops(), 0);
  set_position("4k3/8/8/8/8/8/PP6/2B1Kb2 w - - 0 1");  // two pawns apart
  eval();
  EXPECT_EQ(opposite_bishops(), 0);
}

TEST(EvalEndgame, NewKeysReplaceTheOldEntries) {
  set_position("8/8/4k3/8/8/3K4/8/8 w - - 0 1", 1);
  const std::size_t entries = knownEndgames.size();
  EXPECT_EQ(entries, 51u);
  set_position("8/8/4k3/8/8/3K4/8/8 w - - 0 1", 2);
  EXPECT_EQ(knownEndgames.size(), entries);
  eval();
  EXPECT_EQ(draw_divisor, 64);
}
