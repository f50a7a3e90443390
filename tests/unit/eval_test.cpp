// The evaluation: colour symmetry, caches that give what a fresh evaluation
// gives, weight options reaching it, the packed score, and each term alone.
#include "eval/eval.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "board/bitboard.h"
#include "board/position.h"
#include "engine/commands.h"
#include "eval/endgame.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/eval_state.h"
#include "eval/king_safety.h"
#include "eval/passed_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "eval/score.h"
#include "eval/space.h"
#include "eval/symtest_positions.h"
#include "eval/threats.h"
#include "options/options.h"
#include "test_support.h"

namespace {

// Loads without new keys or cleared tables: a fresh start for thousands of
// positions would cost more than the evaluations.
int eval_of(const std::string& fen) {
  EXPECT_TRUE(init_board1(fen.c_str())) << "not loaded: " << fen;
  return eval();
}

TEST(Eval, MirrorsScoreAlike) {
  engine_setup();
  for (int i = 0; i < SYM_TEST_PAIRS; ++i)
    EXPECT_EQ(eval_of(SymTestPosition[2 * i]), eval_of(SymTestPosition[2 * i + 1])) << SymTestPosition[2 * i];
  std::vector<std::string> fens;
  for_each_corpus_position([&] {
    // King, minor and one pawn against king and minor counts only for White.
    if (!(wr | br | wq | bq) && wpc == 1 && bpc == 1 && wp + bp == 1) return;
    fens.push_back(board_fen());
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

// One hand-built position per evaluation term where its effect is plain,
// each read after a fresh evaluation of that position: the rules exactly,
// the weights by the direction they pull.

// One side's pawn rules run again on a fresh state.
void rerun_pawn_rules(int us) {
  score = en_score = 0;
  draw_divisor = 1;
  passedPawn[us] = 0;
  wUcPasserCnt = bUcPasserCnt = 0;
  eval_pawn_loop(us);
}

// What each row reads, White's terms unless it says otherwise.
int structure() { return evaluate_pawns(); }
int front_passer_on_e3() { return passedPawn[WHITE] == SquareBB[sq("e3")]; }
int passer() { return evaluate_passer(WHITE); }
int uncatchable() { return rerun_pawn_rules(WHITE), wUcPasserCnt; }
int kpk_scaled() { return rerun_pawn_rules(WHITE), draw_divisor > 1; }
int candidate_c4() { return candidatePasser(WHITE, sq("c4")); }
int hidden_b5() { return hiddenPasser(WHITE, sq("b5")); }
int knight() { return eval_knight(WHITE); }
int bishop() { return eval_bishop(WHITE); }
int rook() { return eval_rook(WHITE); }
int queen() { return eval_queen(WHITE); }
int mobility() { return compact_mob[WHITE]; }
int bad_bishop() { return score = op_score = en_score = 0, eval_bishop_colours(), make_score(op_score, en_score); }
int black_king_zone() { return popCount(evalref.king_zone[BLACK]); }
int shelter_g1() { return PawnShelterAndStorm<WHITE>(sq("g1")); }
int king_danger() { return evaluate_king_safety(WHITE); }
int threats() { return evaluate_threats(WHITE); }
int holes() { return EvaluateHoles(WHITE); }
int scaled() { return draw_divisor > 1; }
int mating_bonus() { return score = 0, EvaluateEnding() == 0 ? score : -99999; }  // the bonus alone
int opposite() { return opposite_bishops(); }

// Rules that are not weights: which pawns count as passed, candidate,
// hidden or uncatchable, the king zone, and which endings are scaled down
// as drawish.
const struct {
  const char* what;
  const char* fen;
  int (*value)();
  int expected;
} kRules[] = {
    {"only the front pawn passed", "4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", front_passer_on_e3, 1},
    {"outside the square", "8/8/8/P7/4k3/8/8/K7 w - - 0 1", uncatchable, 1},
    {"square reached with the move", "8/8/8/P7/4k3/8/8/K7 b - - 0 1", uncatchable, 0},
    {"double step counts", "8/8/6k1/8/8/8/P7/K7 w - - 0 1", uncatchable, 1},
    {"candidate", "8/5k2/8/1p6/1PP5/8/5K2/8 w - - 0 1", candidate_c4, 1},
    {"hidden passer", "8/5k2/1p6/1P6/2P5/8/5K2/8 w - - 0 1", hidden_b5, 1},
    {"defender on the stop square", "8/8/4k3/4P3/8/8/8/2K5 w - - 0 1", kpk_scaled, 1},
    {"rook pawn, defender in front", "8/8/8/k7/8/8/P7/4K3 w - - 0 1", kpk_scaled, 1},
    {"opposition, defender to move", "3k4/8/3KP3/8/8/8/8/8 b - - 0 1", kpk_scaled, 1},
    {"king zone needs material", "4k3/8/8/8/8/8/8/RN2K3 w - - 0 1", black_king_zone, 0},
    {"king zone one rank deeper", "4k3/8/8/8/8/8/8/RB2K3 w - - 0 1", black_king_zone, 8},
    {"bare kings", "8/8/4k3/8/8/3K4/8/8 w - - 0 1", scaled, 1},
    {"rook and minor against rook", "3r4/8/4k3/8/8/3KB3/8/4R3 w - - 0 1", scaled, 1},
    {"minor and pawn against minor", "4k1n1/8/8/8/8/8/4P3/2B1K3 w - - 0 1", scaled, 1},
    {"the same only for White", "2b1k3/4p3/8/8/8/8/8/4K1N1 b - - 0 1", scaled, 0},
    {"right bishop for the rook pawn", "8/8/2k5/P7/8/3K4/2B5/8 w - - 0 1", scaled, 0},
    {"wrong bishop", "8/8/2k5/P7/8/3K4/8/2B5 w - - 0 1", scaled, 1},
};

TEST(EvalTerms, Rules) {
  for (const auto& r : kRules) {
    set_position(r.fen);
    eval();
    EXPECT_EQ(r.value(), r.expected) << r.what << ": " << r.fen;
  }
}

enum Sign { NEGATIVE = -1, ZERO = 0, POSITIVE = 1, MIXED = 2 };

Sign sign_of(int v) { return v < 0 ? NEGATIVE : v > 0 ? POSITIVE : ZERO; }
// Both halves of a packed score the same way (or 0).
Sign sign_of(Score s, bool packed) {
  if (!packed) return sign_of(s);
  const Sign mg = sign_of(mg_value(s)), eg = sign_of(eg_value(s));
  return mg == ZERO ? eg : eg == ZERO || eg == mg ? mg : MIXED;
}

// Each term pulls the right way: its sign, or the sign of its value less the
// value in a second position that lacks what the term rewards. Weights may
// be retuned; these directions may not.
const struct {
  const char* what;
  const char* fen;
  int (*value)();
  bool packed;  // an opening/endgame score
  Sign expected;
  const char* without = nullptr;
} kTerms[] = {
    {"level with its neighbour", "4k3/8/5p2/4p3/8/2PP4/8/4K3 w - - 0 1", structure, false, ZERO},
    {"passer free, not blocked", "7k/8/8/4P3/8/8/8/K7 w - - 0 1", passer, true, POSITIVE,
     "7k/8/4n3/4P3/8/8/8/K7 w - - 0 1"},
    {"knight outpost", "4k3/8/8/4N3/3P1K2/8/8/8 w - - 0 1", knight, true, POSITIVE},
    {"outpost a pawn can chase", "4k3/5p2/8/4N3/3P1K2/8/8/8 w - - 0 1", knight, true, ZERO},
    {"long diagonal", "4k3/8/8/8/8/2B5/8/4K3 w - - 0 1", bishop, true, POSITIVE, "4k3/8/8/8/3P4/2B5/8/4K3 w - - 0 1"},
    {"open file over half-open", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", rook, true, POSITIVE,
     "4k3/8/p7/8/8/8/8/R3K3 w - - 0 1"},
    {"pinned queen", "3r2k1/8/8/8/8/8/3N4/3QK3 w - - 0 1", queen, true, NEGATIVE},
    {"queen avoids rook attacks", "4k3/8/8/8/8/8/8/3QK3 w - - 0 1", mobility, true, POSITIVE,
     "2r1kr2/8/8/8/8/8/8/3QK3 w - - 0 1"},
    {"bishop among its own pawns", "4k3/8/8/8/8/P1P5/1P1P4/2B1K3 w - - 0 1", bad_bishop, true, NEGATIVE},
    {"shelter", "6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", shelter_g1, false, POSITIVE, "6k1/8/8/8/8/8/8/6K1 w - - 0 1"},
    {"blocked storm pawn", "6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", shelter_g1, false, POSITIVE,
     "6k1/8/8/8/8/6p1/5PPP/6K1 w - - 0 1"},
    {"queen on d3", "k7/8/8/8/8/8/5PPP/6K1 w - - 0 1", king_danger, true, POSITIVE,
     "k7/8/8/8/8/3q4/5PPP/6K1 w - - 0 1"},
    {"pawn hits a knight", "8/3k4/2p5/3n4/4P3/3P4/8/4K3 w - - 0 1", threats, true, POSITIVE},
    {"hanging rook", "4k3/8/r7/8/8/8/8/4KB2 w - - 0 1", threats, true, POSITIVE},
    {"hole on d3", "4k3/8/8/8/1np5/4P3/P7/4K3 w - - 0 1", holes, false, POSITIVE},
    {"bishop and knight, right corner", "k7/8/2K5/8/8/8/8/4NB2 w - - 0 1", mating_bonus, false, POSITIVE},
    {"bishop and knight, wrong corner", "8/8/8/8/8/2K5/8/k3NB2 w - - 0 1", mating_bonus, false, NEGATIVE},
    {"opposite bishops", "4k3/p7/8/8/8/8/PP6/2B1Kb2 w - - 0 1", opposite, false, NEGATIVE},
    {"bishops of one colour", "4k3/p7/8/6b1/8/8/PP6/2B1K3 w - - 0 1", opposite, false, ZERO},
};

int read_at(const char* fen, int (*value)()) {
  set_position(fen);
  eval();
  return value();
}

TEST(EvalTerms, Directions) {
  for (const auto& t : kTerms) {
    const int with = read_at(t.fen, t.value);
    const int without = t.without ? read_at(t.without, t.value) : 0;
    // The difference of packed scores is the packed difference of their halves.
    EXPECT_EQ(sign_of(with - without, t.packed), t.expected) << t.what << ": " << t.fen;
  }
}

}  // namespace
