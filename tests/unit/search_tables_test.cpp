// What the node searches share: move ordering (history, the check test of an
// unmade move, hash-move validation) and repetitions. The pickers' order, the
// generation scores, killers, extensions, mate distances and reductions are
// pinned by the bench signature.
#include "search/search_tables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "search/ordering.h"
#include "search/think.h"
#include "test_support.h"

namespace {

class Ordering : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_setup();
    reset_ordering_tables();
  }
  void TearDown() override { reset_ordering_tables(); }
};

// History stays within its range under any sequence of updates. Killers,
// counter moves and the quiet-move filter show in the bench signature.
TEST_F(Ordering, HistoryStaysInRange) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const move nf3 = board_move("g1", "f3");
  const int& h = historyScore[WHITE][KNIGHT][sq("f3")];
  std::mt19937 rng(77);
  for (int i = 0; i < 20000; ++i) {
    const int depth = 1 + static_cast<int>(rng() % 256);
    if (rng() % 2) history_good(nf3, depth);
    else history_bad(nf3, -1000, depth, 0);
    ASSERT_TRUE(h >= 0 && h <= 65536) << h;
  }
}

// The check test of an unmade move against the board after making it.
TEST_F(Ordering, GivesCheckMatchesTheBoard) {
  int checks = 0;
  for_each_corpus_position([&] {
    gen();
    for (const gen_entry& g : level_moves()) {
      const bool predicted = MoveGivesCheck(g.m);
      if (!makemove(g.m.b)) continue;
      const bool actual = in_check(side);
      takeback();
      EXPECT_EQ(predicted, actual && !(g.m.b.bits & (MF_CASTLE | MF_EP | MF_PROMOTE)))
          << board_fen() << " " << move_text(g.m);
      checks += actual;
    }
  });
  EXPECT_GT(checks, 1000);
}

// Every origin and destination as a hash move: the validated move is the one
// gen() generates there, with its flags; nothing when gen() has none.
TEST_F(Ordering, HashMoveValidation) {
  int accepted = 0;
  for_each_corpus_position([&] {
    gen();
    const std::vector<gen_entry> all = level_moves();
    for (int from = 0; from < 64; ++from)
      for (int to = 0; to < 64; ++to) {
        const move hash = board_move(from, to);
        ASSERT_EQ(hash_move_playable(hash), color[from] == side && color[to] != side);
        // A pawn step to the last rank is stored with its promotion, which is never playable.
        if (!hash_move_playable(hash) || (piece[from] == PAWN && row_of(to) == (side == WHITE ? 0 : 7))) continue;
        int bits = -1;
        for (const gen_entry& g : all)
          if (g.m.u == hash.u && !(g.m.b.bits & MF_CASTLE)) bits = g.m.b.bits;
        gen_hash_move(hash);
        const std::vector<gen_entry> list = level_moves();
        ASSERT_EQ(list.size(), bits < 0 ? 0u : 1u) << board_fen() << " " << move_text(hash);
        if (bits < 0) continue;
        ++accepted;
        EXPECT_TRUE(list[0].m.u == hash.u && list[0].m.b.bits == bits && list[0].score == HASH_MOVE_SCORE)
            << board_fen() << " " << move_text(hash);
      }
  });
  EXPECT_GT(accepted, 20000);
  set_position("r3k3/1P6/8/8/8/8/8/R3K2R w K - 0 1");
  EXPECT_FALSE(hash_move_playable(board_move(sq("e1"), sq("g1"), MF_CASTLE)));
  EXPECT_FALSE(hash_move_playable(board_move(sq("b7"), sq("b8"), MF_PAWN | MF_PROMOTE)));
}

// The half-move clock of a loaded text counts moves this history does not hold.
TEST(SearchTables, RepetitionCount) {
  for (const char* clock : {"0 1", "1 1", "30 20", "99 60"}) {
    set_position((std::string("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - ") + clock).c_str());
    EXPECT_EQ(reps(), 0) << clock;
    for (int i = 1; i <= 8; ++i) {
      ASSERT_TRUE(play(i % 4 == 1 ? "g1f3" : i % 4 == 2 ? "g8f6" : i % 4 == 3 ? "f3g1" : "f6g8"));
      if (i % 4 == 0) {
        EXPECT_EQ(reps(), i / 4) << clock;
      }
    }
  }
  fifty = 4;  // only positions since the last irreversible move count
  EXPECT_EQ(reps(), 1);
}

}  // namespace
