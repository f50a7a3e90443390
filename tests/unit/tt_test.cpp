// The transposition table: probing, storing, mate scores and torn entries
// (its replacement rule is pinned by the bench signature); and the
// evaluation caches that the table's code allocates for helper threads.
#include "search/tt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "board/position.h"
#include "eval/eval_hash.h"
#include "test_support.h"

namespace {

constexpr int kMate = 30000;

// The bound type (0 when too shallow), the score and the move word a probe hands out.
std::tuple<int, int, std::uint32_t> probe(int depth) {
  int score = 0;
  move found{};
  const int bound = lookUpH(depth, &score, &found);
  return {bound, score, found.u};
}

class TTable : public ::testing::Test {
 protected:
  void SetUp() override {
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");  // clears it
    m = board_move("g1", "f3");
  }
  void TearDown() override {
    ply = 0;
    clearHash();
  }
  move m{};
};

// Exact mate scores are stored relative to the node and handed out relative
// to the probing ply; mate bounds come back clamped to the mate bound.
TEST_F(TTable, MateScores) {
  ply = 5;
  storeH(m, 8, kMate - 10, TT_EXACT);
  ply = 7;
  EXPECT_EQ(probe(8), std::make_tuple(TT_EXACT, kMate - 10 + 5 - 7, m.u));
  ply = 5;
  storeH(m, 8, -(kMate - 10), TT_EXACT);
  ply = 3;
  EXPECT_EQ(probe(8), std::make_tuple(TT_EXACT, -(kMate - 10) - 5 + 3, m.u));
  for (int store_ply : {0, 4, 9}) {
    ply = store_ply;
    storeH(m, 8, kMate - 3, TT_LOWER);
    ply = 2;
    EXPECT_EQ(probe(8), std::make_tuple(TT_LOWER, 29800, m.u));
    ply = store_ply;
    storeHashUpper(8, -(kMate - 3), TT_UPPER);
    ply = 2;
    EXPECT_EQ(probe(8), std::make_tuple(TT_UPPER, -29800, m.u));
  }
}

// A store for a key already present refreshes that entry, marked by its old
// bound, and keeps its move when it brings none; a fail-low store into a new
// entry has no move.
TEST_F(TTable, RefreshKeepsOneEntryAndTheMove) {
  EXPECT_EQ(probe(0), std::make_tuple(0, 0, 0u));
  hash_gen = 8;
  storeH(m, 4, 10, TT_LOWER);
  EXPECT_EQ(probe(6), std::make_tuple(0, 10, m.u));  // too shallow: the move only
  storeH(move{}, 6, 20, TT_EXACT);
  const hashEntry* bucket = hashREC[hash & (TT_size - 1)].e;
  auto ours = [](const hashEntry& e) { return read_entry(e).key == hash; };
  EXPECT_EQ(std::count_if(bucket, bucket + 4, ours), 1);
  EXPECT_EQ(probe(6), std::make_tuple(TT_EXACT, 20, m.u));
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7), std::make_tuple(TT_UPPER, -5, m.u));
  hash ^= 0x1234;
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7), std::make_tuple(TT_UPPER, -5, 0u));
}

// Threads write entries without a lock: an entry holding one writer's key
// and move with another's data is not found, and its move is not handed out.
TEST_F(TTable, TornEntryIsNeverTrusted) {
  storeH(m, 6, 15, TT_EXACT);
  const u64 ours = hash;
  hash ^= 1ULL << 60;  // another position, in another entry of the same bucket
  storeH(board_move("b1", "c3"), 9, -40, TT_LOWER);
  hashEntry* bucket = hashREC[ours & (TT_size - 1)].e;
  auto holding = [bucket](u64 key) {
    return std::find_if(bucket, bucket + 4, [key](const hashEntry& e) { return read_entry(e).key == key; });
  };
  hashEntry* mine = holding(ours);
  hashEntry* theirs = holding(hash);
  ASSERT_NE(mine, bucket + 4);
  ASSERT_NE(theirs, bucket + 4);
  mine->data.store(theirs->data.load());
  hash = ours;
  EXPECT_EQ(probe(0), std::make_tuple(0, 0, 0u));
  // Storing the position again takes a fresh slot or the torn one, and is found.
  storeH(m, 6, 15, TT_EXACT);
  EXPECT_EQ(probe(6), std::make_tuple(TT_EXACT, 15, m.u));
}

// A helper's caches are its share of the main thread's among the helpers,
// never below 4096 entries; the helper empties them once cached values no
// longer hold, and otherwise they keep what they hold.
TEST(HelperCaches, ShareOfTheMainThreadsAndEmptiedWhenItsAre) {
  engine_setup();  // the main thread's caches
  EvalCaches c{};
  for (const auto& [helpers, divisor] : {std::pair{1, 1u}, std::pair{3, 4u}, std::pair{4, 4u}, std::pair{255, 256u}}) {
    size_helper_caches(&c, helpers);
    ASSERT_TRUE(c.evals && c.pawns && c.shelters);
    EXPECT_EQ(c.evals_size, gETSize / divisor) << helpers;
    EXPECT_EQ(c.pawns_size, std::max(pgETSize / divisor, 4096u)) << helpers;
    EXPECT_EQ(c.shelters_size, std::max(ksETSize / divisor, 4096u)) << helpers;
  }
  c.evals[5].score = 7;
  c.pawns[5].score = 8;
  size_helper_caches(&c, 255);
  empty_helper_caches_if_stale(&c);
  EXPECT_TRUE(c.evals[5].score == 7 && c.pawns[5].score == 8);
  eval_caches_outdated();
  size_helper_caches(&c, 255);
  empty_helper_caches_if_stale(&c);
  EXPECT_TRUE(c.evals[5].score == 0 && c.pawns[5].score == 0);
  free_eval_caches(&c);
  EXPECT_FALSE(c.evals || c.pawns || c.shelters);
}

}  // namespace
