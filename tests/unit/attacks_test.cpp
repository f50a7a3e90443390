// Attacked squares, checkers, pins and check squares.
#include <gtest/gtest.h>

#include <random>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "test_support.h"

namespace {

// The pieces of colour c (kings included when asked) attacking sq, found by walking the board.
u64 walked_attackers(int target, int c, bool with_king) {
  u64 result = 0;
  for (int s = 0; s < 64; ++s) {
    if (color[s] != c || (piece[s] == KING && !with_king)) continue;
    if (walk_attacks(piece[s], s, Pos[2], c) & SquareBB[target]) result |= SquareBB[s];
  }
  return result;
}

const char* const kWalkStarts[] = {
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
};

// Visits the positions of random games from each start (fixed seeds).
template <class Visit>
void for_random_positions(int games, int plies, Visit visit) {
  std::mt19937 rng(99);
  for (const char* start : kWalkStarts)
    for (int g = 0; g < games; ++g) {
      set_position(start);
      for (int p = 0; p < plies; ++p) {
        visit();
        if (!play_random_move(rng)) break;
      }
    }
}

TEST(Attacks, DiscoveredCheckAndPin) {
  set_position("4k3/8/8/8/4B3/8/8/K3R3 w - - 0 1");
  EXPECT_EQ(hist_dat[hply].blockers[BLACK], SquareBB[sq("e4")]);
  EXPECT_EQ(discovered_check_candidates(), SquareBB[sq("e4")]);
  EXPECT_EQ(pinned_pieces(BLACK), 0ULL);
  EXPECT_EQ(hist_dat[hply].pinners[BLACK], 0ULL);

  set_position("4k3/8/8/8/4n3/8/8/K3R3 w - - 0 1");
  EXPECT_EQ(hist_dat[hply].blockers[BLACK], SquareBB[sq("e4")]);
  EXPECT_EQ(pinned_pieces(BLACK), SquareBB[sq("e4")]);
  EXPECT_EQ(hist_dat[hply].pinners[BLACK], SquareBB[sq("e1")]);
  EXPECT_EQ(discovered_check_candidates(), 0ULL);

  set_position("4k3/4p3/8/8/4B3/8/8/K3R3 w - - 0 1");  // two pieces in between
  EXPECT_EQ(hist_dat[hply].blockers[BLACK], 0ULL);
  EXPECT_EQ(hist_dat[hply].pinners[BLACK], 0ULL);
}

TEST(Attacks, DiagonalPinOfWhitePiece) {
  set_position("4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1");
  EXPECT_EQ(pinned_pieces(WHITE), SquareBB[sq("d2")]);
  EXPECT_EQ(hist_dat[hply].pinners[WHITE], SquareBB[sq("a5")]);
}

TEST(Attacks, Checkers) {
  set_position("4k3/8/3N4/8/8/8/8/K3R3 b - - 0 1");  // knight and rook
  get_checker(BLACK);
  EXPECT_EQ(gchecker1, sq("e1"));  // lowest bit first
  EXPECT_EQ(gchecker2, sq("d6"));

  set_position("4k3/8/3N4/8/8/8/8/K7 b - - 0 1");
  get_checker(BLACK);
  EXPECT_EQ(gchecker1, sq("d6"));
  EXPECT_EQ(gchecker2, -1);

  get_checker(WHITE);
  EXPECT_EQ(gchecker1, -1);
  EXPECT_EQ(gchecker2, -1);
}

TEST(Attacks, EnemyKingIsNotCounted) {
  set_position("8/8/8/8/8/3k4/8/4K3 w - - 0 1");
  EXPECT_FALSE(attackBB(sq("d2"), BLACK));
  EXPECT_NE(AttacksTo(sq("d2")) & SquareBB[sq("d3")], 0ULL);
}

TEST(Attacks, MaterialDraw) {
  const struct {
    const char* fen;
    bool draw;
  } cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/2N1K3 w - - 0 1", true},
      {"4k3/8/8/2n5/8/8/8/4K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
      {"4k3/8/8/2b5/8/8/8/2B1K3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", false},
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    EXPECT_EQ(mat_is_draw(), c.draw) << c.fen;
  }
}

// attackBB and AttacksTo agree with a board walk on every square of many positions.
TEST(Attacks, AttackTestsMatchBoardWalk) {
  for_random_positions(3, 40, [] {
    for (int s = 0; s < 64; ++s) {
      for (int c : {WHITE, BLACK})
        ASSERT_EQ(attackBB(s, c), walked_attackers(s, c, false) != 0) << "square " << s << " colour " << c;
      ASSERT_EQ(AttacksTo(s), walked_attackers(s, WHITE, true) | walked_attackers(s, BLACK, true)) << s;
    }
  });
}

// A move lands on checkSq of its kind exactly when the moved piece gives
// check; a check by another piece was uncovered from a discovered-check
// candidate; a piece that is not pinned may always move when not in check.
TEST(Attacks, CheckInformationPredictsMoves) {
  for_random_positions(3, 40, [] {
    const hist_entry info = hist_dat[hply];
    const u64 candidates = discovered_check_candidates();
    const u64 pinned = pinned_pieces(side);
    const bool checked = in_check(side);
    const int enemy_king = KingLocation(xside);
    for (int k = PAWN; k <= QUEEN; ++k) ASSERT_EQ(info.checkSq[k] & Pos[side], 0ULL) << "own pieces in checkSq " << k;
    gen();
    for (const gen_entry& g : level_moves()) {
      const move_bytes m = g.m.b;
      const bool special = m.bits & (MF_CASTLE | MF_EP | MF_PROMOTE);
      const int kind = piece[m.from];
      const bool made = makemove(m);
      if (kind != KING && !special && !checked && !(pinned & SquareBB[m.from])) {
        ASSERT_TRUE(made) << "unpinned move refused " << int(m.from) << "-" << int(m.to);
      }
      if (!made) continue;
      if (kind != KING && !special) {
        const bool direct = walk_attacks(kind, m.to, Pos[2], xside) & SquareBB[enemy_king];
        EXPECT_EQ((info.checkSq[kind] & SquareBB[m.to]) != 0, direct) << int(m.from) << "-" << int(m.to);
      }
      if (!(m.bits & (MF_CASTLE | MF_EP)) && (walked_attackers(enemy_king, xside, false) & ~SquareBB[m.to])) {
        EXPECT_NE(candidates & SquareBB[m.from], 0ULL) << int(m.from) << "-" << int(m.to);
      }
      takeback();
    }
  });
}

}  // namespace
