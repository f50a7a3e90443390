// Pawn structure, passed pawns and the pawn rules of the evaluation.
#include <gtest/gtest.h>

#include "board/position.h"
#include "eval/eval.h"
#include "eval/eval_state.h"
#include "eval/passed_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/pawns.h"
#include "test_support.h"

namespace {

// Loads the position and runs one side's pawn rules on a fresh evaluation state.
void pawn_rules(const char* fen, int us) {
  set_position(fen);
  eval();
  score = en_score = 0;
  draw_divisor = 1;
  passedPawn[us] = 0;
  wUcPasserCnt = bUcPasserCnt = 0;
  eval_pawn_loop(us);
}

int structure(const char* fen) {
  set_position(fen);
  return evaluate_pawns();
}

// Loads the position and evaluates it, so that the attack record is complete.
void evaluate(const char* fen) {
  set_position(fen);
  eval();
}

constexpr int B5 = 25, C4 = 34;

}  // namespace

TEST(EvalPawnStructure, DoubledIsolatedAndBackward) {
  EXPECT_EQ(structure("4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1"), -30);  // e2 doubled, both isolated
  // d3 is isolated and its stop square is guarded by e5; the black pawns support each other.
  EXPECT_EQ(structure("4k3/8/5p2/4p3/8/3P4/8/4K3 w - - 0 1"), -10 - 8);
  // The rear of a doubled isolated pair pays no backward penalty.
  EXPECT_EQ(structure("4k3/8/5p2/4p3/8/3P4/3P4/4K3 w - - 0 1"), -(10 + 10) - (10 + 8));
  // Backward behind its neighbour; level with it, it is not.
  EXPECT_EQ(structure("4k3/8/5p2/4p3/2P5/3P4/8/4K3 w - - 0 1"), -8);
  EXPECT_EQ(structure("4k3/8/5p2/4p3/8/2PP4/8/4K3 w - - 0 1"), 0);
  // Black is mirrored: the same structure counts for Black.
  EXPECT_EQ(structure("4k3/8/3p4/8/4P3/5P2/8/4K3 b - - 0 1"), 18);
}

TEST(EvalPawnStructure, CachedByPawnKey) {
  const int v = structure("4k3/8/5p2/4p3/8/3P4/3P4/4K3 w - - 0 1");
  EXPECT_EQ(evaluate_pawns(), v);
  eval();
  EXPECT_EQ(evaluate_pawns(), v);
}

TEST(EvalPassedPawns, OnlyTheFrontPawnOfAFileIsPassed) {
  evaluate("4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1");
  EXPECT_EQ(passedPawn[WHITE], SquareBB[44]);  // e3
  evaluate("4k3/8/3p4/8/4P3/8/8/4K3 w - - 0 1");
  EXPECT_EQ(passedPawn[WHITE] | passedPawn[BLACK], 0u);
}

TEST(EvalPassedPawns, RuleOfTheSquare) {
  // a5 needs three moves; the king on e4 needs four to reach a8.
  pawn_rules("8/8/8/P7/4k3/8/8/K7 w - - 0 1", WHITE);
  EXPECT_EQ(wUcPasserCnt, 1);
  pawn_rules("8/8/8/P7/4k3/8/8/K7 b - - 0 1", WHITE);  // the defender's move costs a tempo
  EXPECT_EQ(wUcPasserCnt, 0);
  // From its start square the pawn steps twice: five moves, not six.
  pawn_rules("8/8/6k1/8/8/8/P7/K7 w - - 0 1", WHITE);
  EXPECT_EQ(wUcPasserCnt, 1);
  pawn_rules("8/8/8/8/8/4K3/p7/7k b - - 0 1", BLACK);
  EXPECT_EQ(bUcPasserCnt, 1);
}

