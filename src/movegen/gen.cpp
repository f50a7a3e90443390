#include "movegen/gen.h"

#include "board/attacks.h"
#include "board/castling.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "movegen/gen_parts.h"

PER_THREAD_BEGIN

namespace {

// Each pawn's captures, then its single and double step.
void gen_pawn_moves() {
  const int forward = pawn_forward();
  for (u64 pawns = myPiece[side][PAWN]; pawns;) {
    const int sq = pop_lsb(&pawns);
    for (u64 caps = PawnAttacks[side][sq] & Pos[xside]; caps;) gen_push(sq, pop_lsb(&caps), MF_PAWN | MF_CAPTURE);
    const int one = sq + forward;
    if (piece[one] == EMPTY) {
      gen_push(sq, one, MF_PAWN);
      if (row_of(sq) == pawn_start_row() && piece[one + forward] == EMPTY)
        gen_push(sq, one + forward, MF_PAWN | MF_PUSH2);
    }
  }
}

void gen_interpositions(int t) {
  const int behind = t - pawn_forward();
  if (side == WHITE ? row_of(t) != 7 : row_of(t) != 0) {
    if (piece[behind] == PAWN && color[behind] == side) {
      gen_push(behind, t, MF_PAWN);
    } else if (piece[behind] == EMPTY && row_of(t) == (side == WHITE ? 4 : 3)) {
      const int two_behind = behind - pawn_forward();
      if (piece[two_behind] == PAWN && color[two_behind] == side) gen_push(two_behind, t, MF_PAWN | MF_PUSH2);
    }
  }
  gen_non_caps_knight_moves(t, side);
  gen_non_caps_bishop_and_queen_moves(t, side);
  gen_non_caps_rook_and_queen_moves(t, side);
}

void push_all(u64 from_set, int to, int bits) {
  while (from_set) gen_push(pop_lsb(&from_set), to, bits);
}

}  // namespace

void push_en_passant(PushFn push) {
  if (ep == -1) return;
  const int left = side == WHITE ? ep + 7 : ep - 9;   // capturer from the file to the left
  const int right = side == WHITE ? ep + 9 : ep - 7;  // and from the right
  if (file_of(ep) != 0 && piece[left] == PAWN && color[left] == side) push(left, ep, MF_PAWN | MF_EP | MF_CAPTURE);
  if (file_of(ep) != 7 && piece[right] == PAWN && color[right] == side) push(right, ep, MF_PAWN | MF_EP | MF_CAPTURE);
}

void gen_castling() {
  const u64 enemy_king_zone = PseudoAttacks[KING][KingLocation(xside)];
  for (int r = 2 * side; r < 2 * side + 2; ++r) {
    const CastlingRule& c = castling_rules[r];
    if ((castle & (1 << r)) && !(Pos[2] & c.must_be_empty) && !(c.king_walk & enemy_king_zone))
      gen_push_castling(c.king_from, c.king_to);
  }
}

void gen() {
  start_level();
  gen_pawn_moves();
  push_en_passant(gen_push);
  const u64 not_own = ~Pos[side];
  for (int kind = KNIGHT; kind <= QUEEN; ++kind) push_kind(kind, not_own, gen_push);
  push_king(not_own, gen_push);
  gen_castling();
}

void gen_all_king() { push_king(~Pos[side], gen_push_king_evade); }

void gen_king() {
  start_level();
  gen_all_king();
}

void gen_evade() {
  const int k = KingLocation(side), c = gchecker1;
  if (c < 0) {  // not in check after all: every move is an answer
    gen();
    return;
  }
  start_level();
  gen_all_king();
  const int d = distance(k, c);
  if (piece[c] >= BISHOP && piece[c] <= QUEEN && d >= 2) {
    const int lo = k < c ? k : c;
    const int step = (k > c ? k - c : c - k) / d;
    for (int i = 1; i < d; ++i) gen_interpositions(lo + i * step);
  }
  push_en_passant(gen_push);

  const u64* own = myPiece[side];
  push_all(PawnAttacks[xside][c] & own[PAWN], c, MF_PAWN | MF_CAPTURE);
  push_all(PseudoAttacks[KNIGHT][c] & own[KNIGHT], c, MF_CAPTURE);
  push_all(bishop_attacks(c, Pos[2]) & (own[BISHOP] | own[QUEEN]), c, MF_CAPTURE);
  push_all(rook_attacks(c, Pos[2]) & (own[ROOK] | own[QUEEN]), c, MF_CAPTURE);
}

void gen_non_caps_knight_moves(int t, int c) { push_all(PseudoAttacks[KNIGHT][t] & myPiece[c][KNIGHT], t, 0); }

void gen_non_caps_bishop_and_queen_moves(int t, int c) {
  push_all(bishop_attacks(t, Pos[2]) & (myPiece[c][BISHOP] | myPiece[c][QUEEN]), t, 0);
}

void gen_non_caps_rook_and_queen_moves(int t, int c) {
  push_all(rook_attacks(t, Pos[2]) & (myPiece[c][ROOK] | myPiece[c][QUEEN]), t, 0);
}

int legal_moves(move* out) {
  gen();
  int n = 0;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i)
    if (makemove(gen_dat[i].m.b)) {
      takeback();
      if (out != nullptr) out[n] = gen_dat[i].m;
      ++n;
    }
  return n;
}

PER_THREAD_END
