// The tables and helpers shared by the node searches: pruning and reduction
// tables, mate distances, extensions, repetition counting and the draw rules
// as each node type applies them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/options.h"
#include "movegen/gen.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/tt.h"
#include "search_fixture.h"
#include "test_support.h"

namespace {

// The base reduction r of depth d plies and move number m, recovered from the
// non-PV half (r + 1 once r exceeds 1, else r).
int base_reduction(int d, int m) {
  const int r = reduction_table[0][d][m];
  return r > 1 ? r - 1 : r;
}

int first_move_number_reaching(int d, int r) {
  for (int m = 1; m < 64; ++m)
    if (base_reduction(d, m) >= r) return m;
  return -1;
}

TEST(SearchTables, MoveCountLimits) {
  engine_setup();
  const int expected[16] = {3, 5, 8, 12, 18, 25, 33, 42, 52, 62, 74, 87, 101, 115, 131, 147};
  for (int d = 0; d < 16; ++d) EXPECT_EQ(futility_move_count[d], expected[d]) << d;
}

TEST(SearchTables, ReductionTable) {
  engine_setup();
  struct Reach {
    int d, r, m;
  };
  const Reach reaches[] = {{3, 1, 3},  {3, 2, 15}, {6, 1, 2},  {6, 2, 6},  {6, 3, 16}, {6, 4, 46}, {63, 1, 2},
                           {63, 2, 3}, {63, 3, 4}, {63, 4, 6}, {63, 5, 9}, {63, 6, 14}, {63, 7, 22}, {63, 8, 35},
                           {63, 9, 55}};
  for (const Reach& x : reaches) EXPECT_EQ(first_move_number_reaching(x.d, x.r), x.m) << x.d << " " << x.r;
  for (int m = 1; m < 64; ++m) {
    EXPECT_EQ(base_reduction(1, m), 0);
    EXPECT_LE(base_reduction(2, m), 1);
  }
  for (int pv_node = 0; pv_node < 2; ++pv_node)
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(reduction_table[pv_node][0][i], 0);
      EXPECT_EQ(reduction_table[pv_node][i][0], 0);
    }
  for (int d = 1; d < 64; ++d)
    for (int m = 1; m < 64; ++m) {
      const int r = base_reduction(d, m);
      EXPECT_NE(reduction_table[0][d][m], 2) << "non-PV reductions jump from 1 to 3";
      EXPECT_EQ(reduction_table[1][d][m], r > 1 ? r - 1 : 0) << d << " " << m;
      EXPECT_GE(r, base_reduction(d, m - 1));  // column 0 holds 0
      EXPECT_GE(r, base_reduction(d - 1, m));
    }
}

TEST(SearchTables, LateMoveReductions) {
  engine_setup();
  for (int m = 1; m < 80; ++m)
    for (int depth = 0; depth < 4; ++depth) EXPECT_EQ(get_lmr(false, depth, m), 0);
  for (int depth = 0; depth < 200; ++depth) EXPECT_EQ(get_lmr(false, depth, 1), 0);
  for (int depth = 4; depth <= 5; ++depth)
    for (int m = 1; m < 80; ++m) EXPECT_EQ(get_lmr(false, depth, m), m >= 5 ? 2 : 0) << depth << " " << m;
  for (int m = 1; m < 80; ++m) {
    for (int depth = 0; depth < 6; ++depth) EXPECT_EQ(get_lmr(true, depth, m), 0);
    for (int depth = 6; depth < 126; ++depth) {
      const int r = base_reduction(depth / 2, std::min(m, 63));
      EXPECT_EQ(get_lmr(true, depth, m), r < 2 ? 0 : 2 * (r - 1)) << depth << " " << m;
    }
  }
  // Beyond 125 half plies the row of 63 plies, beyond move 63 its column.
  for (int pv_node = 0; pv_node < 2; ++pv_node) {
    EXPECT_EQ(get_lmr(pv_node, 125, 40), 2 * reduction_table[pv_node][62][40]);
    EXPECT_EQ(get_lmr(pv_node, 126, 40), 2 * reduction_table[pv_node][63][40]);
    EXPECT_EQ(get_lmr(pv_node, 400, 40), 2 * reduction_table[pv_node][63][40]);
    EXPECT_EQ(get_lmr(pv_node, 30, 64), get_lmr(pv_node, 30, 63));
    EXPECT_EQ(get_lmr(pv_node, 30, 500), 2 * reduction_table[pv_node][15][63]);
  }
  EXPECT_GT(get_lmr(false, 126, 63), get_lmr(true, 126, 63));
}

