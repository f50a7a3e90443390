// Whole searches through think() at a fixed depth: mates found with their
// distance, the board left as it was, positions in check or without moves,
// root-move restriction and several lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "position_corpus.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search_fixture.h"
#include "test_support.h"

namespace {

// Reference mate search over legal moves only: can the side to move mate in
// at most n of its moves?
bool mates_within(int n);

// The side to move (just moved against) is mated, or will be within n - 1
// further moves of the attacker, whatever it plays.
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

struct BoardState {
  std::string fen;
  u64 key, pawn_key;
  int hply_, ply_;
  bool operator==(const BoardState&) const = default;
};

BoardState board_state() { return {board_fen(), hash, phash, hply, ply}; }

class Think : public SearchFixture {
 protected:
  // Searches to depth and checks that the board is as it was.
  static void search(int depth) {
    const BoardState before = board_state();
    search_to_depth(depth);
    EXPECT_EQ(board_state(), before);
  }
  static move best() { return pv[0][0]; }
  static bool is_legal_here(const move& m) {
    gen();
    for (const move& legal : legal_level_moves())
      if (legal.u == m.u) return true;
    return false;
  }
};

struct MateCase {
  const char* fen;
  int moves;  // mate in this many moves of the side to move
};

TEST_F(Think, FindsMatesAtTheirDistance) {
  const MateCase cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 2},
      {"k7/8/8/3K4/8/8/8/7R w - - 0 1", 3},
      {"7r/8/8/8/3k4/8/8/K7 b - - 0 1", 3},
  };
  const int depth = 8;
  for (const MateCase& c : cases) {
    set_position(c.fen);
    ASSERT_TRUE(mates_within(c.moves)) << c.fen;
    ASSERT_FALSE(c.moves > 1 && mates_within(c.moves - 1)) << c.fen;
    search(depth);
    EXPECT_EQ(value_to_mate(iscore[depth]), c.moves) << c.fen;
    ASSERT_NE(best().u, 0u) << c.fen;
    // The chosen move keeps the mate in reach.
    ASSERT_TRUE(makemove(best().b)) << c.fen;
    EXPECT_TRUE(loses_within(c.moves)) << c.fen << " " << move_text(best());
    takeback();
  }
}

TEST_F(Think, SeesItsOwnMate) {
  set_position("k7/8/1K6/8/8/8/8/7R b - - 0 1");  // Kb8 only, then Rh8
  search(6);
  EXPECT_EQ(value_to_mate(iscore[6]), -1);
  EXPECT_EQ(move_text(best()), "a8b8");
}

TEST_F(Think, LeavesTheBoardAsItWas) {
  const char* const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 37 60",
      "4k3/8/8/8/8/8/8/R3K2R w KQ - 99 70",
      "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1",
  };
  for (const char* fen : fens) {
    set_position(fen);
    search(6);
    EXPECT_TRUE(is_legal_here(best())) << fen;
    EXPECT_GT(rnodes, 0) << fen;
  }
}

TEST_F(Think, TakesTheOnlyEvasion) {
  set_position("4R3/8/2k5/8/8/8/6PP/r6K w - - 0 1");
  search(8);
  EXPECT_EQ(move_text(best()), "e8e1");
  // A single evasion takes back half the allotment.
  EXPECT_LT(stop_time, start_time + max_time);
}

TEST_F(Think, NoMoveWithoutLegalMoves) {
  for (const char* fen : {"7k/6Q1/5K2/8/8/8/8/8 b - - 0 1", "k7/8/1Q6/8/8/8/8/K7 b - - 0 1"}) {
    set_position(fen);
    search(4);
    EXPECT_EQ(best().u, 0u) << fen;
  }
}

TEST_F(Think, SearchesOnlyTheListedRootMoves) {
  set_position("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
  const move king_step = generated_move(sq("g1"), sq("f1"));
  const move mate = generated_move(sq("a1"), sq("a8"));
  SearchInput.count = 1;
  SearchInput.moves[0] = king_step.u;
  search(5);
  EXPECT_EQ(best().u, king_step.u);

  SearchInput.count = 2;
  SearchInput.moves[1] = mate.u;
  search(5);
  EXPECT_EQ(best().u, mate.u);
}

struct InfoLine {
  int depth, multipv, score;
  std::string first_move;
};

std::vector<InfoLine> multipv_lines(const std::string& out) {
  std::vector<InfoLine> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    InfoLine l;
    char first[16] = {};
    if (std::sscanf(line.c_str(), "info depth %d seldepth %*d multipv %d score cp %d", &l.depth, &l.multipv,
                    &l.score) != 3)
      continue;
    const std::size_t at = line.find(" pv ");
    if (at == std::string::npos || std::sscanf(line.c_str() + at, " pv %15s", first) != 1) continue;
    l.first_move = first;
    lines.push_back(l);
  }
  return lines;
}

