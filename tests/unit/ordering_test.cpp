// Move ordering: the pickers, the history, killer and counter-move updates,
// the check test of an unmade move, the hash-move validation and the
// follow-the-PV mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <random>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/staged.h"
#include "position_corpus.h"
#include "search/ordering.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "test_support.h"

namespace {

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

class Ordering : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_setup();
    clear_tables();
  }
  void TearDown() override {
    clear_tables();
    std::memset(static_cast<void*>(pv), 0, sizeof pv);
    follow_pv = false;
    set_position(kStart);
  }
  static void clear_tables() {
    std::memset(killer1, 0, sizeof killer1);
    std::memset(killer2, 0, sizeof killer2);
    std::memset(mkiller1, 0, sizeof mkiller1);
    std::memset(counterMove, 0, sizeof counterMove);
    HistoryScoreInit();
  }
};

// A move as a hash move or killer would hold it: the kind on its origin now.
move board_move(const char* from, const char* to, int bits = 0) {
  move m{};
  m.b = {static_cast<std::uint8_t>(sq(from)), static_cast<std::uint8_t>(sq(to)),
         static_cast<std::uint8_t>(piece[sq(from)]), static_cast<std::uint8_t>(EMPTY), static_cast<std::uint8_t>(bits)};
  return m;
}

// A level of n entries whose u words are 1000 + their original index.
void fill_level(const std::vector<int>& scores) {
  ply = 0;
  first_move[0] = 0;
  for (std::size_t i = 0; i < scores.size(); ++i) {
    gen_dat[i].m.u = 1000 + static_cast<std::uint32_t>(i);
    gen_dat[i].m.b.bits = 0;
    gen_dat[i].score = scores[i];
  }
  first_move[1] = static_cast<int>(scores.size());
}

template <typename Pick>
std::vector<int> picked_order(Pick pick) {
  std::vector<int> order;
  for (int i = first_move[0]; i < first_move[1]; ++i) {
    pick(i);
    order.push_back(static_cast<int>(gen_dat[i].m.u) - 1000);
  }
  return order;
}

std::vector<int> sorted_order(const std::vector<int>& scores) {
  fill_level(scores);
  return picked_order([](int i) { sort(i); });
}

TEST_F(Ordering, SelectionTakesHighestScoreEarliestOnTies) {
  EXPECT_EQ(sorted_order({5, 9, 9, 3}), (std::vector<int>{1, 2, 0, 3}));
  EXPECT_EQ(sorted_order({7, 3, 7}), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(sorted_order({-20000, -9999, 0}), (std::vector<int>{2, 1, 0}));
}

TEST_F(Ordering, ScoresAtOrBelowMinus10000KeepListOrder) {
  EXPECT_EQ(sorted_order({-20000, -15000, -10001, -10000}), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(sorted_order({-10000, -30000, -10000}), (std::vector<int>{0, 1, 2}));
}

TEST_F(Ordering, HashMoveFirstWhereverItStands) {
  fill_level({100, 50, 9, 1});
  move hash{};
  hash.u = 1003;
  EXPECT_EQ(picked_order([&](int i) { hash_sort(i, hash); }), (std::vector<int>{3, 0, 1, 2}));

  fill_level({100, 50, 9, 1});
  hash.u = 1000;  // already first
  EXPECT_EQ(picked_order([&](int i) { hash_sort(i, hash); }), (std::vector<int>{0, 1, 2, 3}));

  fill_level({1, 50, 100});
  hash.u = 999;  // not in the list: plain selection
  EXPECT_EQ(picked_order([&](int i) { hash_sort(i, hash); }), (std::vector<int>{2, 1, 0}));

  // Matched by the u word alone: different flags do not matter.
  fill_level({100, 1});
  hash.u = 1001;
  hash.b.bits = MF_CAPTURE;
  EXPECT_EQ(picked_order([&](int i) { hash_sort(i, hash); }), (std::vector<int>{1, 0}));
}

TEST_F(Ordering, QuiescencePickerScoresCapturesByExchange) {
  // Nxd5 and Qxd5 lose to the pawn recapture, Nxf5 is even, Rxa5 wins, cxb3 is
  // ranked at generation already.
  set_position("6k1/8/4p3/n2p1n2/7N/1rN5/2P5/R2Q2K1 w - - 0 1");
  gen_caps();
  qssort(first_move[0]);
  std::vector<std::pair<std::string, int>> scored;
  for (const gen_entry& g : level_moves()) scored.emplace_back(move_text(g.m), g.score);
  std::sort(scored.begin(), scored.end());
  const std::vector<std::pair<std::string, int>> expected = {
      {"a1a5", 9997000 + 315 - 500}, {"c2b3", 9997000 + 500 - 100}, {"c3d5", 9994000 + 100 - 315},
      {"d1d5", 9994000 + 100 - 1000}, {"h4f5", 9996000 + 315 - KNIGHT},
  };
  EXPECT_EQ(scored, expected);

  gen_caps();
  std::vector<std::string> order;
  for (int i = first_move[0]; i < first_move[1]; ++i) {
    qssort(i);
    order.push_back(move_text(gen_dat[i].m));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"c2b3", "a1a5", "h4f5", "c3d5", "d1d5"}));
}

