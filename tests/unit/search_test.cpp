// The clock's share for one move, and the draw rules as each node search
// applies them. Whole searches, mates and the limits that end them are the
// dialogues' business; the aspiration windows and time extensions are pinned
// by the bench signature.
#include "search/search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "options/options.h"
#include "platform/platform.h"
#include "search/control.h"
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
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  }
  const SearchControl saved_si = (engine_setup(), si);
  const OptionValues saved_options = OptionUci;
  const int saved_max_time = max_time;
};

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
      {60000, 1000, none, 0, 2788},
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
