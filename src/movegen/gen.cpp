#include "movegen/gen.h"

#include <initializer_list>

#include "board/position.h"
#include "board/attacks.h"
#include "movegen/movestack.h"

namespace {

inline void start_level() { first_move[ply + 1] = first_move[ply]; }

inline int capture_flag(int to) { return piece[to] != EMPTY ? MF_CAPTURE : 0; }

void push_piece_moves(int from, u64 targets) {
  while (targets) {
    const int to = pop_lsb(&targets);
    gen_push(from, to, capture_flag(to));
  }
}

// Each pawn's captures, then its single and double step.
void gen_pawn_moves() {
  const int forward = side == WHITE ? -8 : 8;
  const int start_row = side == WHITE ? 6 : 1;
  for (u64 pawns = myPiece[side][PAWN]; pawns;) {
    const int sq = pop_lsb(&pawns);
    for (u64 caps = PawnAttacks[side][sq] & Pos[xside]; caps;) gen_push(sq, pop_lsb(&caps), MF_PAWN | MF_CAPTURE);
    const int one = sq + forward;
    if (piece[one] == EMPTY) {
      gen_push(sq, one, MF_PAWN);
      if (row_of(sq) == start_row && piece[one + forward] == EMPTY) gen_push(sq, one + forward, MF_PAWN | MF_PUSH2);
    }
  }
}

void gen_en_passant() {
  if (ep == -1) return;
  const int left = side == WHITE ? ep + 7 : ep - 9;   // capturer from the file to the left
  const int right = side == WHITE ? ep + 9 : ep - 7;  // and from the right
  if (file_of(ep) != 0 && piece[left] == PAWN && color[left] == side) gen_push(left, ep, MF_PAWN | MF_EP | MF_CAPTURE);
  if (file_of(ep) != 7 && piece[right] == PAWN && color[right] == side)
    gen_push(right, ep, MF_PAWN | MF_EP | MF_CAPTURE);
}

u64 king_targets() {
  return PseudoAttacks[KING][KingLocation(side)] & ~Pos[side] & ~PseudoAttacks[KING][KingLocation(xside)];
}

struct Castling {
  int right, king_from, king_to;
  u64 between;
};

u64 squares(std::initializer_list<int> list) {
  u64 b = 0;
  for (int s : list) b |= 1ULL << (s ^ 56);
  return b;
}

// Check and attacked crossing squares are left to makemove.
void gen_castling() {
  static const Castling options[2][2] = {
      {{1, 60, 62, squares({61, 62})}, {2, 60, 58, squares({57, 58, 59})}},
      {{4, 4, 6, squares({5, 6})}, {8, 4, 2, squares({1, 2, 3})}},
  };
  for (const Castling& c : options[side])
    if ((castle & c.right) && !(Pos[2] & c.between) && distance(KingLocation(xside), c.king_to) >= 2)
      gen_push(c.king_from, c.king_to, MF_CASTLE);
}

void gen_interpositions(int t) {
  const int behind = side == WHITE ? t + 8 : t - 8;
  if (side == WHITE ? row_of(t) != 7 : row_of(t) != 0) {
    if (piece[behind] == PAWN && color[behind] == side) {
      gen_push(behind, t, MF_PAWN);
    } else if (piece[behind] == EMPTY && row_of(t) == (side == WHITE ? 4 : 3)) {
      const int two_behind = side == WHITE ? t + 16 : t - 16;
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

void gen() {
  start_level();
  gen_pawn_moves();
  gen_en_passant();
  const u64 not_own = ~Pos[side];
  for (u64 b = myPiece[side][KNIGHT]; b;) {
    const int sq = pop_lsb(&b);
    push_piece_moves(sq, PseudoAttacks[KNIGHT][sq] & not_own);
  }
  for (u64 b = myPiece[side][BISHOP]; b;) {
    const int sq = pop_lsb(&b);
    push_piece_moves(sq, bishop_attacks(sq, Pos[2]) & not_own);
  }
  for (u64 b = myPiece[side][ROOK]; b;) {
    const int sq = pop_lsb(&b);
    push_piece_moves(sq, rook_attacks(sq, Pos[2]) & not_own);
  }
  for (u64 b = myPiece[side][QUEEN]; b;) {
    const int sq = pop_lsb(&b);
    push_piece_moves(sq, queen_attacks(sq, Pos[2]) & not_own);
  }
  push_piece_moves(KingLocation(side), king_targets());
  gen_castling();
}

void gen_all_king() {
  const int k = KingLocation(side);
  for (u64 t = king_targets(); t;) {
    const int to = pop_lsb(&t);
    gen_push_king_evade(k, to, capture_flag(to));
  }
}

void gen_king() {
  start_level();
  gen_all_king();
}

void gen_evade() {
  start_level();
  gen_all_king();
  const int k = KingLocation(side), c = gchecker1;
  const int d = distance(k, c);
  if (piece[c] >= BISHOP && piece[c] <= QUEEN && d >= 2) {
    const int lo = k < c ? k : c;
    const int step = (k > c ? k - c : c - k) / d;
    for (int i = 1; i < d; ++i) gen_interpositions(lo + i * step);
  }
  gen_en_passant();

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
