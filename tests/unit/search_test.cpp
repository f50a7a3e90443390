// Whole searches through think() at a fixed depth, the time control, and the
// draw rules as each node search applies them.
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
#include "engine/options.h"
#include "engine/uci.h"
#include "movegen/gen.h"
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
  for (const char* fen :
       {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 37 60",
        "4k3/8/8/8/8/8/8/R3K2R w KQ - 99 70", "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1"}) {
    set_position(fen);
    search(6);
    EXPECT_TRUE(is_legal_here(best())) << fen;
  }
  set_position("4R3/8/2k5/8/8/8/6PP/r6K w - - 0 1");  // a single evasion takes back half the allotment
  search(8);
  EXPECT_EQ(move_text(best()), "e8e1");
  EXPECT_LT(stop_time, start_time + max_time);
}

using TimeControl = SearchFixture;

// The allotments worked out by hand for the time control: a whole game's
// clock shared among 30 moves less 10 ms each, four fifths of the increment,
// 70% of the clock for the last move before the control, never below 20 ms;
// a side that was losing plans for fewer moves.
TEST_F(TimeControl, AllocationExamples) {
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

// The driver's decisions after an iteration, on an ordinary clock search:
// 10 s allotted from 300 s left, the clock read as 0 at the start.
class IterationDecisions : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    si.fixed_time = si.bench = si.infinite = si.ponder = false;
    si.nodes = 0;
    si.mate = -1;
    si.ponder_time = 0;
    ext_time_control_type = TC_CLOCK;
    max_time = 10000;
    si.time_available = 300000;
    out_of_book = 10;
    start_time = 0;
    set_time_budget();
  }
  void TearDown() override {
    ext_time_control_type = TC_NONE;
    out_of_book = 0;
    open_window();
    SearchFixture::TearDown();
  }
  // An iteration at depth whose score moved from previous, ending at time ms.
  static Iteration at(int depth, int score = 0, int previous = 0, int time = 1000) {
    return {depth, score, previous, value_to_mate(score), time, false, false};
  }
  static Iteration with(Iteration it, bool fail_low, bool new_best_move) {
    it.fail_low = fail_low;
    it.new_best_move = new_best_move;
    return it;
  }
  // How far extend_time moves the soft limit, and whether it counts as an extension.
  static std::pair<std::int64_t, bool> extension(const Iteration& it, bool extend_ok = true, bool single = true) {
    const std::int64_t before = stop_time;
    const bool extended = extend_time(it, extend_ok, single);
    const std::int64_t moved = stop_time - before;
    stop_time = before;
    return {moved, extended};
  }
  // How far extend_ponder_time moves the soft limit; the ponder budget must move alike.
  static std::int64_t ponder_extension(const Iteration& it) {
    const std::int64_t before = stop_time;
    const int ponder_before = si.ponder_time;
    extend_ponder_time(it);
    const std::int64_t moved = stop_time - before;
    EXPECT_EQ(si.ponder_time - ponder_before, moved);
    stop_time = before;
    si.ponder_time = ponder_before;
    return moved;
  }
};

TEST_F(IterationDecisions, BudgetFromTheAllotment) {
  EXPECT_EQ(stop_time, 10000);
  EXPECT_EQ(ext_max_tt, 45000);  // 15% of the clock, never below the allotment
  max_time = 20000;
  si.time_available = 60000;
  set_time_budget();
  EXPECT_EQ(ext_max_tt, 20000);
  // The first three searches after the book, on a long clock, get a sixth, then an eighth more.
  max_time = 24000;
  si.time_available = 120001;
  for (const auto& [searches, soft] : {std::pair{1, 28000}, std::pair{3, 27000}, std::pair{4, 24000}}) {
    out_of_book = searches;
    set_time_budget();
    EXPECT_EQ(stop_time, soft) << searches;
  }
  si.time_available = 120000;
  out_of_book = 1;
  set_time_budget();
  EXPECT_EQ(stop_time, 24000);
  si.fixed_time = true;  // a fixed time per move has no hard limit beyond it
  si.time_available = 1000000;
  set_time_budget();
  EXPECT_EQ(ext_max_tt, 24000);
  // Extensions are percentages of clocks up to 10^9 ms: they must not overflow.
  si.fixed_time = false;
  max_time = si.time_available = 1000000000;
  set_time_budget();
  EXPECT_TRUE(ext_max_tt == 1000000000 && ScoreDropExtension1 == 800000000 && NewPvTimeExtension == 500000000);
}