TEST_F(Ordering, HistoryArithmetic) {
  set_position(kStart);
  const move knight = board_move("g1", "f3");
  int& h = historyScore[WHITE][KNIGHT][sq("f3")];
  history_good(knight, 8);
  EXPECT_EQ(h, 2048 + (((65536 - 2048) * 8) >> 8));
  h = 2048;
  history_bad(knight, 0, 8, 100);
  EXPECT_EQ(h, 2048 - ((8 * 2048) >> 8));

  h = 2048;
  history_bad(knight, 1, 8, 100);  // only 99 below the bound: no change
  EXPECT_EQ(h, 2048);

  history_good(knight, 256);
  EXPECT_EQ(h, 65536);
  history_bad(knight, -500, 256, 0);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(historyScore[BLACK][KNIGHT][sq("f3")], 2048);
}

TEST_F(Ordering, HistoryFeedsTheQuietMoveScores) {
  set_position(kStart);
  history_good(board_move("g1", "f3"), 20);
  const int expected = historyScore[WHITE][KNIGHT][sq("f3")];
  gen();
  for (const gen_entry& g : level_moves()) {
    if (move_text(g.m) == "g1f3") EXPECT_EQ(g.score, expected);
    else EXPECT_EQ(g.score, 2048) << move_text(g.m);
  }
}

TEST_F(Ordering, HistoryStaysWithinRange) {
  set_position(kStart);
  const move knight = board_move("g1", "f3");
  const int& h = historyScore[WHITE][KNIGHT][sq("f3")];
  std::mt19937 rng(77);
  for (int i = 0; i < 20000; ++i) {
    const int depth = 1 + static_cast<int>(rng() % 256);
    if (rng() % 2) history_good(knight, depth);
    else history_bad(knight, -1000, depth, 0);
    ASSERT_GE(h, 0);
    ASSERT_LE(h, 65536);
  }
}

TEST_F(Ordering, HistoryInitSetsEveryEntry) {
  for (auto& by_colour : historyScore)
    for (auto& by_kind : by_colour)
      for (int& h : by_kind) h = 7;
  HistoryScoreInit();
  for (auto& by_colour : historyScore)
    for (auto& by_kind : by_colour)
      for (int h : by_kind) EXPECT_EQ(h, 2048);
}

TEST_F(Ordering, KillerShiftAndMateKiller) {
  set_position(kStart);
  const move previous = generated_move(sq("e2"), sq("e4"));
  ASSERT_TRUE(makemove(previous.b));
  const move nf6 = generated_move(sq("g8"), sq("f6"));
  const move nc6 = generated_move(sq("b8"), sq("c6"));
  ASSERT_TRUE(nf6.u && nc6.u);

  update_killers(nf6, 50, previous);
  EXPECT_EQ(killer1[ply].m.u, nf6.u);
  EXPECT_EQ(killer2[ply].m.u, 0u);
  update_killers(nc6, 50, previous);
  EXPECT_EQ(killer1[ply].m.u, nc6.u);
  EXPECT_EQ(killer2[ply].m.u, nf6.u);
  update_killers(nc6, 50, previous);  // already killer1: not copied into killer2
  EXPECT_EQ(killer2[ply].m.u, nf6.u);

  EXPECT_EQ(mkiller1[ply].m.u, 0u);
  update_killers(nf6, 29799, previous);
  EXPECT_EQ(mkiller1[ply].m.u, 0u);
  update_killers(nf6, 29800, previous);
  EXPECT_EQ(mkiller1[ply].m.u, nf6.u);
  EXPECT_EQ(killer1[ply].m.u, nf6.u);
  EXPECT_EQ(killer2[ply].m.u, nc6.u);

  // Only this level's killers change.
  EXPECT_EQ(killer1[ply - 1].m.u, 0u);
  EXPECT_EQ(killer1[ply + 1].m.u, 0u);
}

