// Bitboard primitives and the attack tables, checked against board walks.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>

#include "board/bitboard.h"
#include "test_support.h"

namespace {

u64 squares(std::initializer_list<const char*> names) {
  u64 b = 0;
  for (const char* n : names) b |= SquareBB[sq(n)];
  return b;
}

class Bitboard : public ::testing::Test {
 protected:
  void SetUp() override { engine_setup(); }
};

TEST_F(Bitboard, SquareBitsAndScans) {
  EXPECT_EQ(SquareBB[sq("a1")], 1ULL);
  EXPECT_EQ(SquareBB[sq("h8")], 1ULL << 63);
  EXPECT_EQ(SquareBB[sq("a8")], 1ULL << 56);

  u64 b = SquareBB[sq("a1")];
  EXPECT_EQ(lsb(b), 0);
  EXPECT_EQ(pop_lsb(&b), sq("a1"));
  EXPECT_EQ(b, 0ULL);

  b = squares({"c3", "h8", "b1"});
  EXPECT_EQ(pop_lsb(&b), sq("b1"));
  EXPECT_EQ(pop_lsb(&b), sq("c3"));
  EXPECT_EQ(msb(b), 63);
  EXPECT_FALSE(more_than_one(b));
}

TEST_F(Bitboard, SoftwareBitCountMatchesInstruction) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 1000; ++i) {
    const u64 b = rng() & rng();
    EXPECT_EQ(soft_popcount(b), __builtin_popcountll(b));
  }
  EXPECT_EQ(soft_popcount(~0ULL), 64);
}

TEST_F(Bitboard, RookOnA1) {
  EXPECT_EQ(__builtin_popcountll(rook_attacks(sq("a1"), 0)), 14);
  const u64 blocked = rook_attacks(sq("a1"), SquareBB[sq("a4")]);
  EXPECT_EQ(blocked, squares({"a2", "a3", "a4"}) | (RankBB[0] & ~SquareBB[sq("a1")]));
}

TEST_F(Bitboard, LinesAndBetween) {
  EXPECT_EQ(BetweenBB[sq("a1")][sq("h8")], squares({"b2", "c3", "d4", "e5", "f6", "g7"}));
  EXPECT_EQ(BetweenBB[sq("a1")][sq("b3")], 0ULL);
  EXPECT_EQ(BetweenBB[sq("e1")][sq("e2")], 0ULL);
  EXPECT_EQ(LineBB[sq("c1")][sq("e3")], squares({"c1", "d2", "e3", "f4", "g5", "h6"}));
  EXPECT_EQ(LineBB[sq("a1")][sq("b3")], 0ULL);
  EXPECT_TRUE(aligned(sq("a1"), sq("c3"), sq("h8")));
  EXPECT_FALSE(aligned(sq("a1"), sq("c3"), sq("h7")));
}

TEST_F(Bitboard, PawnMasks) {
  EXPECT_EQ(PassedPawnMask[WHITE][sq("e4")],
            (FileBB[3] | FileBB[4] | FileBB[5]) & (RankBB[4] | RankBB[5] | RankBB[6] | RankBB[7]));
  EXPECT_EQ(__builtin_popcountll(PassedPawnMask[WHITE][sq("e4")]), 12);
  EXPECT_EQ(PassedPawnMask[BLACK][sq("e4")], squares({"d3", "e3", "f3", "d2", "e2", "f2", "d1", "e1", "f1"}));
  EXPECT_EQ(ForwardBB[BLACK][sq("e4")], squares({"e3", "e2", "e1"}));
  EXPECT_EQ(ForwardBB[WHITE][sq("a7")], squares({"a8"}));
  EXPECT_EQ(PawnAttackSpan[WHITE][sq("a6")], squares({"b7", "b8"}));
  EXPECT_EQ(InFrontBB[WHITE][7], 0ULL);
  EXPECT_EQ(InFrontBB[BLACK][0], 0ULL);
  EXPECT_EQ(InFrontBB[WHITE][0], ~RankBB[0]);
}

// Every square, empty board and many random occupancies: the table lookups
// must equal a square-by-square walk.
TEST_F(Bitboard, SliderLookupsMatchBoardWalk) {
  std::mt19937_64 rng(2024);
  for (int s = 0; s < 64; ++s) {
    for (int i = 0; i < 300; ++i) {
      u64 occ = rng() & rng();  // about a quarter of the squares
      if (i == 0) occ = 0;
      if (i == 1) occ = ~0ULL;
      ASSERT_EQ(rook_attacks(s, occ), walk_attacks(ROOK, s, occ)) << "square " << s << " occ " << occ;
      ASSERT_EQ(bishop_attacks(s, occ), walk_attacks(BISHOP, s, occ)) << "square " << s << " occ " << occ;
      ASSERT_EQ(attacks_bb(QUEEN, s, occ), walk_attacks(QUEEN, s, occ));
    }
  }
}

TEST_F(Bitboard, StepTablesMatchBoardWalk) {
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(PseudoAttacks[KNIGHT][s], walk_attacks(KNIGHT, s, 0)) << s;
    EXPECT_EQ(PseudoAttacks[KING][s], walk_attacks(KING, s, 0)) << s;
    EXPECT_EQ(PseudoAttacks[BISHOP][s], walk_attacks(BISHOP, s, 0)) << s;
    EXPECT_EQ(PseudoAttacks[ROOK][s], walk_attacks(ROOK, s, 0)) << s;
    EXPECT_EQ(PseudoAttacks[QUEEN][s], walk_attacks(QUEEN, s, 0)) << s;
    EXPECT_EQ(PawnAttacks[WHITE][s], walk_attacks(PAWN, s, 0, WHITE)) << s;
    EXPECT_EQ(PawnAttacks[BLACK][s], walk_attacks(PAWN, s, 0, BLACK)) << s;
  }
}

// BetweenBB and LineBB for every pair, from rays walked on the empty board.
TEST_F(Bitboard, BetweenAndLineForAllPairs) {
  for (int a = 0; a < 64; ++a)
    for (int b = 0; b < 64; ++b) {
      u64 between = 0, line = 0;
      for (int kind : {BISHOP, ROOK}) {
        if (a == b || !(walk_attacks(kind, a, 0) & SquareBB[b])) continue;
        between = walk_attacks(kind, a, SquareBB[b]) & walk_attacks(kind, b, SquareBB[a]);
        line = (walk_attacks(kind, a, 0) & walk_attacks(kind, b, 0)) | SquareBB[a] | SquareBB[b];
      }
      ASSERT_EQ(BetweenBB[a][b], between) << a << " " << b;
      ASSERT_EQ(LineBB[a][b], line) << a << " " << b;
    }
}

}  // namespace