TEST_F(IterationDecisions, SearchIsOver) {
  EXPECT_FALSE(search_is_over(at(20), false));
  si.nodes = 1000;  // the node budget, against the nodes searched
  rnodes = 999;
  EXPECT_FALSE(search_is_over(at(5), false));
  EXPECT_TRUE(search_is_over(at(5), true));  // a root without moves counts no nodes
  rnodes = 1000;
  EXPECT_TRUE(search_is_over(at(5), false));
  si.nodes = 0;
  rnodes = 1;
  // "go mate 2": a mate as short or shorter, either way, after the first iteration.
  si.mate = 2;
  EXPECT_TRUE(search_is_over(at(5, MATE_VALUE - 3), false));
  EXPECT_TRUE(search_is_over(at(5, MATE_VALUE - 1), false));
  EXPECT_TRUE(search_is_over(at(5, 4 - MATE_VALUE), false));
  EXPECT_FALSE(search_is_over(at(5, MATE_VALUE - 5), false));
  EXPECT_FALSE(search_is_over(at(1, MATE_VALUE - 1), false));
  si.mate = -1;
  // The hard limit, and a mate within three moves seen after depth 11.
  EXPECT_TRUE(search_is_over(at(5, 0, 0, 45000), false));
  EXPECT_FALSE(search_is_over(at(5, 0, 0, 44999), false));
  EXPECT_TRUE(search_is_over(at(12, MATE_VALUE - 5), false));
  EXPECT_TRUE(search_is_over(at(12, 6 - MATE_VALUE), false));
  EXPECT_FALSE(search_is_over(at(11, MATE_VALUE - 5), false));
  EXPECT_FALSE(search_is_over(at(12, MATE_VALUE - 7), false));
  for (bool* unlimited : {&si.infinite, &si.ponder}) {
    *unlimited = true;
    EXPECT_FALSE(search_is_over(at(12, MATE_VALUE - 5, 0, 1000000), false));
    *unlimited = false;
  }
}

TEST_F(IterationDecisions, TimeExtensions) {
  using Ext = std::pair<std::int64_t, bool>;
  // A new best move after depth 10: half an allotment.
  EXPECT_EQ(extension(with(at(11), false, true)), Ext(5000, true));
  EXPECT_EQ(extension(with(at(10), false, true)), Ext(0, false));
  EXPECT_EQ(extension(with(at(11), false, true), false), Ext(0, false));  // infinite, pondering or fixed time
  // A fail low after depth 13: 3/8 of an allotment, half one more when losing twice on a long clock.
  EXPECT_EQ(extension(with(at(14, 50, 60), true, false)), Ext(3750, true));
  EXPECT_EQ(extension(with(at(14, -50, -10), true, false)), Ext(3750 + 5000, true));
  EXPECT_EQ(extension(with(at(14, -50, 10), true, false)), Ext(3750, true));
  EXPECT_EQ(extension(with(at(13, 50, 60), true, false)), Ext(0, false));
  EXPECT_EQ(extension(with(at(14, 50, 60), true, false), true, false), Ext(0, false));  // MultiPV
  EXPECT_EQ(extension(with(at(14, 50, 60), true, true)), Ext(5000 + 3750, true));
  si.time_available = 150000;
  EXPECT_EQ(extension(with(at(14, -50, -10), true, false)), Ext(3750, true));
  // A drop of 30 or more: 80% when it turns negative, half down to 0 .. 74, nothing above.
  EXPECT_EQ(extension(at(14, -10, 20)), Ext(8000, true));
  EXPECT_EQ(extension(at(14, 74, 104)), Ext(5000, true));
  EXPECT_EQ(extension(at(14, 75, 105)), Ext(0, true));
  EXPECT_EQ(extension(at(14, -10, 19)), Ext(0, false));
}