TEST_F(Ordering, CounterMoveKeepsOnlyTheMoveWord) {
  set_position(kStart);
  const move previous = generated_move(sq("e2"), sq("e4"));
  ASSERT_TRUE(makemove(previous.b));
  const move push = generated_move(sq("e7"), sq("e5"));
  ASSERT_EQ(push.b.bits, MF_PAWN | MF_PUSH2);
  update_killers(push, 0, previous);
  const gen_entry& counter = counterMove[sq("e2")][sq("e4")];
  EXPECT_EQ(counter.m.u, push.u);
  EXPECT_EQ(counter.m.b.bits, 0);
  EXPECT_EQ(counter.score, 0);
}

TEST_F(Ordering, NoCounterMoveWithoutAPreviousMove) {
  set_position(kStart);
  const move nf3 = generated_move(sq("g1"), sq("f3"));
  move previous{};
  previous.b = {static_cast<std::uint8_t>(sq("e7")), static_cast<std::uint8_t>(sq("e5")), PAWN, EMPTY, 0};
  update_killers(nf3, 0, previous);
  EXPECT_EQ(killer1[0].m.u, nf3.u);
  EXPECT_EQ(counterMove[sq("e7")][sq("e5")].m.u, 0u);
}

TEST_F(Ordering, CapturesCastlesAndPromotionsChangeNoTable) {
  set_position("r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1");
  const move previous = generated_move(sq("e1"), sq("d1"));
  ASSERT_TRUE(makemove(previous.b));
  const move castle = generated_move(sq("e8"), sq("g8"));
  const move capture = generated_move(sq("a8"), sq("a1"));
  const move promotion = generated_move(sq("g2"), sq("g1"), QUEEN);
  ASSERT_TRUE(castle.u && capture.u && promotion.u);
  for (const move& m : {castle, capture, promotion}) update_killers(m, 29900, previous);
  EXPECT_EQ(killer1[ply].m.u, 0u);
  EXPECT_EQ(mkiller1[ply].m.u, 0u);
  EXPECT_EQ(counterMove[sq("e1")][sq("d1")].m.u, 0u);
}

// The check test of an unmade move against the board after making it.
TEST_F(Ordering, GivesCheckMatchesTheBoard) {
  int checks = 0, specials = 0;
  for_each_corpus_position([&] {
    gen();
    for (const gen_entry& g : level_moves()) {
      const bool predicted = MoveGivesCheck(g.m);
      if (!makemove(g.m.b)) continue;
      const bool actual = in_check(side);
      takeback();
      if (g.m.b.bits & (MF_CASTLE | MF_EP | MF_PROMOTE)) {
        ++specials;
        EXPECT_FALSE(predicted) << board_fen() << " " << move_text(g.m);
      } else {
        checks += actual;
        EXPECT_EQ(predicted, actual) << board_fen() << " " << move_text(g.m);
      }
    }
  });
  EXPECT_GT(checks, 1000);
  EXPECT_GT(specials, 100);
}

TEST_F(Ordering, GivesCheckIncludesKingDiscoveries) {
  set_position("4k3/8/8/8/8/8/4K3/4R3 w - - 0 1");
  EXPECT_TRUE(MoveGivesCheck(board_move("e2", "d2")));
  EXPECT_FALSE(MoveGivesCheck(board_move("e2", "e3")));  // still on the line
}

struct HashCase {
  const char* fen;
  const char *from, *to;
  int bits;  // flags of the accepted move; -1 when it must be refused
};

