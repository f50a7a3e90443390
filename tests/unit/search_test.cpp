// Whole searches through think() at a fixed depth, the time control, and the
// draw rules as each node search applies them. The aspiration windows and
// time extensions are pinned by the bench signature and the dialogues' limits.
#include "search/search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "options/options.h"
#include "platform/platform.h"
#include "search/iteration_control.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/tt.h"
#include "test_support.h"

namespace {

// A quiet setting for in-process searches: no input polling, no output, no
// clock limit; what it changes is restored afterwards.
class SearchFixture : public ::testing::Test {
 protected:
  static constexpr int kNoClockLimit = 10000000;  // ms
  void SetUp() override {
    engine_setup();
    si.poll_input = false;
    si.bench = si.fixed_time = true;
    si.time_available = max_time = kNoClockLimit;
    start_time = get_ms();  // for node searches called directly, without think
    stop_time = start_time + kNoClockLimit;
    ext_max_tt = kNoClockLimit;
    rnodes = 1;  // away from the poll of every 256th node
  }
  void TearDown() override {
    si = saved_si;
    OptionUci = saved_options;
    max_time = saved_max_time;
    max_depth = saved_max_depth;
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  }
  const SearchControl saved_si = (engine_setup(), si);
  const OptionValues saved_options = OptionUci;
  const int saved_max_time = max_time, saved_max_depth = max_depth;
  // Searches to depth and checks that the board is as it was.
  static void search(int depth) {
    const std::string fen = board_fen();
    const u64 key = hash, pawn_key = phash;
    const int hply_before = hply;
    max_depth = depth;
    think(0);
    EXPECT_TRUE(board_fen() == fen && hash == key && phash == pawn_key && hply == hply_before && ply == 0) << fen;
  }
  static move best() { return pv[0][0]; }
  static bool is_legal_here(const move& m) {
    gen();
    for (const move& legal : legal_level_moves())
      if (legal.u == m.u) return true;
    return false;
  }
};

bool loses_within(int n);

// Reference mate search over legal moves: can the side to move mate in at most n moves?
bool mates_within(int n) {
  gen();
  for (const move& m : legal_level_moves()) {
    makemove(m.b);
    const bool mated = loses_within(n);
    takeback();
    if (mated) return true;
  }
  return false;
}

// The side to move is mated, or will be within n - 1 further attacking moves, whatever it plays.
bool loses_within(int n) {
  gen();
  const std::vector<move> replies = legal_level_moves();
  if (replies.empty()) return in_check(side);
  if (n == 1) return false;
  for (const move& r : replies) {
    makemove(r.b);
    const bool lost = mates_within(n - 1);
    takeback();
    if (!lost) return false;
  }
  return true;
}

using Think = SearchFixture;

// Mates at their distance (checked against the reference search), and a legal
// move wherever there is one: castling, promotions, en passant, the fifty-move edge.
TEST_F(Think, FindsMatesAndPlaysLegalMoves) {
  const struct {
    const char* fen;
    int moves;  // mate in this many moves of the side to move; negative: mated; 0: no mate
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 2},
      {"k7/8/8/3K4/8/8/8/7R w - - 0 1", 3},
      {"7r/8/8/8/3k4/8/8/K7 b - - 0 1", 3},
      {"k7/8/1K6/8/8/8/8/7R b - - 0 1", -1},  // Kb8 only, then Rh8
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 0},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 0},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 99 70", 0},
      {"1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1", 0},
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    if (c.moves > 0) {
      ASSERT_TRUE(mates_within(c.moves) && !(c.moves > 1 && mates_within(c.moves - 1))) << c.fen;
    }
    search(c.moves ? 8 : 6);
    ASSERT_TRUE(is_legal_here(best())) << c.fen;
    if (!c.moves) continue;
    EXPECT_EQ(value_to_mate(iscore[8]), c.moves) << c.fen;
    ASSERT_TRUE(makemove(best().b));  // the chosen move keeps the mate in reach
    EXPECT_TRUE(c.moves < 0 || loses_within(c.moves)) << c.fen << " " << move_text(best());
    takeback();
  }
}

using TimeControl = SearchFixture;

// A whole game's clock shared among 30 moves less 10 ms each, four fifths of
// the increment, 70% of the clock before the control, never below 20 ms; a
// side that was losing plans for fewer moves; the largest clocks must not overflow.
TEST_F(TimeControl, Allocation) {
  const int none = -1;
  const struct {
    int time, inc, moves_to_go, previous;  // previous: the score of the search two plies earlier
    int max_time;
  } cases[] = {
      {60000, none, none, 0, 1988},
      {60000, 1000, none, 0, 2788},
      {10000, none, 1, 0, 6958},
      {500, none, none, 0, 20},
      {60000, none, none, -150, 2987},
      {1000000000, 1000000000, 1, 0, 699999958 + 800000000},  // the largest clock "go" accepts
  };
  for (const auto& c : cases) {
    hply = 10;
    si.score_history[hply - 2] = c.previous;
    allocate_time(c.time, c.inc, c.moves_to_go);
    EXPECT_EQ(max_time, c.max_time) << c.time << " " << c.inc << " " << c.moves_to_go << " " << c.previous;
  }
  hply = 0;
}

