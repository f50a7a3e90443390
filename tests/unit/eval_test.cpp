// Properties of the whole evaluation: colour symmetry, caches that give what
// a fresh evaluation gives, weight options reaching it, the packed score.
#include "eval/eval.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/commands.h"
#include "engine/options.h"
#include "eval/endgame.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/eval_state.h"
#include "eval/pawn_structure.h"
#include "eval/score.h"
#include "eval/symtest_positions.h"
#include "test_support.h"

namespace {

// Ranks reversed, colours swapped, the other side to move, no castling or
// en-passant square; the counters are kept.
std::string mirrored(const std::string& fen) {
  std::istringstream in(fen);
  std::string board, to_move, unused, fifty, number, row, result;
  in >> board >> to_move >> unused >> unused >> fifty >> number;
  std::istringstream rows(board);
  while (std::getline(rows, row, '/')) {
    for (char& c : row)
      c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    result = result.empty() ? row : row + "/" + result;
  }
  return result + (to_move == "w" ? " b - - " : " w - - ") + fifty + " " + number;
}

// Loads without new keys or cleared tables: a fresh start for thousands of
// positions would cost more than the evaluations.
int eval_of(const std::string& fen) {
  EXPECT_TRUE(init_board1(fen.c_str())) << "not loaded: " << fen;
  return eval();
}

TEST(Eval, MirrorsScoreAlike) {
  engine_setup();
  for (int i = 0; i < SYM_TEST_PAIRS; ++i) {
    EXPECT_EQ(mirrored(SymTestPosition[2 * i]), SymTestPosition[2 * i + 1]) << i;
    EXPECT_EQ(eval_of(SymTestPosition[2 * i]), eval_of(SymTestPosition[2 * i + 1])) << SymTestPosition[2 * i];
  }
  std::vector<std::string> fens;
  for_each_corpus_position([&] {
    // King, minor and one pawn against king and minor counts only for White.
    if (!(wr | br | wq | bq) && wpc == 1 && bpc == 1 && wp + bp == 1) return;
    const std::string fen = board_fen();
    fens.push_back(fen + (fen.back() == ' ' ? "-" : "") + " 0 1");
  });
  for (const std::string& fen : fens) ASSERT_EQ(eval_of(fen), eval_of(mirrored(fen))) << fen;
  EXPECT_GT(fens.size(), 3000u);
}

// Along random games every cached value must equal the fresh one: first with
// the pawn and shelter caches warm, then with nothing cached at all. A cache
// entry kept for other pawns or another king square would show here.
TEST(Eval, CachedEqualsFresh) {
  std::mt19937 rng(777);
  for (int game = 0; game < 4; ++game) {
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int n = 0; n < 100 && play_random_move(rng); ++n) {
      const int warm = eval();
      ASSERT_EQ(eval(), warm);
      clear_eval_caches(true, false, false);
      ASSERT_EQ(eval(), warm) << "pawn or shelter cache: " << board_fen();
      clear_eval_caches(true, true, true);
      ASSERT_EQ(eval(), warm) << board_fen();
    }
  }
  // New random keys replace the known-endgame entries instead of adding to them.
  set_position("8/8/4k3/8/8/3K4/8/8 w - - 0 1", 1);
  const std::size_t entries = knownEndgames.size();
  set_position("8/8/4k3/8/8/3K4/8/8 w - - 0 1", 2);
  EXPECT_EQ(knownEndgames.size(), entries);
  eval();
  EXPECT_EQ(draw_divisor, 64);
}

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

// Cached evaluations must not hide a new weight from the next search, and an
// unchanged option keeps them.
TEST_F(EvalWeights, ChangedWeightReachesTheNextEvaluation) {
  set_position("r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9");
  const int before = eval();
  setoption("MobilityWeight", "100");  // the value already in use
  setoption("Ponder", "false");
  EXPECT_EQ(probe_eval(), before);
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
  setoption("KingShelterWeight", "50");
  EXPECT_EQ(probe_eval(), NO_EVAL);
}

// Both halves come back from a packed score at their extremes. Blends round
// toward zero; the mirror test sees any asymmetry of the phase blend, not of the passer's.
TEST(EvalScore, PacksBothHalves) {
  for (int mg : {-32768, -1000, -1, 0, 1, 77, 32767})
    for (int eg : {-32768, -500, -1, 0, 1, 93, 32767})
      EXPECT_EQ(std::make_pair(mg_value(make_score(mg, eg)), eg_value(make_score(mg, eg))), std::make_pair(mg, eg));
  EXPECT_EQ(make_score(9, -3) - make_score(-14, 5), make_score(23, -8));
  EXPECT_EQ(interpolatePasser(-7, -8, 16), -7);  // -7.5 truncates to -7
}

}  // namespace
