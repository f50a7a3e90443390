// The transposition table: probing, storing, mate scores and replacement.
#include <gtest/gtest.h>

#include <cstddef>

#include "board/position.h"
#include "search/tt.h"
#include "test_support.h"

namespace {

constexpr int kMate = 30000;

move make_move(int from, int to) {
  move m{};
  m.b = {static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), static_cast<std::uint8_t>(KNIGHT),
         static_cast<std::uint8_t>(EMPTY), static_cast<std::uint8_t>(0)};
  return m;
}

class TTable : public ::testing::Test {
 protected:
  void SetUp() override {
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");  // clears the table
  }
  void TearDown() override {
    ply = 0;
    clearHash();
  }
  // Keys 1 + i * TT_size all fall into bucket 1.
  static u64 bucket_key(int i) { return 1 + static_cast<u64>(i) * TT_size; }
  static const hashEntry* bucket() { return hashREC[1].e; }
  static int probe(int depth, int* score, move* m) { return lookUpH(depth, score, m); }
};

TEST_F(TTable, StoreAndProbe) {
  const move m = make_move(sq("g1"), sq("f3"));
  int score = 0;
  move found{};
  EXPECT_EQ(probe(0, &score, &found), 0);
  EXPECT_EQ(found.u, 0u);

  storeH(m, 10, 37, TT_EXACT);
  EXPECT_EQ(probe(10, &score, &found), TT_EXACT);
  EXPECT_EQ(score, 37);
  EXPECT_EQ(found.u, m.u);

  storeH(m, 10, -120, TT_LOWER);
  EXPECT_EQ(probe(8, &score, &found), TT_LOWER);
  EXPECT_EQ(score, -120);
}

TEST_F(TTable, ShallowEntryHandsOutMoveOnly) {
  const move m = make_move(sq("b1"), sq("c3"));
  storeH(m, 6, 55, TT_LOWER);
  int score = 0;
  move found{};
  EXPECT_EQ(probe(8, &score, &found), 0);
  EXPECT_EQ(found.u, m.u);
  EXPECT_EQ(score, 55);
}

TEST_F(TTable, ExactMateScoresAreRelativeToTheNode) {
  const move m = make_move(sq("g1"), sq("f3"));
  ply = 5;
  storeH(m, 8, kMate - 10, TT_EXACT);
  int stored = 0;
  for (const hashEntry& e : hashREC[hash & (TT_size - 1)].e)
    if (e.key == hash) stored = e.score;
  EXPECT_EQ(stored, kMate - 10 + 5);

  ply = 7;
  int score = 0;
  move found{};
  EXPECT_EQ(probe(8, &score, &found), TT_EXACT);
  EXPECT_EQ(score, kMate - 10 + 5 - 7);

  ply = 5;
  storeH(m, 8, -(kMate - 10), TT_EXACT);
  ply = 3;
  probe(8, &score, &found);
  EXPECT_EQ(score, -(kMate - 10) - 5 + 3);
}

TEST_F(TTable, MateBoundsAreClamped) {
  const move m = make_move(sq("g1"), sq("f3"));
  int score = 0;
  move found{};
  for (int store_ply : {0, 4, 9}) {
    ply = store_ply;
    storeH(m, 8, kMate - 3, TT_LOWER);
    ply = 2;
    EXPECT_EQ(probe(8, &score, &found), TT_LOWER);
    EXPECT_EQ(score, 29800);

    ply = store_ply;
    storeHashUpper(8, -(kMate - 3), TT_UPPER);
    ply = 2;
    EXPECT_EQ(probe(8, &score, &found), TT_UPPER);
    EXPECT_EQ(score, -29800);
  }
}