// What ends a clock search after an iteration whatever the soft limit says
// (10 s allotted from 300 s left): the mate asked for, the hard limit, a
// certain short mate. Node budgets, infinite and ponder searches are the dialogues' business.
TEST_F(TimeControl, SearchIsOver) {
  si.fixed_time = si.bench = false;
  si.mate = -1;
  ext_time_control_type = TC_CLOCK;
  max_time = 10000;
  si.time_available = 300000;
  start_time = 0;
  set_time_budget();
  auto over = [](int depth, int score, int time = 1000) {
    return search_is_over({depth, score, 0, value_to_mate(score), time, false, false}, false);
  };
  EXPECT_FALSE(over(20, 0));
  // "go mate 2": a mate as short or shorter, either way, after the first iteration.
  si.mate = 2;
  for (const auto& [depth, score, expected] :
       {std::tuple{5, MATE_VALUE - 3, true}, std::tuple{5, 4 - MATE_VALUE, true}, std::tuple{5, MATE_VALUE - 5, false},
        std::tuple{1, MATE_VALUE - 1, false}})
    EXPECT_EQ(over(depth, score), expected) << depth << " " << score;
  si.mate = -1;
  // The hard limit (15% of the clock), and a mate within three moves seen after depth 11.
  EXPECT_TRUE(over(5, 0, 45000));
  EXPECT_FALSE(over(5, 0, 44999));
  EXPECT_TRUE(over(12, 6 - MATE_VALUE));
  EXPECT_FALSE(over(11, MATE_VALUE - 5));
  EXPECT_FALSE(over(12, MATE_VALUE - 7));
  ext_time_control_type = TC_NONE;
}

// A node that stops at its draw test counts one node and returns the draw
// score for the engine's side; a searched node counts its children too.
// Every searched position is reached by a move, as in a search.
class NodeDraws : public SearchFixture {
 protected:
  static constexpr int kScore = 321;  // far from any evaluation of these positions
  void SetUp() override {
    SearchFixture::SetUp();
    OptionUci.fifty_move_score = OptionUci.insufficient_material_score = OptionUci.repetition_score = kScore;
  }
  void TearDown() override {
    OptionUci.repetition_score = 0;
    SearchFixture::TearDown();
  }
  static void reach(const char* fen, const char* moves) {
    set_position(fen);
    std::istringstream in(moves);
    for (std::string m; in >> m;) ASSERT_TRUE(play(m.c_str())) << m;
    ext_corvantis_side = side;
  }
  enum Node { PV, CUT, CHECK, QUIESCENCE };
  // The draw score when the node stopped at its draw test, else a value no draw gives.
  static int drawn(Node node) {
    clearHash();  // no node takes its score from the search before
    const std::int64_t before = rnodes;
    const bool checked = in_check(side);
    const int score = node == PV      ? search_pv(-30000, 30000, 4, checked)
                      : node == CUT   ? search_cut(-1, 0, 4, true, 1)
                      : node == CHECK ? search_cut_check(-1, 0, 4, 1)
                                      : qsearch(-30000, 30000, 0, checked);
    return rnodes - before == 1 ? score : -99999;
  }
};

TEST_F(NodeDraws, MaterialAndFiftyMoves) {
  reach("4k3/8/8/8/8/8/8/2B1K3 b - - 0 1", "e8d7");
  EXPECT_EQ(drawn(CUT), kScore);
  ext_corvantis_side = side ^ 1;
  EXPECT_EQ(drawn(CUT), -kScore);
  reach("4k3/8/8/8/8/8/4P3/R3K3 b - - 99 80", "e8d7");
  for (Node n : {PV, CUT, QUIESCENCE}) EXPECT_EQ(drawn(n), kScore) << n;
  // In check the hundredth ply is not yet a draw, except in quiescence.
  reach("3k4/8/8/8/8/8/8/R3K3 w - - 99 80", "a1a8");
  for (Node n : {PV, CHECK}) EXPECT_NE(drawn(n), kScore) << n;
  EXPECT_EQ(drawn(QUIESCENCE), kScore);
  reach("3k4/8/8/8/8/8/8/R3K3 w - - 100 80", "a1a8");
  for (Node n : {PV, CHECK}) EXPECT_EQ(drawn(n), kScore) << n;
  reach("7k/8/5K2/8/8/8/8/6Q1 w - - 99 80", "g1g7");  // mate on the hundredth ply still counts
  EXPECT_EQ(search_pv(-30000, 30000, 4, true), ply - 30000);
  EXPECT_EQ(search_cut_check(-1, 0, 4, 1), ply - 30000);
}

// The rook checks from h8 and goes back while the king steps a8-a7-a8.
TEST_F(NodeDraws, Repetitions) {
  reach("k7/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8 a8a7 h8h1 a7a8");
  ASSERT_EQ(reps(), 1);
  for (Node n : {PV, CUT, QUIESCENCE}) EXPECT_EQ(drawn(n), kScore) << n;
  OptionUci.analyse_mode = true;  // in analysis only a second repetition is a draw
  for (Node n : {PV, CUT, QUIESCENCE}) EXPECT_NE(drawn(n), kScore) << n;
  OptionUci.analyse_mode = false;
  // In check a node needs two repetitions, quiescence one.
  reach("k7/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8");
  for (int cycle = 1; cycle <= 2; ++cycle) {
    for (const char* m : {"a8a7", "h8h1", "a7a8", "h1h8"}) ASSERT_TRUE(play(m));
    ASSERT_EQ(reps(), cycle);
    ext_corvantis_side = side;
    for (Node n : {PV, CHECK}) EXPECT_EQ(drawn(n) == kScore, cycle == 2) << n;
    EXPECT_EQ(drawn(QUIESCENCE), kScore);
  }
}

}  // namespace
