// Whole searches through think() at a fixed depth, the time control, and the
// draw rules as each node search applies them.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/options.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "platform/platform.h"
#include "search/search.h"
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

TEST_F(Think, FindsMatesAtTheirDistance) {
  const struct {
    const char* fen;
    int moves;  // mate in this many moves of the side to move; negative: mated
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 2},
      {"k7/8/8/3K4/8/8/8/7R w - - 0 1", 3},
      {"7r/8/8/8/3k4/8/8/K7 b - - 0 1", 3},
      {"k7/8/1K6/8/8/8/8/7R b - - 0 1", -1},  // Kb8 only, then Rh8
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    if (c.moves > 0) {
      ASSERT_TRUE(mates_within(c.moves) && !(c.moves > 1 && mates_within(c.moves - 1))) << c.fen;
    }
    search(8);
    EXPECT_EQ(value_to_mate(iscore[8]), c.moves) << c.fen;
    ASSERT_TRUE(is_legal_here(best())) << c.fen;
    ASSERT_TRUE(makemove(best().b));  // the chosen move keeps the mate in reach
    EXPECT_TRUE(c.moves < 0 || loses_within(c.moves)) << c.fen << " " << move_text(best());
    takeback();
  }
}

TEST_F(Think, PlaysALegalMoveIfThereIsOne) {
  for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                          "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
                          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 37 60", "4k3/8/8/8/8/8/8/R3K2R w KQ - 99 70",
                          "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1"}) {
    set_position(fen);
    search(6);
    EXPECT_TRUE(is_legal_here(best())) << fen;
  }
  set_position("4R3/8/2k5/8/8/8/6PP/r6K w - - 0 1");  // a single evasion takes back half the allotment
  search(8);
  EXPECT_EQ(move_text(best()), "e8e1");
  EXPECT_LT(stop_time, start_time + max_time);
}

// The largest clock values "go" accepts (it clamps them to 10^9 ms): the
// time extensions are percentages of them and must not overflow.
TEST_F(Think, LargestTimeLimitsDoNotOverflow) {
  max_time = si.time_available = 1000000000;  // "movetime 1000000000"
  search(2);
  EXPECT_TRUE(is_legal_here(best()));
  si.fixed_time = false;
  allocate_time(1000000000, -1, -1);  // "wtime 1000000000"
  search(2);
  EXPECT_TRUE(is_legal_here(best()));
}

using TimeControl = SearchFixture;

TEST_F(TimeControl, Allocation) {
  const int none = -1;
  const struct {
    int time, inc, moves_to_go;
    int hply, previous;  // the score of the search two plies earlier
    int buffer, max_time, available;
  } cases[] = {
      {60000, none, none, 0, 0, 60, 1988, 59640},  // sudden death: 59940 less 10 ms for each of 30 moves
      {60000, 1000, none, 0, 0, 60, 2788, 59640},
      {60000, none, none, 0, 0, 1000, (60000 - 1000 - 300) / 30, 60000 - 1000 - 300},
      {10000, none, 1, 0, 0, 60, 6958, 9940},
      {10000, 500, 20, 0, 0, 60, 497 + 400, none},
      {500, none, none, 0, 0, 60, 20, 140},  // nearly flagged: the minimum
      {30, none, 1, 0, 0, 60, 20, none},
      // The losing side shares its time among fewer moves.
      {60000, none, none, 10, -150, 60, (59940 - 200) / 20, none},
      {60000, none, none, 10, -200, 60, (59940 - 200) / 20, none},
      {60000, none, none, 10, -201, 60, (59940 - 160) / 16, none},
      {60000, none, none, 10, -100, 60, (59940 - 240) / 24, none},
      {60000, none, none, 10, -1, 60, (59940 - 240) / 24, none},
      {60000, none, none, 10, 0, 60, 1988, none},
      {60000, none, none, 2, -1000, 60, 1988, none},  // no earlier search two plies into the game
      {1000000000, 1000000000, 1, 0, 0, 60, 699999958 + 800000000, none},  // the largest clock
  };
  for (const auto& c : cases) {
    hply = c.hply;
    if (c.hply >= 2) si.score_history[c.hply - 2] = c.previous;
    OptionUci.time_buffer = c.buffer;
    allocate_time(c.time, c.inc, c.moves_to_go);
    EXPECT_EQ(max_time, c.max_time) << c.time << " " << c.inc << " " << c.moves_to_go << " " << c.previous;
    EXPECT_TRUE(c.available == none || si.time_available == c.available) << c.time << " " << si.time_available;
  }
}

// Deadlines set in the past, so nothing here waits on the clock.
TEST_F(TimeControl, PollStopsAtLimitsUnlessInfiniteOrPondering) {
  auto stops = [] {
    si.stop_search = false;
    CheckUserInputandTime();
    return si.stop_search;
  };
  stop_time = get_ms() - 1;  // the soft limit
  // Nothing ends a first iteration: every search must have a move to report.
  si.iteration_done = false;
  si.nodes = rnodes = 1000;
  si.stop_requested = true;
  EXPECT_FALSE(stops());
  si.nodes = 0;
  si.stop_requested = false;
  si.iteration_done = true;
  EXPECT_TRUE(stops());
  for (bool* flag : {&si.infinite, &si.ponder}) {
    *flag = true;
    EXPECT_FALSE(stops());
    si.stop_requested = true;  // "stop" ends even these
    EXPECT_TRUE(stops());
    *flag = si.stop_requested = false;
  }
  stop_time = get_ms() + kNoClockLimit;
  start_time = get_ms() - 5000;  // the hard limit
  ext_max_tt = 5000;
  EXPECT_TRUE(stops());
  ext_max_tt = kNoClockLimit;
  si.nodes = rnodes = 1000;  // the node budget
  EXPECT_TRUE(stops());
}

// A node that stops at its draw test counts one node and returns the draw
// score for the engine's side; a searched node counts its children too.
// Every searched position is reached by a move, as in a search.
class NodeDraws : public SearchFixture {
 protected:
  static constexpr int kScore = 321;  // far from any evaluation of these positions
  void SetUp() override {
    SearchFixture::SetUp();
    OptionUci.fifty_move_score = OptionUci.insufficient_material_score = kScore;
    ASSERT_TRUE(OptionSet("RepetitionScore", "321"));
  }
  void TearDown() override {
    OptionSet("RepetitionScore", "0");
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