TEST_F(Ordering, HashMoveValidation) {
  const HashCase cases[] = {
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "e2", "e4", -1},  // double step onto a piece
      {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2", "e4", -1},     // double step over a piece
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "e2", "e3", 16},
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "a2", "a4", 24},
      {"4k3/8/8/8/4n3/P7/4P3/4K1N1 w - - 0 1", "a3", "a5", -1},  // double step off the second rank
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "a2", "b3", -1},  // diagonal to an empty square
      {"4k3/8/8/8/8/3n4/4P3/4K3 w - - 0 1", "e2", "d3", 17},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6", 21},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "f6", -1},
      {"4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", "e7", "e5", 24},
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "g1", "f3", 0},
      {"4k3/8/8/8/4n3/8/P3P3/4K1N1 w - - 0 1", "g1", "g3", -1},
      {"4k3/8/8/8/4n3/8/8/4K1B1 w - - 0 1", "g1", "f3", -1},      // a bishop now stands there
      {"4k3/8/8/8/3n4/8/8/B3K3 w - - 0 1", "a1", "c3", 0},
      {"4k3/8/8/8/3n4/8/8/B3K3 w - - 0 1", "a1", "d4", MF_CAPTURE},
      {"4k3/8/8/8/3n4/8/8/B3K3 w - - 0 1", "a1", "e5", -1},       // blocked by the knight
      {"4k3/8/8/8/3n4/8/8/Q3K3 w - - 0 1", "a1", "d4", MF_CAPTURE},
      {"4k3/8/8/8/3n4/8/8/Q3K3 w - - 0 1", "a1", "a8", 0},
      {"4k3/8/8/8/3n4/8/8/Q3K3 w - - 0 1", "a1", "e5", -1},
      {"4k3/8/8/8/3n4/8/8/Q3K3 w - - 0 1", "a1", "b3", -1},
      {"4k3/8/8/8/4r3/8/8/4RK2 w - - 0 1", "e1", "e4", MF_CAPTURE},
      {"8/8/8/8/8/3k4/8/4K3 w - - 0 1", "e1", "f1", 0},
      {"8/8/8/8/8/3k4/8/4K3 w - - 0 1", "e1", "d2", -1},           // next to the enemy king
      {"8/8/8/8/8/3k4/8/4K3 w - - 0 1", "e1", "e3", -1},
  };
  for (const HashCase& c : cases) {
    set_position(c.fen);
    const move hash = board_move(c.from, c.to);
    ASSERT_TRUE(hash_move_playable(hash)) << c.fen << " " << c.from << c.to;
    gen_hash_move(hash);
    const std::vector<gen_entry> list = level_moves();
    if (c.bits < 0) {
      EXPECT_TRUE(list.empty()) << c.fen << " " << c.from << c.to;
      continue;
    }
    ASSERT_EQ(list.size(), 1u) << c.fen << " " << c.from << c.to;
    EXPECT_EQ(list[0].m.u, hash.u) << c.fen << " " << c.from << c.to;
    EXPECT_EQ(list[0].m.b.bits, c.bits) << c.fen << " " << c.from << c.to;
    EXPECT_EQ(list[0].score, 50000000);
  }
}

TEST_F(Ordering, HashMoveMustBeOurPieceToANonOwnSquare) {
  set_position("r3k3/1P6/8/8/8/8/8/R3K2R w K - 0 1");
  move none{};
  EXPECT_FALSE(hash_move_playable(none));
  EXPECT_TRUE(hash_move_playable(board_move("a1", "a8", MF_CAPTURE)));
  EXPECT_FALSE(hash_move_playable(board_move("a8", "a1", MF_CAPTURE)));  // the enemy's rook
  EXPECT_FALSE(hash_move_playable(board_move("a1", "e1")));              // onto our king
  EXPECT_FALSE(hash_move_playable(board_move("e1", "g1", MF_CASTLE)));
  move promotion = board_move("b7", "b8", MF_PAWN | MF_PROMOTE);
  promotion.b.promote = QUEEN;
  EXPECT_FALSE(hash_move_playable(promotion));
}

TEST_F(Ordering, FollowingThePreviousLine) {
  set_position(kStart);
  const move e4 = generated_move(sq("e2"), sq("e4"));
  pv[0][0] = generated_move(sq("g1"), sq("f3"));
  gen();
  follow_pv = false;
  sort_pv();
  EXPECT_TRUE(follow_pv);
  for (const gen_entry& g : level_moves())
    EXPECT_EQ(g.score, g.m.u == pv[0][0].u ? 10000000 : 2048) << move_text(g.m);

  // One ply down the line's second move is marked.
  ASSERT_TRUE(makemove(e4.b));
  pv[0][1] = generated_move(sq("e7"), sq("e5"));
  gen();
  sort_pv();
  EXPECT_TRUE(follow_pv);
  int marked = 0;
  for (const gen_entry& g : level_moves()) marked += g.score == 10000000;
  EXPECT_EQ(marked, 1);

  // A line whose move is missing here is no longer followed.
  pv[0][1] = e4;
  gen();
  sort_pv();
  EXPECT_FALSE(follow_pv);
  for (const gen_entry& g : level_moves()) EXPECT_NE(g.score, 10000000);
}

}  // namespace
