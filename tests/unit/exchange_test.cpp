// The exchange evaluation against a plain minimax of the capture sequence on
// the target square, recomputing the attackers from the board at every step.
#include <gtest/gtest.h>

#include <algorithm>

#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "position_corpus.h"
#include "search/see.h"
#include "test_support.h"

namespace {

// A private copy of the board for playing out the exchange.
struct Exchange {
  int kind[64];
  int colour[64];
  u64 blockers;  // occupancy for the slider rays
  int to;

  // The least valuable piece of colour c attacking `to`; the lowest bit among
  // pieces of that kind, as the engine's bitboard scan finds it. -1 if none.
  int least_valuable(int c) const {
    for (int k = PAWN; k <= KING; ++k)
      for (int bit = 0; bit < 64; ++bit) {
        const int s = bit ^ 56;
        if (kind[s] != k || colour[s] != c) continue;
        if (walk_attacks(k, s, blockers, c) & square_bit(to)) return s;
      }
    return -1;
  }

  // Best gain for colour c, which may capture on `to` or stop, when a piece
  // worth `standing` stands there.
  int gain(int c, int standing) {
    const int s = least_valuable(c);
    if (s < 0) return 0;
    const int k = kind[s];
    kind[s] = EMPTY;
    // A king that captures uncovers nothing, as in the engine's exchange rules.
    if (k != KING) blockers &= ~square_bit(s);
    const int value = standing - gain(c ^ 1, seeValues[k]);
    kind[s] = k;
    blockers |= square_bit(s);
    return std::max(0, value);
  }
};

// The board after the side to move has moved from -> to.
Exchange after_first_move(int from, int to) {
  Exchange x;
  std::copy(piece, piece + 64, x.kind);
  std::copy(color, color + 64, x.colour);
  x.blockers = Pos[2];
  x.to = to;
  x.kind[from] = EMPTY;
  if (piece[from] != KING) x.blockers &= ~square_bit(from);
  return x;
}

// The outcome for the side to move of moving from -> to, then both sides
// taking turns with their cheapest attacker.
int reference_exchange(int from, int to) {
  Exchange x = after_first_move(from, to);
  return seeValues[piece[to]] - x.gain(side ^ 1, seeValues[piece[from]]);
}

bool defended(int from, int to) { return after_first_move(from, to).least_valuable(side ^ 1) >= 0; }

int sign(int v) { return (v > 0) - (v < 0); }

TEST(Exchange, AgreesWithMinimaxOfTheCaptureSequence) {
  int captures = 0, losing = 0, winning = 0;
  for_each_corpus_position([&] {
    gen();
    for (const gen_entry& g : level_moves()) {
      const move_bytes& m = g.m.b;
      // Quiet pawn steps and castling are not exchanges; en passant has an empty target.
      if (m.bits & (MF_CASTLE | MF_EP)) continue;
      if ((m.bits & MF_PAWN) && !(m.bits & MF_CAPTURE)) continue;
      const int value = see(m.from, m.to);
      const int expected = reference_exchange(m.from, m.to);
      EXPECT_EQ(sign(value), sign(expected)) << board_fen() << " " << move_text(g.m) << " see " << value;
      // Never more than the victim, never worse than losing the mover for it.
      const int victim = seeValues[piece[m.to]], mover = seeValues[piece[m.from]];
      EXPECT_LE(value, victim) << board_fen() << " " << move_text(g.m);
      EXPECT_GE(value, victim - mover) << board_fen() << " " << move_text(g.m);
      if (m.bits & MF_CAPTURE) {
        ++captures;
        losing += value < 0;
        winning += value > 0;
        // An undefended piece taken by an equal or more valuable one: its value.
        if (mover >= victim && !defended(m.from, m.to)) {
          EXPECT_EQ(value, victim) << board_fen() << " " << move_text(g.m);
        }
      }
    }
  });
  EXPECT_GT(captures, 3000);
  EXPECT_GT(losing, 300);
  EXPECT_GT(winning, 1000);
}

}  // namespace
