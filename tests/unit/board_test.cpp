// The board: attack tables against board walks, implausible en-passant
// squares, and make/unmake keeping every field and key equal to the
// from-scratch state. Unusable FEN text is the bad-input dialogue's.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>

#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "test_support.h"

namespace {

// Every square over empty, full and random occupancies; the pawn masks from their definition.
TEST(Board, AttackTablesMatchBoardWalk) {
  engine_setup();
  std::mt19937_64 rng(2024);
  for (int s = 0; s < 64; ++s) {
    for (int i = 0; i < 300; ++i) {
      const u64 occ = i == 0 ? 0 : i == 1 ? ~0ULL : rng() & rng();
      ASSERT_EQ(rook_attacks(s, occ), walk_attacks(ROOK, s, occ)) << s << " " << occ;
      ASSERT_EQ(bishop_attacks(s, occ), walk_attacks(BISHOP, s, occ)) << s << " " << occ;
    }
    for (int k : {KNIGHT, KING}) EXPECT_EQ(PseudoAttacks[k][s], walk_attacks(k, s, 0)) << k << " " << s;
    for (int c : {WHITE, BLACK}) {
      EXPECT_EQ(PawnAttacks[c][s], walk_attacks(PAWN, s, 0, c)) << s;
      u64 file = 0, span = 0;  // the squares ahead on the file and on the neighbouring files
      for (int r = row_of(s) + (c == WHITE ? -1 : 1); r >= 0 && r < 8; r += c == WHITE ? -1 : 1)
        for (int f = std::max(file_of(s) - 1, 0); f <= std::min(file_of(s) + 1, 7); ++f)
          (f == file_of(s) ? file : span) |= SquareBB[r * 8 + f];
      EXPECT_EQ(ForwardBB[c][s], file) << s;
      EXPECT_EQ(PawnAttackSpan[c][s], span) << s;
      EXPECT_EQ(PassedPawnMask[c][s], file | span) << s;
    }
  }
}

TEST(Fen, ImplausibleEnPassantSquareIsDropped) {
  for (const char* text : {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e5 0 1",     // wrong rank
                           "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e33 0 1",    // off the board
                           "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq d3 0 1",     // no pawn passed d3
                           "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1"}) {  // wrong side to move
    set_position(text);
    EXPECT_EQ(ep, -1) << text;
    EXPECT_EQ(hash, scratch_hash()) << text;
  }
}

// The board arrays, bitboards, counters and keys all describe one position.
// The pawn key holds the pawns, the en-passant square and the castling
// rights the position was loaded with.
void expect_consistent(int loaded_castle, const std::string& where) {
  int n[2][6] = {};
  u64 pawn_key = hash_castle[loaded_castle] ^ (ep == -1 ? 0 : hash_ep[ep]);
  for (int s = 0; s < 64; ++s) {
    ASSERT_EQ(piece[s] == EMPTY, color[s] == EMPTY) << where;
    for (int c : {WHITE, BLACK})
      for (int k = PAWN; k <= KING; ++k)
        ASSERT_EQ((myPiece[c][k] & SquareBB[s]) != 0, color[s] == c && piece[s] == k) << where << " square " << s;
    if (piece[s] == EMPTY) continue;
    ++n[color[s]][piece[s]];
    if (piece[s] == PAWN) pawn_key ^= hash_piece[color[s]][PAWN][s];
  }
  for (int c : {WHITE, BLACK})
    ASSERT_EQ(Pos[c], myPiece[c][PAWN] | myPiece[c][KNIGHT] | myPiece[c][BISHOP] | myPiece[c][ROOK] |
                          myPiece[c][QUEEN] | myPiece[c][KING])
        << where;
  ASSERT_TRUE(Pos[2] == (Pos[WHITE] | Pos[BLACK]) && myPiece[WHITE][EMPTY] == 0 && myPiece[BLACK][EMPTY] == 0) << where;
  ASSERT_TRUE(myPiece[WHITE][KING] == SquareBB[wking_loc] && myPiece[BLACK][KING] == SquareBB[bking_loc]) << where;
  ASSERT_EQ(xside, side ^ 1) << where;
  // An en-passant square only where a pawn can take: else one position would have two keys.
  ASSERT_TRUE(ep == -1 || (PawnAttacks[xside][ep] & myPiece[side][PAWN])) << where;
  // Counts per kind, pieces without pawns, pawn material, piece material; White then Black.
  int expected[16];
  for (int c : {WHITE, BLACK}) {
    const int* k = n[c];
    for (int i = 0; i < 5; ++i) expected[5 * c + i] = k[i];
    expected[10 + c] = k[1] + k[2] + k[3] + k[4];
    expected[12 + c] = 100 * k[0];
    expected[14 + c] = 315 * k[1] + 325 * k[2] + 500 * k[3] + 1000 * k[4];
  }
  const PositionState now = save_position();
  for (int i = 0; i < 16; ++i) ASSERT_EQ(now.counters[i], expected[i]) << where << " counter " << i;
  ASSERT_EQ(hash, scratch_hash()) << where;
  ASSERT_EQ(gMatHash, calculateMaterialHash()) << where;
  ASSERT_EQ(phash, pawn_key) << where;
}

// Every generated move is made and taken back (or refused) from each
// position of random games; a null move too when not in check. The key
// foretold before a move is the key it makes.
void play_random_games(std::initializer_list<const char*> starts, unsigned seed) {
  for (const char* start : starts) {
    std::mt19937 rng(seed);
    for (int g = 0; g < 4; ++g) {
      set_position(start, seed + g);
      const int loaded_castle = castle;
      expect_consistent(loaded_castle, start);
      for (int p = 0; p < 80; ++p) {
        const PositionState before = save_position();
        gen();
        for (const gen_entry& e : level_moves()) {
          const u64 foretold = key_after(e.m.b);
          if (makemove(e.m.b)) {
            ASSERT_TRUE(hply == before.hply + 1 && ply == before.ply + 1);
            ASSERT_EQ(hash, foretold) << board_fen() << " after " << move_text(e.m);
            expect_consistent(loaded_castle, board_fen() + " after " + move_text(e.m));
            if (::testing::Test::HasFatalFailure()) return;
            takeback();
          }
          ASSERT_TRUE(save_position() == before) << board_fen() << " " << move_text(e.m);
        }
        if (!in_check(side)) {
          makenullmove();
          expect_consistent(loaded_castle, "null move");
          ASSERT_TRUE(ep == -1 && fifty == 0);
          takebacknullmove();
          ASSERT_TRUE(save_position() == before) << "null move";
        }
        if (!play_random_move(rng)) break;
      }
    }
    ++seed;
  }
}

TEST(MakeMove, RandomGamesKeepStateExactAlsoInChess960) {
  play_random_games(
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
       "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
       "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
       "r3k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1",  // castling rights the board cannot have
       "r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1",
       "k7/4P3/8/8/8/NNNNNNNN/8/4K3 w - - 0 1"},  // a ninth knight: the next row of the material-key table
      1);
  // Chess960: castling with the king or the rook already on its target, or
  // the two swapping squares, on both wings and for both colours.
  Chess960Mode chess960_mode;
  play_random_games(
      {"r5kr/pppppppp/8/8/8/8/PPPPPPPP/R5KR w HAha - 0 1", "r1k4r/pppppppp/8/8/8/8/PPPPPPPP/R1K4R b HAha - 0 1",
       "1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w GBgb - 0 1", "2rk3r/pppppppp/8/8/8/8/PPPPPPPP/2RK3R w HChc - 0 1",
       "rk5r/8/8/8/8/8/8/RK5R w HAha - 0 1", "1r4kr/p6p/8/8/8/8/P6P/1R4KR b HBhb - 0 1"},
      100);
}

}  // namespace
