// Threats against enemy pieces, space and holes.
#include <gtest/gtest.h>

#include "board/position.h"
#include "eval/eval.h"
#include "eval/eval_state.h"
#include "eval/space.h"
#include "eval/threats.h"
#include "eval/weights.h"
#include "test_support.h"

namespace {

void evaluate(const char* fen) {
  set_position(fen);
  eval();
}

}  // namespace

TEST(EvalThreats, PawnAttacksOnPieces) {
  // The knight on d5 is hit by the defended pawn e4; c6 covers it, the king covers c6.
  evaluate("8/3k4/2p5/3n4/4P3/3P4/8/4K3 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(70, 55));
  // The pawn itself hangs to the rook on e8: the attack is not safe.
  evaluate("4r3/3k4/2p5/3n4/4P3/8/8/4K3 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(28, 24));
}

TEST(EvalThreats, PieceAttacksAndHangingPieces) {
  // A rook on a6 hit by the bishop; nothing defends it.
  evaluate("4k3/8/r7/8/8/8/8/4KB2 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(29, 43) + make_score(19, 10));
  evaluate("8/1k6/r7/8/8/8/8/4KB2 w - - 0 1");  // defended by the king
  EXPECT_EQ(evaluate_threats(WHITE), make_score(29, 43));
  // A rook attacks an undefended knight; a rook on a defended queen still counts.
  evaluate("4k3/8/8/8/8/8/6K1/n6R w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(16, 24) + make_score(19, 10));
  evaluate("4k3/8/8/8/8/8/1p4K1/q6R w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(14, 19));
}

TEST(EvalThreats, KingAttacksAndLoosePieces) {
  // The king alone attacks the undefended knight on f2.
  evaluate("4k3/8/8/8/8/8/5n2/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(19, 10) + make_score(1, 24));
  // A black knight nobody looks at.
  evaluate("4k3/8/8/3n4/8/8/8/6K1 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), make_score(0, 10));
}

TEST(EvalThreats, SafePawnPushes) {
  // d4-d5 would attack the knight on c6 and the rook on e6.
  evaluate("8/3k4/2n1r3/8/3P4/8/8/4K3 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), 2 * make_score(15, 9));
  // A black pawn on e6 guards d5: no threat.
  evaluate("8/3k4/2n1p3/8/3P4/8/8/4K3 w - - 0 1");
  EXPECT_EQ(evaluate_threats(WHITE), 0);
}

TEST(EvalSpace, InitialPositionIsBalanced) {
  evaluate("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(evaluate_space(WHITE), 8);
  EXPECT_EQ(evaluate_space(BLACK), 8);
  // After 1.e4 d5 e5: e2, c3-f3, d4 and f4 are safe (d5 covers c4 and e4),
  // and e2, e3 behind the e-pawn count twice.
  evaluate("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2");
  EXPECT_EQ(evaluate_space(WHITE), 7 + 2);
}

TEST(EvalSpace, HolesInTheCamp) {
  // d3: no white pawn can cover it, c4 and the knight on b4 do.
  evaluate("4k3/8/8/8/1np5/4P3/P7/4K3 w - - 0 1");
  EXPECT_EQ(EvaluateHoles(WHITE), 15);
  weakSquareWeight = 0;
  EXPECT_EQ(EvaluateHoles(WHITE), 0);
  weakSquareWeight = 100;
}