TEST(EvalPassedPawns, KingAndPawnAgainstKing) {
  pawn_rules("8/8/3K4/4P3/8/8/8/6k1 w - - 0 1", WHITE);  // the king in front of the pawn
  EXPECT_EQ(score, 500);
  EXPECT_EQ(draw_divisor, 1);
  pawn_rules("8/8/4k3/4P3/8/8/8/2K5 w - - 0 1", WHITE);  // the defender on the stop square
  EXPECT_EQ(score, 0);
  EXPECT_EQ(draw_divisor, 33);
  pawn_rules("8/8/8/8/4K3/8/4P3/6k1 w - - 0 1", WHITE);  // two ranks ahead of a young pawn
  EXPECT_EQ(score, 500);
  pawn_rules("6K1/4p3/8/4k3/8/8/8/8 b - - 0 1", BLACK);  // the same for Black
  EXPECT_EQ(score, -500);
  // A rook pawn with the defender in front of it or on c8, whatever its rank.
  for (const char* fen : {"2k5/8/8/8/8/8/P7/4K3 w - - 0 1", "2k5/8/8/P7/8/8/8/4K3 w - - 0 1",
                          "8/8/8/k7/8/8/P7/4K3 w - - 0 1", "8/5k2/8/8/8/7P/8/K7 w - - 0 1"}) {
    pawn_rules(fen, WHITE);
    EXPECT_EQ(draw_divisor, 33) << fen;
  }
  pawn_rules("4k3/8/8/8/8/8/p7/2K5 b - - 0 1", BLACK);
  EXPECT_EQ(draw_divisor, 33);
  // A pawn on the sixth: opposition with the attacker to move draws; a king
  // that is not in front of the pawn makes it doubtful.
  pawn_rules("3k4/8/3KP3/8/8/8/8/8 w - - 0 1", WHITE);
  EXPECT_EQ(draw_divisor, 33);
  pawn_rules("3k4/8/3KP3/8/8/8/8/8 b - - 0 1", WHITE);
  EXPECT_EQ(draw_divisor, 17);
  pawn_rules("8/5K2/2k1P3/8/8/8/8/8 w - - 0 1", WHITE);
  EXPECT_EQ(draw_divisor, 1);
  // Not alone: no king-and-pawn rules.
  pawn_rules("8/8/3K4/4P3/8/8/8/5nk1 w - - 0 1", WHITE);
  EXPECT_EQ(score, 0);
}

TEST(EvalPassedPawns, CandidatesAndHiddenPassers) {
  set_position("8/5k2/8/1p6/1PP5/8/5K2/8 w - - 0 1");
  EXPECT_TRUE(candidatePasser(WHITE, C4));
  EXPECT_FALSE(candidatePasser(WHITE, 33));  // b4 is blocked
  set_position("8/3p1k2/8/1p6/1PP5/8/5K2/8 w - - 0 1");
  EXPECT_FALSE(candidatePasser(WHITE, C4));  // d7 stands in its way

  set_position("8/5k2/1p6/1P6/2P5/8/5K2/8 w - - 0 1");
  EXPECT_TRUE(hiddenPasser(WHITE, B5));  // c4-c5 frees b5
  set_position("8/5k2/1pp5/1P6/2P5/8/5K2/8 w - - 0 1");
  EXPECT_FALSE(hiddenPasser(WHITE, B5));  // c6 guards the path
  set_position("8/5k2/1p6/1P6/8/2P5/5K2/8 w - - 0 1");
  EXPECT_FALSE(hiddenPasser(WHITE, B5));  // no neighbour one rank behind

  // In a pawn ending the candidate earns rr * 2 - 2 in the endgame.
  pawn_rules("8/5k2/8/1p6/1PP5/8/5K2/8 w - - 0 1", WHITE);
  EXPECT_EQ(en_score, 4);
  pawn_rules("8/5k2/8/1p6/1PP5/8/5K2/7n w - - 0 1", WHITE);
  EXPECT_EQ(en_score, 0);
}

TEST(EvalPassedPawns, BonusOfAFreePasser) {
  // e5: w = 6; kings at 3 (defender) and 5 from e6; nothing on the path.
  evaluate("7k/8/8/4P3/8/8/8/K7 w - - 0 1");
  EXPECT_EQ(evaluate_passer(WHITE), make_score(-8 + 18 + 7 * 6, 29 + (2 * 3 - 5) * 6 + 7 * 6));
  // A piece on the stop square halves the endgame part and leaves no path bonus.
  evaluate("7k/8/4n3/4P3/8/8/8/K7 w - - 0 1");
  EXPECT_EQ(evaluate_passer(WHITE), make_score(-8 + 18, (29 + (2 * 3 - 5) * 6) / 2));
  // The defending king ahead on the file halves it again at the end.
  evaluate("4k3/8/8/4P3/8/8/8/K7 w - - 0 1");
  const int to_e6 = 2 * 2 - 5;  // defender 2 from e6, attacker 5
  EXPECT_EQ(eg_value(evaluate_passer(WHITE)), (29 + to_e6 * 6 + 3 * 6) / 2);
  // Young passers get no king or path terms.
  evaluate("7k/8/8/8/8/P7/8/K7 w - - 0 1");
  EXPECT_EQ(evaluate_passer(WHITE), make_score(-1 + 2, 5 + 8));
  // Black mirrored.
  evaluate("k7/8/8/8/8/8/p7/7K b - - 0 1");
  EXPECT_EQ(evaluate_passer(BLACK), make_score(-1 + 75 + 7 * 20, 100 + (2 * 7 - 7) * 20 + 7 * 20 + 8));
}
