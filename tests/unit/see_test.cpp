// Static exchange evaluation, in units where a pawn is 1.
#include <gtest/gtest.h>

#include "board/position.h"
#include "search/see.h"
#include "test_support.h"

namespace {

struct SeeCase {
  const char* why;
  const char* fen;
  const char *from, *to;
  int value;
};

const SeeCase kCases[] = {
    {"pawn takes knight, answered at once", "4k3/8/4p3/3n4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 2},
    {"queen takes a pawn defended by a pawn", "4k3/8/4p3/3p4/8/8/8/3QK3 w - - 0 1", "d1", "d5", -9},
    {"rook takes an undefended rook", "4k3/8/8/3r4/8/8/8/3RK3 w - - 0 1", "d1", "d5", 5},
    {"knight to a square a pawn attacks", "4k3/8/4p3/8/8/2N5/8/4K3 w - - 0 1", "c3", "d5", -3},
    {"knight to a safe square", "4k3/8/4p3/8/8/2N5/8/4K3 w - - 0 1", "c3", "b5", 0},
    {"rook takes a pawn defended by a rook", "3r2k1/8/8/3p4/8/8/3R4/6K1 w - - 0 1", "d2", "d5", -4},
    {"doubled rooks: the rear rook joins", "3r2k1/8/8/3p4/8/8/3R4/3R2K1 w - - 0 1", "d2", "d5", 1},
    {"defender doubled behind the defender", "3r2k1/3r4/8/3p4/8/8/3R4/3R2K1 w - - 0 1", "d2", "d5", -4},
    {"bishop alone against a knight", "7k/2n5/8/3p4/8/5B2/8/6K1 w - - 0 1", "f3", "d5", -2},
    {"queen behind the bishop joins", "7k/2n5/8/3p4/8/5B2/6Q1/6K1 w - - 0 1", "f3", "d5", 1},
    {"king takes a defended pawn", "4k3/8/8/8/8/4p3/3p4/4K3 w - - 0 1", "e1", "d2", -99},
    {"king takes an undefended pawn", "4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", "e1", "d2", 1},
    {"black queen takes a pawn defended by a pawn", "3qk3/8/8/3P4/2P5/8/8/4K3 b - - 0 1", "d8", "d5", -9},
};

TEST(See, ExchangeOutcomes) {
  for (const SeeCase& c : kCases) {
    set_position(c.fen);
    EXPECT_EQ(see(sq(c.from), sq(c.to)), c.value) << c.why;
  }
}

TEST(See, PositionIsUnchanged) {
  set_position("3r2k1/3r4/8/3p4/8/8/3R4/3R2K1 w - - 0 1");
  const u64 key = hash, all = Pos[2];
  see(sq("d2"), sq("d5"));
  EXPECT_EQ(hash, key);
  EXPECT_EQ(Pos[2], all);
}

}  // namespace