TEST_F(IterationDecisions, PonderExtension) {
  si.ponder = true;
  stop_time = 4000;  // 1000 ms left after an iteration that took 3000 ms: it cannot be repeated
  EXPECT_EQ(ponder_extension(with(at(12, 0, 0, 3000), false, true)), 6000);
  EXPECT_EQ(ponder_extension(with(at(12, 0, 0, 3000), true, false)), 4500);
  EXPECT_EQ(ponder_extension(at(12, 0, 50, 3000)), 4500);
  EXPECT_EQ(ponder_extension(at(12, 0, 49, 3000)), 0);
  EXPECT_EQ(ponder_extension(with(at(12, 501, 0, 3000), false, true)), 0);  // decided games
  EXPECT_EQ(ponder_extension(with(at(12, -501, 0, 3000), false, true)), 0);
  EXPECT_EQ(ponder_extension(with(at(11, 0, 0, 3000), false, true)), 0);
  EXPECT_EQ(ponder_extension(with(at(12, 0, 0, 1600), false, true)), 0);  // 2400 ms left could repeat it
  si.ponder = false;
  EXPECT_EQ(ponder_extension(with(at(12, 0, 0, 3000), false, true)), 0);
}

TEST_F(IterationDecisions, NextIterationFits) {
  // The spent budget ends the search from the third iteration on.
  EXPECT_FALSE(next_iteration_fits(at(3, 0, 0, 10000)));
  EXPECT_TRUE(next_iteration_fits(at(2, 0, 0, 10000)));
  // Under a clock, after depth 6, an iteration over a quarter of the
  // allotment needs 3/2 of its time left.
  EXPECT_TRUE(next_iteration_fits(at(7, 0, 0, 4000)));
  EXPECT_FALSE(next_iteration_fits(at(7, 0, 0, 4001)));
  EXPECT_TRUE(next_iteration_fits(at(6, 0, 0, 4001)));
  stop_time = 3000;  // a soft limit taken back by a single evasion
  EXPECT_TRUE(next_iteration_fits(at(7, 0, 0, 2500)));
  EXPECT_FALSE(next_iteration_fits(at(7, 0, 0, 2501)));
  stop_time = 10000;
  ext_time_control_type = TC_MOVES_TO_GO;
  EXPECT_FALSE(next_iteration_fits(at(7, 0, 0, 4001)));
  ext_time_control_type = TC_MOVE_TIME;
  EXPECT_TRUE(next_iteration_fits(at(7, 0, 0, 4001)));
  EXPECT_FALSE(next_iteration_fits(at(7, 0, 0, 10000)));
  for (bool* unlimited : {&si.ponder, &si.infinite}) {
    *unlimited = true;
    EXPECT_TRUE(next_iteration_fits(at(7, 0, 0, 10000)));
    *unlimited = false;
  }
}

TEST_F(IterationDecisions, AspirationWindows) {
  int fails = 0;
  auto window = [&](int score) {
    const bool repeat = next_window(score, &fails);
    return std::tuple(repeat, ralpha, rbeta, fails);
  };
  open_window();
  EXPECT_EQ(window(40), std::tuple(false, 10, 70, 0));
  EXPECT_EQ(window(10), std::tuple(true, -90, 10, 1));                   // a fail low: the window below it
  EXPECT_EQ(window(-90), std::tuple(true, -MATE_VALUE, MATE_VALUE, 2));  // a second fail opens it
  EXPECT_EQ(window(-200), std::tuple(false, -230, -170, 0));
  EXPECT_EQ(window(-170), std::tuple(true, -170, -70, 1));  // a fail high: the window above it
  EXPECT_EQ(window(-150), std::tuple(false, -180, -120, 0));
  // Far from zero no window is worth it, and the fail count stays.
  EXPECT_EQ(window(-10001), std::tuple(true, -MATE_VALUE, MATE_VALUE, 1));
  EXPECT_EQ(window(10001), std::tuple(false, -MATE_VALUE, MATE_VALUE, 1));
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