TEST_F(TTable, RefreshKeepsOneEntryAndTheMove) {
  const move m = make_move(sq("g1"), sq("f3"));
  hash_gen = 8;
  storeH(m, 4, 10, TT_LOWER);
  storeH(move{}, 6, 20, TT_EXACT);
  int entries = 0;
  for (const hashEntry& e : hashREC[hash & (TT_size - 1)].e)
    if (e.key == hash) {
      ++entries;
      EXPECT_EQ(e.generation, TT_LOWER | 8);  // the old bound type marks it as refreshed
    }
  EXPECT_EQ(entries, 1);
  int score = 0;
  move found{};
  EXPECT_EQ(probe(6, &score, &found), TT_EXACT);
  EXPECT_EQ(found.u, m.u);
  EXPECT_EQ(score, 20);

  // A fail-low store keeps the move too; a new entry from it has none.
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7, &score, &found), TT_UPPER);
  EXPECT_EQ(found.u, m.u);
  hash ^= 0x1234;
  storeHashUpper(7, -5, TT_UPPER);
  EXPECT_EQ(probe(7, &score, &found), TT_UPPER);
  EXPECT_EQ(found.u, 0u);
}

// Fills bucket 1 with four entries (generation, depth, bound), stores a fifth
// key, and returns the slot it went to.
struct Slot {
  std::uint16_t generation;
  int depth, bound;
};

int victim_of(const Slot (&slots)[4], std::uint16_t current) {
  for (int i = 0; i < 4; ++i) {
    hash = 1 + static_cast<u64>(i) * TT_size;
    hash_gen = slots[i].generation;
    storeH(make_move(sq("g1"), sq("f3")), slots[i].depth, 0, slots[i].bound);
  }
  hash_gen = current;
  hash = 1 + 4ULL * TT_size;
  storeH(make_move(sq("b1"), sq("c3")), 2, 0, TT_EXACT);
  int slot = -1;
  for (int i = 0; i < 4; ++i)
    if (hashREC[1].e[i].key == hash) slot = i;
  return slot;
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
  for (const auto& c : cases) {
    clearHash();
    EXPECT_EQ(victim_of(c.slots, cur), c.victim) << c.why;
  }
}

TEST_F(TTable, MatchingKeyWinsOverReplacement) {
  const Slot slots[4] = {{8, 1, TT_EXACT}, {8, 9, TT_EXACT}, {8, 9, TT_EXACT}, {8, 9, TT_EXACT}};
  victim_of(slots, 8);
  hash = 1 + 3ULL * TT_size;  // the key in the last slot
  storeH(make_move(sq("e2"), sq("e4")), 12, 0, TT_EXACT);
  EXPECT_EQ(hashREC[1].e[3].depth, 12);
  EXPECT_EQ(hashREC[1].e[3].key, hash);
  EXPECT_EQ(hashREC[1].e[0].key, 1 + 4ULL * TT_size);
}

bool all_zero(const void* p, std::size_t bytes) {
  const unsigned char* c = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < bytes; ++i)
    if (c[i]) return false;
  return true;
}

TEST_F(TTable, ClearEmptiesEveryTable) {
  storeH(make_move(sq("g1"), sq("f3")), 10, 37, TT_EXACT);
  age_hash();
  ETable[gETSize - 1].key = 42;
  pETable[0].score = 7;
  kShelterTable[ksETSize / 2].wking = 3;

  clearHash();
  EXPECT_EQ(hash_gen, 0);
  int score = 0;
  move found = make_move(1, 2);
  EXPECT_EQ(probe(0, &score, &found), 0);
  EXPECT_EQ(found.u, 0u);
  EXPECT_TRUE(all_zero(hashREC, sizeof(hashBucket) * TT_size));
  EXPECT_TRUE(all_zero(ETable, sizeof(EvalHashEntry) * gETSize));
  EXPECT_TRUE(all_zero(pETable, sizeof(EvalHashEntry) * pgETSize));
  EXPECT_TRUE(all_zero(kShelterTable, sizeof(ShelterCacheEntry) * ksETSize));
}

}  // namespace