// Lines grouped by depth, each group in printing order.
std::vector<std::vector<InfoLine>> by_depth(const std::vector<InfoLine>& lines) {
  std::vector<std::vector<InfoLine>> groups;
  for (const InfoLine& l : lines) {
    if (groups.empty() || groups.back().front().depth != l.depth) groups.emplace_back();
    groups.back().push_back(l);
  }
  return groups;
}

TEST_F(Think, SeveralLinesSortedByScore) {
  set_position("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  OptionUci.multi_pv = 3;
  max_depth = 5;
  testing::internal::CaptureStdout();
  const BoardState before = board_state();
  think(1);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(board_state(), before);

  const std::vector<std::vector<InfoLine>> groups = by_depth(multipv_lines(out));
  ASSERT_EQ(groups.size(), 5u) << out;
  for (const std::vector<InfoLine>& g : groups) {
    ASSERT_EQ(g.size(), 3u) << out;
    std::set<std::string> first_moves;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(g[i].multipv, i + 1) << out;
      first_moves.insert(g[i].first_move);
    }
    EXPECT_GE(g[0].score, g[1].score) << out;
    EXPECT_GE(g[1].score, g[2].score) << out;
    EXPECT_EQ(first_moves.size(), 3u) << out;
  }
  const std::vector<InfoLine>& last = groups.back();
  EXPECT_TRUE(move_text(best()) == last[0].first_move || move_text(best()) == last[1].first_move ||
              move_text(best()) == last[2].first_move)
      << move_text(best());
  for (int i = 0; i < 2; ++i) EXPECT_GE(PVStore[i].score, PVStore[i + 1].score);
}

TEST_F(Think, FewerLegalMovesThanLines) {
  set_position("7k/p4Q2/8/8/8/8/8/K7 b - - 0 1");  // a7-a6 and a7-a5 only
  OptionUci.multi_pv = 3;
  max_depth = 4;
  testing::internal::CaptureStdout();
  think(1);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::vector<std::vector<InfoLine>> groups = by_depth(multipv_lines(out));
  ASSERT_EQ(groups.size(), 4u) << out;
  for (const std::vector<InfoLine>& g : groups) {
    ASSERT_EQ(g.size(), 2u) << out;
    EXPECT_GE(g[0].score, g[1].score) << out;
    EXPECT_NE(g[0].first_move, g[1].first_move) << out;
  }
  EXPECT_TRUE(move_text(best()) == "a7a6" || move_text(best()) == "a7a5") << move_text(best());
}

TEST(SortByPvScore, SwapsWholeLines) {
  static pv_store_t store[3];
  store[0] = {};
  store[0].score = 5;
  store[0].length = 1;
  store[0].moves[0] = 11;
  store[0].nodes = 100;
  store[0].time = 7;
  store[1] = {};
  store[1].score = 9;
  store[1].length = 3;
  store[1].moves[0] = 21;
  store[1].moves[1] = 22;
  store[1].moves[2] = 23;
  store[1].nodes = 200;
  store[1].time = 8;
  store[2] = {};
  store[2].score = 9;
  store[2].length = 2;
  store[2].moves[0] = 31;
  store[2].moves[1] = 32;
  SortByPvScore(3, store);
  EXPECT_EQ(store[0].score, 9);
  EXPECT_EQ(store[0].length, 3);
  EXPECT_EQ(store[0].moves[2], 23u);
  EXPECT_EQ(store[0].nodes, 200);
  EXPECT_EQ(store[0].time, 8);
  EXPECT_EQ(store[1].moves[0], 31u);  // equal scores keep their order
  EXPECT_EQ(store[1].moves[1], 32u);
  EXPECT_EQ(store[2].score, 5);
  EXPECT_EQ(store[2].length, 1);
  EXPECT_EQ(store[2].moves[0], 11u);
}

TEST_F(Think, NodeBudgetEndsTheSearch) {
  set_position("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  si.nodes = 3000;
  search(30);
  EXPECT_GE(rnodes, 3000);
  EXPECT_LT(rnodes, 3000 + 100000);
  EXPECT_TRUE(is_legal_here(best()));
}

// The largest clock values "go" accepts (it clamps them to 10^9 ms): the
// time extensions are percentages of them and must not overflow.
TEST_F(Think, LargestTimeLimitsDoNotOverflow) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  max_time = si.time_available = 1000000000;  // "movetime 1000000000"
  search(2);
  EXPECT_TRUE(is_legal_here(best()));
  si.fixed_time = false;
  allocate_time(1000000000, -1, -1);  // "wtime 1000000000"
  search(2);
  EXPECT_TRUE(is_legal_here(best()));
}

}  // namespace
