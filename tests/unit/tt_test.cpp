// The transposition table: probing, storing, mate scores and replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "board/position.h"
#include "search/tt.h"
#include "test_support.h"

namespace {

constexpr int kMate = 30000;

move knight_move(const char* from, const char* to) {
  move m{};
  m.b = {static_cast<std::uint8_t>(sq(from)), static_cast<std::uint8_t>(sq(to)), static_cast<std::uint8_t>(KNIGHT),
         static_cast<std::uint8_t>(EMPTY), static_cast<std::uint8_t>(0)};
  return m;
}

// The bound type (0 when too shallow), the score and the move word a probe hands out.
std::tuple<int, int, std::uint32_t> probe(int depth) {
  int score = 0;
  move found{};
  const int bound = lookUpH(depth, &score, &found);
  return {bound, score, found.u};
}

class TTable : public ::testing::Test {
 protected:
  void SetUp() override { set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"); }  // clears it
  void TearDown() override {
    ply = 0;
    clearHash();
  }
  const move m = knight_move("g1", "f3");
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
  auto ours = [](const hashEntry& e) { return e.key == hash; };
  EXPECT_EQ(std::count_if(bucket, bucket + 4, ours), 1);
  EXPECT_EQ(std::find_if(bucket, bucket + 4, ours)->generation, TT_LOWER | 8);
  EXPECT_EQ(probe(6), std::make_tuple(TT_EXACT, 20, m.u));
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7), std::make_tuple(TT_UPPER, -5, m.u));
  hash ^= 0x1234;
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7), std::make_tuple(TT_UPPER, -5, 0u));
}

struct Slot {
  std::uint16_t generation;
  int depth, bound;
};

// Fills bucket 1 with four entries, stores a fifth key, and returns the slot it went to.
int victim_of(const Slot (&slots)[4], std::uint16_t current) {
  clearHash();
  for (int i = 0; i < 4; ++i) {
    hash = 1 + static_cast<u64>(i) * TT_size;
    hash_gen = slots[i].generation;
    storeH(knight_move("g1", "f3"), slots[i].depth, 0, slots[i].bound);
  }
  hash_gen = current;
  hash = 1 + 4ULL * TT_size;
  storeH(knight_move("b1", "c3"), 2, 0, TT_EXACT);
  for (int i = 0; i < 4; ++i)
    if (hashREC[1].e[i].key == hash) return i;
  return -1;
}

TEST_F(TTable, ReplacementWithinABucket) {
  const std::uint16_t old_gen = 4, cur = 8;
  const struct {
    const char* why;
    Slot slots[4];
    int victim;
  } cases[] = {
      {"current entries: first of the shallowest",
       {{cur, 8, TT_LOWER}, {cur, 4, TT_EXACT}, {cur, 6, TT_UPPER}, {cur, 4, TT_LOWER}}, 1},
      {"an old bound beats a current entry even when deeper",
       {{cur, 2, TT_EXACT}, {cur, 6, TT_EXACT}, {old_gen, 10, TT_LOWER}, {cur, 1, TT_EXACT}}, 2},
      {"an old exact entry is kept unless shallower",
       {{cur, 4, TT_EXACT}, {old_gen, 6, TT_EXACT}, {old_gen, 8, TT_EXACT}, {cur, 5, TT_EXACT}}, 0},
      {"an old exact entry that is shallower goes",
       {{cur, 4, TT_EXACT}, {old_gen, 2, TT_EXACT}, {old_gen, 1, TT_EXACT}, {cur, 3, TT_EXACT}}, 1},
      {"old entries: the shallowest bound, exact ones skipped",
       {{old_gen, 8, TT_LOWER}, {old_gen, 6, TT_UPPER}, {old_gen, 2, TT_EXACT}, {old_gen, 7, TT_LOWER}}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(victim_of(c.slots, cur), c.victim) << c.why;
  // A matching key is overwritten in place, whatever the replacement rule says.
  victim_of({{cur, 1, TT_EXACT}, {cur, 9, TT_EXACT}, {cur, 9, TT_EXACT}, {cur, 9, TT_EXACT}}, cur);
  hash = 1 + 3ULL * TT_size;
  storeH(knight_move("e2", "e4"), 12, 0, TT_EXACT);
  EXPECT_EQ(hashREC[1].e[3].depth, 12);
  EXPECT_EQ(hashREC[1].e[0].key, 1 + 4ULL * TT_size);
}

}  // namespace
