// Make and unmake: incremental state equals the from-scratch state, and
// every undo and refusal restores the position exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "test_support.h"

namespace {

// Every position global, and the check information of the current record.
struct Snapshot {
  int piece[64], color[64];
  int side, xside, castle, ep, fifty, hply, ply;
  u64 hash, phash, mat_hash;
  int wking, bking;
  u64 pos[3], my_piece[2][7];
  int counters[16];
  u64 check_sq[5], blockers[2], pinners[2];
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot() {
  Snapshot s;
  std::memcpy(s.piece, piece, sizeof piece);
  std::memcpy(s.color, color, sizeof color);
  s.side = side, s.xside = xside, s.castle = castle, s.ep = ep, s.fifty = fifty, s.hply = hply, s.ply = ply;
  s.hash = hash, s.phash = phash, s.mat_hash = gMatHash;
  s.wking = wking_loc, s.bking = bking_loc;
  std::memcpy(s.pos, Pos, sizeof Pos);
  std::memcpy(s.my_piece, myPiece, sizeof myPiece);
  const int counters[16] = {wp, wn, wb, wr, wq, bp, bn, bb, br, bq, wpc, bpc, wpawn, bpawn, wpiece, bpiece};
  std::memcpy(s.counters, counters, sizeof counters);
  const hist_entry& h = hist_dat[hply];
  std::memcpy(s.check_sq, h.checkSq, sizeof s.check_sq);
  std::memcpy(s.blockers, h.blockers, sizeof s.blockers);
  std::memcpy(s.pinners, h.pinners, sizeof s.pinners);
  return s;
}

std::string move_name(const move_bytes& m) {
  return std::to_string(m.from) + "-" + std::to_string(m.to) + " bits " + std::to_string(m.bits);
}

// The pawn key from its definition: pawns, en-passant square, and the
// castling rights the position was loaded with.
u64 scratch_pawn_key(int loaded_castle) {
  u64 key = hash_castle[loaded_castle];
  for (int c : {WHITE, BLACK})
    for (u64 b = myPiece[c][PAWN]; b;) key ^= hash_piece[c][PAWN][pop_lsb(&b)];
  return ep == -1 ? key : key ^ hash_ep[ep];
}

// The board arrays, bitboards, counters and keys all describe one position.
void expect_consistent(int loaded_castle, const std::string& where) {
  int count[2][6] = {};
  for (int s = 0; s < 64; ++s) {
    ASSERT_EQ(piece[s] == EMPTY, color[s] == EMPTY) << where;
    for (int c : {WHITE, BLACK})
      for (int k = PAWN; k <= KING; ++k)
        ASSERT_EQ((myPiece[c][k] & SquareBB[s]) != 0, color[s] == c && piece[s] == k) << where << " square " << s;
    if (piece[s] != EMPTY) ++count[color[s]][piece[s]];
  }
  for (int c : {WHITE, BLACK}) {
    u64 all = 0;
    for (int k = PAWN; k <= KING; ++k) all |= myPiece[c][k];
    ASSERT_EQ(Pos[c], all) << where;
    ASSERT_EQ(myPiece[c][EMPTY], 0ULL) << where;
  }
  ASSERT_EQ(Pos[2], Pos[WHITE] | Pos[BLACK]) << where;
  ASSERT_EQ(myPiece[WHITE][KING], SquareBB[wking_loc]) << where;
  ASSERT_EQ(myPiece[BLACK][KING], SquareBB[bking_loc]) << where;
  ASSERT_EQ(xside, side ^ 1) << where;

  const int* w = count[WHITE];
  const int* b = count[BLACK];
  const int expected[16] = {w[0], w[1], w[2], w[3], w[4], b[0], b[1], b[2], b[3], b[4],
                            w[1] + w[2] + w[3] + w[4], b[1] + b[2] + b[3] + b[4], 100 * w[0], 100 * b[0],
                            315 * w[1] + 325 * w[2] + 500 * w[3] + 1000 * w[4],
                            315 * b[1] + 325 * b[2] + 500 * b[3] + 1000 * b[4]};
  const int actual[16] = {wp, wn, wb, wr, wq, bp, bn, bb, br, bq, wpc, bpc, wpawn, bpawn, wpiece, bpiece};
  for (int i = 0; i < 16; ++i) ASSERT_EQ(actual[i], expected[i]) << where << " counter " << i;

  ASSERT_EQ(hash, scratch_hash()) << where;
  ASSERT_EQ(gMatHash, calculateMaterialHash()) << where;
  ASSERT_EQ(phash, scratch_pawn_key(loaded_castle)) << where;
}

// Every generated move is made and taken back (or refused) from each
// position of random games; a null move too when not in check.
void walk_and_check(const char* start, unsigned seed, int games, int plies) {
  std::mt19937 rng(seed);
  for (int g = 0; g < games; ++g) {
    set_position(start, seed + g);
    const int loaded_castle = castle;
    for (int p = 0; p < plies; ++p) {
      const Snapshot before = snapshot();
      gen();
      for (const gen_entry& e : level_moves()) {
        const std::string where = std::string(start) + " ply " + std::to_string(p) + " " + move_name(e.m.b);
        if (makemove(e.m.b)) {
          ASSERT_EQ(hply, before.hply + 1);
          ASSERT_EQ(ply, before.ply + 1);
          expect_consistent(loaded_castle, where);
          if (::testing::Test::HasFatalFailure()) return;
          takeback();
        }
        ASSERT_TRUE(snapshot() == before) << where;
      }
      if (!in_check(side)) {
        makenullmove();
        expect_consistent(loaded_castle, "null move");
        ASSERT_EQ(ep, -1);
        ASSERT_EQ(fifty, 0);
        takebacknullmove();
        ASSERT_TRUE(snapshot() == before) << "null move";
      }
      if (!play_random_move(rng)) break;
    }
  }
}

TEST(MakeMove, RandomGamesKeepStateExact) {
  const char* const starts[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
  };
  unsigned seed = 1;
  for (const char* start : starts) {
    walk_and_check(start, seed++, 4, 80);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// Moves that must be refused leave everything as it was, hply and ply included.
TEST(MakeMove, RefusedMovesLeavePositionUntouched) {
  const struct {
    const char* why;
    const char* fen;
    const char *from, *to;
    int bits;
  } cases[] = {
      {"pinned rook leaves the file", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2", "d2", 0},
      {"pinned bishop leaves the diagonal", "4k3/8/8/b7/8/8/3B4/4K3 w - - 0 1", "d2", "e3", 0},
      {"en passant uncovers the rank", "8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5", "c6", MF_PAWN | MF_EP | MF_CAPTURE},
      {"castling out of check", "4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1", "g1", MF_CASTLE},
      {"castling through check", "4k3/5r2/8/8/8/8/8/R3K2R w KQ - 0 1", "e1", "g1", MF_CASTLE},
      {"castling into check", "4k3/6r1/8/8/8/8/8/R3K2R w KQ - 0 1", "e1", "g1", MF_CASTLE},
      {"queen side through an attacked d1", "4k3/3r4/8/8/8/8/8/R3K2R w KQ - 0 1", "e1", "c1", MF_CASTLE},
      {"queen side over an occupied b1", "4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", "e1", "c1", MF_CASTLE},
      {"black king side through f8", "r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", "e8", "g8", MF_CASTLE},
      {"king steps into a pawn attack", "4k3/8/8/8/8/3p4/8/4K3 w - - 0 1", "e1", "e2", 0},
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    const Snapshot before = snapshot();
    move_bytes m{static_cast<std::uint8_t>(sq(c.from)), static_cast<std::uint8_t>(sq(c.to)),
                 static_cast<std::uint8_t>(piece[sq(c.from)]), static_cast<std::uint8_t>(EMPTY),
                 static_cast<std::uint8_t>(c.bits)};
    EXPECT_FALSE(makemove(m)) << c.why;
    EXPECT_TRUE(snapshot() == before) << c.why;
  }
}

TEST(MakeMove, LegalCounterparts) {
  const struct {
    const char* why;
    const char* fen;
    const char *from, *to;
  } cases[] = {
      {"pinned rook along the file", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2", "e5"},
      {"pinned rook takes the pinner", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2", "e7"},
      {"queen side with b1 attacked", "4k3/1r6/8/8/8/8/8/R3K2R w KQ - 0 1", "e1", "c1"},
      {"black queen side with b8 attacked", "r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", "e8", "c8"},
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    const move m = generated_move(sq(c.from), sq(c.to));
    ASSERT_NE(m.u, 0u) << c.why;
    EXPECT_TRUE(makemove(m.b)) << c.why;
  }
}

TEST(MakeMove, CastlingMovesTheRook) {
  set_position("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  ASSERT_TRUE(makemove(generated_move(sq("e1"), sq("g1")).b));
  EXPECT_EQ(piece[sq("f1")], ROOK);
  EXPECT_EQ(piece[sq("h1")], EMPTY);
  EXPECT_EQ(castle, 4 | 8);
  ASSERT_TRUE(makemove(generated_move(sq("e8"), sq("c8")).b));
  EXPECT_EQ(piece[sq("d8")], ROOK);
  EXPECT_EQ(piece[sq("a8")], EMPTY);
  EXPECT_EQ(castle, 0);
  EXPECT_EQ(hash, scratch_hash());
}

// Losing a right by a capture changes the position key by the two castling
// keys; the pawn key keeps the rights the position was loaded with.
TEST(MakeMove, CaptureOnH8RemovesBlackKingSideRight) {
  set_position("r3k2r/8/8/8/8/8/1B6/4K3 w kq - 0 1");
  const u64 key = hash, pawn_key = phash;
  ASSERT_TRUE(makemove(generated_move(sq("b2"), sq("h8")).b));
  EXPECT_EQ(castle, 8);
  const u64 pieces = hash_piece[WHITE][BISHOP][sq("b2")] ^ hash_piece[WHITE][BISHOP][sq("h8")] ^
                     hash_piece[BLACK][ROOK][sq("h8")];
  EXPECT_EQ(hash, key ^ pieces ^ hash_side ^ hash_castle[12] ^ hash_castle[8]);
  EXPECT_EQ(phash, pawn_key);
}

TEST(MakeMove, EnPassantSquareOnlyBesideEnemyPawn) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const u64 pawn_key = phash;
  ASSERT_TRUE(makemove(generated_move(sq("e2"), sq("e4")).b));
  EXPECT_EQ(ep, -1);
  EXPECT_EQ(phash, pawn_key ^ hash_piece[WHITE][PAWN][sq("e2")] ^ hash_piece[WHITE][PAWN][sq("e4")]);

  set_position("4k3/8/8/8/3p4/8/4P3/4K3 w - - 5 1");
  const u64 before = phash;
  ASSERT_TRUE(makemove(generated_move(sq("e2"), sq("e4")).b));
  EXPECT_EQ(ep, sq("e3"));
  const u64 moved = hash_piece[WHITE][PAWN][sq("e2")] ^ hash_piece[WHITE][PAWN][sq("e4")];
  EXPECT_EQ(phash, before ^ moved ^ hash_ep[sq("e3")]);
  EXPECT_EQ(hash, scratch_hash());
  EXPECT_EQ(fifty, 0);

  // A null move clears the square and the clock; its undo brings both back.
  const u64 key = hash;
  makenullmove();
  EXPECT_EQ(ep, -1);
  EXPECT_EQ(fifty, 0);
  EXPECT_EQ(hash, key ^ hash_ep[sq("e3")] ^ hash_side);
  EXPECT_EQ(phash, before ^ moved);
  takebacknullmove();
  EXPECT_EQ(ep, sq("e3"));
  EXPECT_EQ(hash, key);

  ASSERT_TRUE(makemove(generated_move(sq("e8"), sq("e7")).b));
  EXPECT_EQ(ep, -1);
  EXPECT_EQ(phash, before ^ moved);
}

TEST(MakeMove, NullMoveRestoresClock) {
  set_position("4k3/8/8/8/8/8/8/4K3 w - - 17 1");
  makenullmove();
  EXPECT_EQ(fifty, 0);
  EXPECT_EQ(side, BLACK);
  EXPECT_EQ(hply, 1);
  takebacknullmove();
  EXPECT_EQ(fifty, 17);
  EXPECT_EQ(side, WHITE);
  EXPECT_EQ(hply, 0);
}

// A ninth knight continues into the next row of the flat material-key table.
TEST(MakeMove, PromotionToNinthKnight) {
  set_position("k7/4P3/8/8/8/NNNNNNNN/8/4K3 w - - 0 1");
  const int loaded_castle = castle;
  ASSERT_TRUE(makemove(generated_move(sq("e7"), sq("e8"), KNIGHT).b));
  EXPECT_EQ(wn, 9);
  expect_consistent(loaded_castle, "ninth knight");
  takeback();
  EXPECT_EQ(wn, 8);
  expect_consistent(loaded_castle, "after undo");
}

}  // namespace