TEST(SearchTables, MarginsFollowTheOptions) {
  engine_setup();
  EXPECT_EQ(razor_margin[0], 188);
  EXPECT_EQ(razor_margin[1], 220);
  EXPECT_EQ(razor_margin[2], 235);
  EXPECT_EQ(razor_margin[3], 250);
  EXPECT_EQ(futility_margin(7), 60 * 7 / 2);
  ASSERT_TRUE(OptionSet("RazorMargin2", "300"));
  ASSERT_TRUE(OptionSet("FutilityMargin", "45"));
  initSearch();
  EXPECT_EQ(razor_margin[2], 300);
  EXPECT_EQ(futility_margin(3), 45 * 3 / 2);
  OptionSet("RazorMargin2", "235");
  OptionSet("FutilityMargin", "60");
  initSearch();
  EXPECT_EQ(razor_margin[2], 235);
}

TEST(SearchTables, MateDistances) {
  EXPECT_EQ(value_to_mate(29800), 0);
  EXPECT_EQ(value_to_mate(-29800), 0);
  EXPECT_EQ(value_to_mate(0), 0);
  EXPECT_EQ(value_to_mate(30000 - 1), 1);
  EXPECT_EQ(value_to_mate(2 - 30000), -1);
  for (int p = 1; p < 40; ++p) {
    EXPECT_EQ(value_to_mate(30000 - p), (p + 1) / 2) << p;  // mate given at ply p
    EXPECT_EQ(value_to_mate(p - 30000), -(p / 2)) << p;     // mated at ply p
  }
  EXPECT_EQ(value_to_mate(29801), 100);
  EXPECT_EQ(value_to_mate(-29801), -99);
}

// define_ext for the move from -> to of the position, made first.
int extension_of(const char* fen, const char* from, const char* to, int depth, bool gives_check, bool pv_node) {
  set_position(fen);
  const move m = generated_move(sq(from), sq(to));
  EXPECT_NE(m.u, 0u) << fen << " " << from << to;
  EXPECT_TRUE(makemove(m.b)) << fen << " " << from << to;
  const int ext = define_ext(m, depth, gives_check, side, pv_node);
  takeback();
  return ext;
}

