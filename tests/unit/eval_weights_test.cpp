// Piece-square tables, the clamps of the weight options, and how a changed
// option reaches the evaluation.
#include <gtest/gtest.h>

#include <cstdio>

#include "board/position.h"
#include "engine/commands.h"
#include "engine/options.h"
#include "eval/eval.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/pst.h"
#include "eval/weights.h"
#include "test_support.h"

namespace {

// Goes through the command loop's own handler, clamps included.
void setoption(const char* name, const char* value) {
  char line[256];
  std::snprintf(line, sizeof line, "setoption name %s value %s", name, value);
  uci_setoption(line);
}

class EvalWeights : public ::testing::Test {
 protected:
  void SetUp() override { engine_setup(); }
  // Every option back to its default, so other tests see the engine as started.
  void TearDown() override {
    for (const OptionRow* row = Option; row->name; ++row)
      if (my_StringIsEqual(row->type, "spin") && row->value != row->init) setoption(row->name, row->init);
  }
};

constexpr int E2 = 52, A8 = 0, A1 = 56, H8 = 7;

// White's view, rank 8 first.
constexpr int pawn_op[64] = {-6, -3, 0,  3,  3,  0,  -3, -6, -3, 0,  3,  6,  6,  3,  0,  -3,
                             -4, -1, 2,  5,  5,  2,  -1, -4, -5, -2, 1,  4,  4,  1,  -2, -5,
                             -6, -3, 0,  3,  3,  0,  -3, -6, -7, -4, -1, 2,  2,  -1, -4, -7,
                             -8, -5, -2, -7, -7, -2, -5, -8, -12, -9, -6, -3, -3, -6, -9, -12};
constexpr int pawn_en[64] = {4,  2,  1,  1,  1,  1,  2,  4,  14, 12, 11, 11, 11, 11, 12, 14,
                             10, 8,  7,  7,  7,  7,  8,  10, 6,  4,  3,  3,  3,  3,  4,  6,
                             4,  2,  1,  1,  1,  1,  2,  4,  0,  -2, -3, -3, -3, -3, -2, 0,
                             -4, -6, -7, -7, -7, -7, -6, -4, -12, -14, -15, -15, -15, -15, -14, -12};
constexpr int knight_op[64] = {-70, -15, -10, -7,  -7,  -10, -15, -70, -15, -10, -5,  -2,  -2,  -5,  -10, -15,
                               -10, -5,  0,   2,   2,   0,   -5,  -10, -7,  -2,  2,   5,   5,   2,   -2,  -7,
                               -7,  -2,  2,   5,   5,   2,   -2,  -7,  -10, -5,  0,   2,   2,   0,   -5,  -10,
                               -15, -10, -5,  -2,  -2,  -5,  -10, -15, -20, -15, -10, -7,  -7,  -10, -15, -20};
constexpr int knight_en[64] = {-24, -18, -12, -9,  -9,  -12, -18, -24, -18, -12, -6,  -3,  -3,  -6,  -12, -18,
                               -12, -6,  0,   3,   3,   0,   -6,  -12, -9,  -3,  3,   6,   6,   3,   -3,  -9,
                               -9,  -3,  3,   6,   6,   3,   -3,  -9,  -12, -6,  0,   3,   3,   0,   -6,  -12,
                               -18, -12, -6,  -3,  -3,  -6,  -12, -18, -24, -18, -12, -9,  -9,  -12, -18, -24};

}  // namespace

TEST_F(EvalWeights, GeneratedTablesMatchTheirRows) {
  pst_init();
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(Pst[PAWN][s][0], pawn_op[s]) << s;
    EXPECT_EQ(Pst[PAWN][s][1], pawn_en[s]) << s;
    EXPECT_EQ(Pst[KNIGHT][s][0], knight_op[s]) << s;
    EXPECT_EQ(Pst[KNIGHT][s][1], knight_en[s]) << s;
    const int rank = 8 - s / 8;
    EXPECT_EQ(BackwardPawn[s], rank == 2 ? 9 : rank == 3 ? 8 : rank == 4 ? 4 : rank == 5 ? 1 : 0) << s;
    for (int k : {BISHOP, ROOK, QUEEN, KING}) EXPECT_EQ(Pst[k][s][0] | Pst[k][s][1], 0);
  }
  EXPECT_EQ(Pst[PAWN][E2][0], -7);
  EXPECT_EQ(Pst[KNIGHT][A8][0], -70);
  EXPECT_EQ(Pst[KNIGHT][H8][0], -70);
  EXPECT_EQ(Pst[KNIGHT][A1][0], -20);
  EXPECT_EQ(Pst[KNIGHT][A1 ^ 56][0], -70);  // what a black knight on a1 reads
}

TEST_F(EvalWeights, OptionsAreClampedWhenTakenOver) {
  setoption("PawnValueOp", "200");
  EXPECT_EQ(pawnValueOp, 110);
  setoption("PawnValueOp", "10");
  EXPECT_EQ(pawnValueOp, 70);
  EXPECT_EQ(pawnValueEn, 92);
  setoption("PawnValueEn", "151");
  EXPECT_EQ(pawnValueEn, 150);
  setoption("RookInOpenFileEn", "-5");
  EXPECT_EQ(rookInOpenFile[1], 0);
  setoption("RookInOpenFileOp", "101");
  EXPECT_EQ(rookInOpenFile[0], 100);
  setoption("DoubledPawnPenalty", "-3");
  EXPECT_EQ(doubledPawnPenalty, 0);
  setoption("MobilityWeight", "100001");
  EXPECT_EQ(mobilityWeight, 100000);
  setoption("KnightValueOp", "900");
  EXPECT_EQ(OptionUci.knight_value_op, 500);
}

// Cached evaluations must not hide a new weight from the next search.
TEST_F(EvalWeights, ChangedWeightReachesTheNextEvaluation) {
  const char* fen = "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9";
  set_position(fen);
  const int before = eval();
  ASSERT_EQ(probe_eval(), before);

  setoption("MobilityWeight", "0");
  const int changed = eval();
  EXPECT_NE(changed, before);
  clear_eval_caches(true, true, true);
  EXPECT_EQ(eval(), changed);

  // The pawn hash holds the doubled-pawn penalty: e2 pays 50 more.
  set_position("4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1");
  const int doubled = eval();
  setoption("DoubledPawnPenalty", "60");
  EXPECT_EQ(eval(), doubled - 50);

  // Piece values are read from the option record; a change drops the cache as well.
  set_position("4k3/8/3b4/8/8/3N4/8/4K3 w - - 0 1");
  const int knight = eval();
  setoption("KnightValueOp", "400");
  setoption("KnightValueEn", "390");
  EXPECT_EQ(eval(), knight + 75);
}

TEST_F(EvalWeights, UnchangedOptionsKeepTheCaches) {
  set_position("8/5pk1/6p1/8/8/6P1/4BPK1/3b4 w - - 0 1");
  const int v = eval();
  setoption("MobilityWeight", "100");  // the value already in use
  setoption("Ponder", "false");
  EXPECT_EQ(probe_eval(), v);
  setoption("Ponder", "true");
  setoption("KingShelterWeight", "50");
  EXPECT_EQ(probe_eval(), NO_EVAL);
}
