// The exchange evaluation against a plain minimax of the capture sequence on
// the target square, recomputing the attackers from the board at every step.
// The search reads only its sign.
#include <gtest/gtest.h>

#include <algorithm>

#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/see.h"
#include "test_support.h"

namespace {

// A private copy of the board after the side to move has moved from -> to,
// for playing out the exchange there.
struct Exchange {
  int kind[64], colour[64], to;
  u64 blockers;  // occupancy for the slider rays

  Exchange(int from, int target) : to(target), blockers(Pos[2]) {
    std::copy(piece, piece + 64, kind);
    std::copy(color, color + 64, colour);
    lift(from);
  }
  // A king that captures uncovers nothing, as in the engine's exchange rules.
  void lift(int s) {
    if (kind[s] != KING) blockers &= ~square_bit(s);
    kind[s] = EMPTY;
  }
  // The least valuable piece of colour c attacking `to`; the lowest bit among
  // pieces of that kind, as the engine's bitboard scan finds it. -1 if none.
  int least_valuable(int c) const {
    for (int k = PAWN; k <= KING; ++k)
      for (int bit = 0; bit < 64; ++bit)
        if (kind[bit ^ 56] == k && colour[bit ^ 56] == c && (walk_attacks(k, bit ^ 56, blockers, c) & square_bit(to)))
          return bit ^ 56;
    return -1;
  }
  // Best gain for colour c, which may capture on `to` or stop, when a piece worth `standing` stands there.
  int gain(int c, int standing) {
    const int s = least_valuable(c);
    if (s < 0) return 0;
    const int k = kind[s];
    const u64 before = blockers;
    lift(s);
    const int value = standing - gain(c ^ 1, seeValues[k]);
    kind[s] = k;
    blockers = before;
    return std::max(0, value);
  }
};

int sign(int v) { return (v > 0) - (v < 0); }

TEST(Exchange, AgreesWithMinimaxOfTheCaptureSequence) {
  int captures = 0, losing = 0, winning = 0;
  for_each_corpus_position([&] {
    gen();
    for (const gen_entry& g : level_moves()) {
      const move_bytes& m = g.m.b;
      // Quiet pawn steps and castling are not exchanges; en passant has an empty target.
      if ((m.bits & (MF_CASTLE | MF_EP)) || ((m.bits & MF_PAWN) && !(m.bits & MF_CAPTURE))) continue;
      const u64 key = hash, all = Pos[2];
      const int value = see(m.from, m.to);
      ASSERT_TRUE(hash == key && Pos[2] == all) << board_fen() << " " << move_text(g.m);
      Exchange x(m.from, m.to);
      const int victim = seeValues[piece[m.to]], mover = seeValues[piece[m.from]];
      const bool defended = x.least_valuable(side ^ 1) >= 0;
      EXPECT_EQ(sign(value), sign(victim - x.gain(side ^ 1, mover)))
          << board_fen() << " " << move_text(g.m) << " " << value;
      // Never more than the victim, never worse than losing the mover for it; an
      // undefended piece taken by an equal or more valuable one: its value.
      EXPECT_TRUE(value <= victim && value >= victim - mover) << board_fen() << " " << move_text(g.m) << " " << value;
      EXPECT_TRUE(defended || mover < victim || value == victim)
          << board_fen() << " " << move_text(g.m) << " " << value;
      if (!(m.bits & MF_CAPTURE)) continue;
      ++captures;
      losing += value < 0;
      winning += value > 0;
    }
  });
  EXPECT_GT(captures, 3000);
  EXPECT_GT(losing, 300);
  EXPECT_GT(winning, 1000);
}

}  // namespace