TEST(SearchTables, Extensions) {
  const char* quiet = "4k3/8/8/8/8/8/8/4K3 w - - 0 1";
  EXPECT_EQ(extension_of(quiet, "e1", "d1", 20, true, true), 2);   // check at a PV node
  EXPECT_EQ(extension_of(quiet, "e1", "d1", 3, true, false), 2);   // check near the horizon
  EXPECT_EQ(extension_of(quiet, "e1", "d1", 4, true, false), 0);
  EXPECT_EQ(extension_of(quiet, "e1", "d1", 2, false, true), 0);

  // A pawn reaching its seventh rank, in any node, by step or capture.
  EXPECT_EQ(extension_of("4k3/8/4P3/8/8/8/8/4K3 w - - 0 1", "e6", "e7", 20, false, false), 2);
  EXPECT_EQ(extension_of("4k3/3r4/4P3/8/8/8/8/4K3 w - - 0 1", "e6", "d7", 20, false, false), 2);
  EXPECT_EQ(extension_of("4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", "e5", "e6", 20, false, false), 0);
  EXPECT_EQ(extension_of("4k3/8/8/8/8/4p3/8/K7 b - - 0 1", "e3", "e2", 20, false, false), 2);
  EXPECT_EQ(extension_of("4k3/8/8/8/4p3/8/8/K7 b - - 0 1", "e4", "e3", 20, false, false), 0);
  EXPECT_EQ(extension_of("4k3/8/1N6/8/8/8/8/4K3 w - - 0 1", "b6", "a4", 20, false, false), 0);

  // A PV capture of a piece that leaves the opponent pawns and at most one piece.
  EXPECT_EQ(extension_of("4k3/p7/8/3n4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 20, false, true), 2);
  EXPECT_EQ(extension_of("4k3/p7/8/3n4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 20, false, false), 0);
  EXPECT_EQ(extension_of("4k3/p7/8/3p4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 20, false, true), 0);
  EXPECT_EQ(extension_of("4k3/8/8/3n4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 20, false, true), 0);
  EXPECT_EQ(extension_of("4k2r/p7/8/3n4/8/8/b7/3RK3 w - - 0 1", "d1", "d5", 20, false, true), 0);
  EXPECT_EQ(extension_of("4k3/p6b/8/3n4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 20, false, true), 2);
  // En passant records no captured piece and so qualifies.
  EXPECT_EQ(extension_of("4k3/p7/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6", 20, false, true), 2);
  EXPECT_EQ(extension_of("4k3/p7/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6", 20, false, false), 0);
}

void play(const char* from, const char* to) {
  const move m = generated_move(sq(from), sq(to));
  ASSERT_NE(m.u, 0u) << from << to;
  ASSERT_TRUE(makemove(m.b)) << from << to;
}

void knight_dance() {
  play("g1", "f3");
  play("g8", "f6");
  play("f3", "g1");
  play("f6", "g8");
}

TEST(SearchTables, RepetitionCount) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(reps(), 0);
  knight_dance();
  EXPECT_EQ(reps(), 1);
  knight_dance();
  EXPECT_EQ(reps(), 2);
  play("g1", "f3");
  EXPECT_EQ(reps(), 2);  // after Nf3 twice before
  // Only positions since the last irreversible move count.
  const int saved = fifty;
  fifty = 4;
  EXPECT_EQ(reps(), 1);
  fifty = saved;
}

TEST(SearchTables, RepetitionCountStartsAtTheLoadedPosition) {
  // The half-move clock of the text counts moves this history does not hold.
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 1 1",
                          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 30 20",
                          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 99 60"}) {
    set_position(fen);
    EXPECT_EQ(reps(), 0) << fen;
    play("g1", "f3");
    EXPECT_EQ(reps(), 0) << fen;
    play("g8", "f6");
    play("f3", "g1");
    play("f6", "g8");
    EXPECT_EQ(reps(), 1) << fen;
  }
}

TEST(SearchTables, DrawRulesAndTheirSign) {
  set_position("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1");
  OptionUci.insufficient_material_score = 17;
  ext_corvantis_side = side;
  int score = 0;
  EXPECT_TRUE(draw_by_rule(true, 1, &score));
  EXPECT_EQ(score, 17);
  ext_corvantis_side = side ^ 1;
  EXPECT_TRUE(draw_by_rule(false, 2, &score));
  EXPECT_EQ(score, -17);
  OptionUci.insufficient_material_score = 0;

  OptionUci.fifty_move_score = 23;
  ext_corvantis_side = side;
  set_position("4k3/8/8/8/8/8/4P3/4K3 w - - 100 80");
  EXPECT_TRUE(draw_by_rule(true, 1, &score));
  EXPECT_EQ(score, 23);
  EXPECT_FALSE(draw_by_rule(false, 1, &score));
  set_position("4k3/8/8/8/8/8/4P3/4K3 w - - 101 80");
  EXPECT_TRUE(draw_by_rule(false, 1, &score));
  EXPECT_EQ(score, 23);
  set_position("4k3/8/8/8/8/8/4P3/4K3 w - - 99 80");
  EXPECT_FALSE(draw_by_rule(true, 1, &score));
  OptionUci.fifty_move_score = 0;
}

// The draw rules as each node search applies them. Every searched position is
// reached by a move, as in a search. A node that stops at its draw test counts
// one node; a node that is searched counts its children too (a drawn child
// would give the same score, since draw scores count for the engine's side).
class NodeDraws : public SearchFixture {
 protected:
  static constexpr int kScore = 321;  // far from any evaluation of these positions

  struct Outcome {
    int score;
    std::int64_t nodes;
  };

  void SetUp() override {
    SearchFixture::SetUp();
    OptionUci.fifty_move_score = kScore;
    ASSERT_TRUE(OptionSet("RepetitionScore", "321"));
  }
  void TearDown() override {
    OptionUci.fifty_move_score = 0;
    OptionUci.analyse_mode = false;
    OptionSet("RepetitionScore", "0");
    SearchFixture::TearDown();
  }
  static void reach(const char* fen, const char* from, const char* to) {
    set_position(fen);
    play(from, to);
    ext_corvantis_side = side;  // draw scores count for the side to move
  }
  // Each search starts from an empty table, so no node takes its score from
  // the one before.
  template <typename Search>
  static Outcome run(Search search) {
    clearHash();
    const std::int64_t before = rnodes;
    const int score = search();
    return {score, rnodes - before};
  }
  static Outcome pv_node(bool in_check) { return run([&] { return search_pv(-30000, 30000, 4, in_check, 0); }); }
  static Outcome cut_node() { return run([] { return search_cut(-1, 0, 4, true, 1); }); }
  static Outcome check_node() { return run([] { return search_cut_check(-1, 0, 4, 1); }); }
  static Outcome quiescence(bool in_check) { return run([&] { return qsearch(-30000, 30000, 0, in_check); }); }
  static bool drawn(Outcome o, int score = kScore) { return o.score == score && o.nodes == 1; }
};

TEST_F(NodeDraws, FiftyMovesWithoutCheck) {
  reach("4k3/8/8/8/8/8/4P3/R3K3 b - - 99 80", "e8", "d7");
  ASSERT_EQ(fifty, 100);
  EXPECT_TRUE(drawn(pv_node(false)));
  EXPECT_TRUE(drawn(cut_node()));
  EXPECT_TRUE(drawn(quiescence(false)));
}

TEST_F(NodeDraws, FiftyMovesInCheckNeedOneMore) {
  reach("3k4/8/8/8/8/8/8/R3K3 w - - 99 80", "a1", "a8");
  ASSERT_EQ(fifty, 100);
  ASSERT_TRUE(in_check(side));
  EXPECT_FALSE(drawn(pv_node(true)));
  EXPECT_FALSE(drawn(check_node()));
  EXPECT_TRUE(drawn(quiescence(true)));
  reach("3k4/8/8/8/8/8/8/R3K3 w - - 100 80", "a1", "a8");
  EXPECT_TRUE(drawn(pv_node(true)));
  EXPECT_TRUE(drawn(check_node()));
}

TEST_F(NodeDraws, MateOnTheHundredthPlyStillCounts) {
  reach("7k/8/5K2/8/8/8/8/6Q1 w - - 99 80", "g1", "g7");
  ASSERT_EQ(fifty, 100);
  EXPECT_EQ(pv_node(true).score, ply - 30000);
  EXPECT_EQ(check_node().score, ply - 30000);
}

// The rook checks from h8 and goes back while the king steps a8-a7-a8.
TEST_F(NodeDraws, OneRepetitionOutsideCheck) {
  reach("k7/8/8/8/8/8/8/4K2R w - - 0 1", "h1", "h8");
  play("a8", "a7");
  play("h8", "h1");
  play("a7", "a8");
  ASSERT_EQ(reps(), 1);
  ext_corvantis_side = side;
  EXPECT_TRUE(drawn(pv_node(false)));
  EXPECT_TRUE(drawn(cut_node()));
  EXPECT_TRUE(drawn(quiescence(false)));
  ext_corvantis_side = side ^ 1;
  EXPECT_TRUE(drawn(cut_node(), -kScore));

  // In analysis only a second repetition is a draw.
  OptionUci.analyse_mode = true;
  ext_corvantis_side = side;
  EXPECT_FALSE(drawn(pv_node(false)));
  EXPECT_FALSE(drawn(cut_node()));
  EXPECT_FALSE(drawn(quiescence(false)));
}

TEST_F(NodeDraws, RepetitionInCheckNeedsTwo) {
  reach("k7/8/8/8/8/8/8/4K2R w - - 0 1", "h1", "h8");
  for (int cycle = 1; cycle <= 2; ++cycle) {
    play("a8", "a7");
    play("h8", "h1");
    play("a7", "a8");
    play("h1", "h8");
    ASSERT_TRUE(in_check(side));
    ASSERT_EQ(reps(), cycle);
    ext_corvantis_side = side;
    EXPECT_EQ(drawn(pv_node(true)), cycle == 2);
    EXPECT_EQ(drawn(check_node()), cycle == 2);
    EXPECT_TRUE(drawn(quiescence(true)));
  }
}

}  // namespace
