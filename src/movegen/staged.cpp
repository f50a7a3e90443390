#include "movegen/staged.h"

#include <initializer_list>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "movegen/gen_parts.h"

PER_THREAD_BEGIN

namespace {

u64 enemy(int kind) { return myPiece[xside][kind]; }

}  // namespace

void gen_win_caps() {
  start_level();
  const u64 pieces = Pos[xside] & ~enemy(PAWN);
  const int forward = pawn_forward();
  for (u64 b = myPiece[side][PAWN]; b;) {
    const int sq = pop_lsb(&b);
    for (u64 t = PawnAttacks[side][sq] & pieces; t;) gen_push(sq, pop_lsb(&t), MF_PAWN | MF_CAPTURE);
    if (row_of(sq) == pawn_seventh_row() && piece[sq + forward] == EMPTY) gen_push(sq, sq + forward, MF_PAWN);
  }
  const u64 heavy = enemy(ROOK) | enemy(QUEEN);
  if (heavy) {
    push_kind(KNIGHT, heavy, gen_push);
    push_kind(BISHOP, heavy, gen_push);
  }
  if (enemy(QUEEN)) push_kind(ROOK, enemy(QUEEN), gen_push);
}

void gen_equal_caps() {
  start_level();
  for (u64 b = myPiece[side][PAWN]; b;) {
    const int sq = pop_lsb(&b);
    for (u64 t = PawnAttacks[side][sq] & enemy(PAWN); t;) gen_push(sq, pop_lsb(&t), MF_PAWN | MF_CAPTURE);
  }
  const u64 minors = enemy(KNIGHT) | enemy(BISHOP);
  push_kind(KNIGHT, minors, gen_push);
  push_kind(BISHOP, minors, gen_push);
  push_kind(ROOK, enemy(ROOK), gen_push);
  push_kind(QUEEN, enemy(QUEEN), gen_push);
  push_en_passant(gen_push);
}

void gen_rest() {
  start_level();
  const int forward = pawn_forward();
  for (u64 b = myPiece[side][PAWN]; b;) {
    const int sq = pop_lsb(&b);
    const int one = sq + forward;
    if (row_of(sq) == pawn_seventh_row() || piece[one] != EMPTY) continue;
    gen_push(sq, one, MF_PAWN);
    if (row_of(sq) == pawn_start_row() && piece[one + forward] == EMPTY)
      gen_push(sq, one + forward, MF_PAWN | MF_PUSH2);
  }
  const u64 empty = ~Pos[2];
  push_kind(KNIGHT, empty | enemy(PAWN), gen_push);
  push_kind(BISHOP, empty | enemy(PAWN), gen_push);
  push_kind(ROOK, empty | enemy(PAWN) | enemy(KNIGHT) | enemy(BISHOP), gen_push);
  push_kind(QUEEN, empty | (Pos[xside] & ~enemy(QUEEN)), gen_push);
  push_king(~Pos[side], gen_push);
  gen_castling();
}

void gen_caps() {
  start_level();
  const int forward = pawn_forward();
  for (u64 b = myPiece[side][PAWN]; b;) {
    const int sq = pop_lsb(&b);
    for (u64 t = PawnAttacks[side][sq] & Pos[xside]; t;) gen_push_qsearch(sq, pop_lsb(&t), MF_PAWN | MF_CAPTURE);
    if (row_of(sq) == pawn_seventh_row() && piece[sq + forward] == EMPTY) gen_push_qsearch(sq, sq + forward, MF_PAWN);
  }
  push_en_passant(gen_push_qsearch);
  for (int kind = KNIGHT; kind <= QUEEN; ++kind) push_kind(kind, Pos[xside], gen_push_qsearch);
  push_king(Pos[xside], gen_push_qsearch);
}

void gen_caps_last_sq(int t) {
  start_level();
  // Only an enemy piece can be recaptured (after a null move the last move
  // recorded is not the opponent's).
  if (color[t] != xside) return;
  for (u64 b = PawnAttacks[xside][t] & myPiece[side][PAWN]; b;) gen_push_qsearch(pop_lsb(&b), t, MF_PAWN | MF_CAPTURE);
  for (int kind = KNIGHT; kind <= QUEEN; ++kind) push_kind(kind, SquareBB[t], gen_push_qsearch);
  push_king(SquareBB[t], gen_push_qsearch);
}

void gen_non_caps_check() {
  start_level();
  const int e = KingLocation(xside);
  const int forward = pawn_forward();
  const u64 empty = ~Pos[2];
  const u64 dc = discovered_check_candidates();

  // Discovered checks: the blocker leaves the line to the enemy king.
  for (u64 b = dc & myPiece[side][PAWN]; b;) {
    const int sq = pop_lsb(&b);
    const int one = sq + forward;
    if (piece[one] != EMPTY || (LineBB[sq][one] & SquareBB[e])) continue;
    gen_push_dcc(sq, one, MF_PAWN);
    if (row_of(sq) == pawn_start_row() && piece[one + forward] == EMPTY)
      gen_push_dcc(sq, one + forward, MF_PAWN | MF_PUSH2);
  }
  for (u64 b = dc & myPiece[side][KNIGHT]; b;) {
    const int sq = pop_lsb(&b);
    for (u64 t = PseudoAttacks[KNIGHT][sq] & empty; t;) gen_push_dcc(sq, pop_lsb(&t), 0);
  }
  for (int kind : {BISHOP, ROOK})
    for (u64 b = dc & myPiece[side][kind]; b;) {
      const int sq = pop_lsb(&b);
      for (u64 t = attacks_bb(kind, sq, Pos[2]) & empty; t;) {
        const int to = pop_lsb(&t);
        if (!(LineBB[sq][to] & SquareBB[e])) gen_push_dcc(sq, to, 0);
      }
    }

  // Direct pawn checks; none can reach a king on the two rows nearest our own back rank.
  const bool king_reachable = side == WHITE ? row_of(e) < 6 : row_of(e) > 1;
  if (myPiece[side][PAWN] && king_reachable) {
    for (u64 t = PawnAttacks[xside][e] & empty; t;) {
      const int to = pop_lsb(&t);
      const int behind = to - forward;
      if (row_of(to) == (side == WHITE ? 4 : 3) && piece[behind] == EMPTY) {
        const int two_behind = behind - forward;
        if (piece[two_behind] == PAWN && color[two_behind] == side) gen_push(two_behind, to, MF_PAWN | MF_PUSH2);
      } else if (piece[behind] == PAWN && color[behind] == side) {
        gen_push(behind, to, MF_PAWN);
      }
    }
  }

  // Direct piece checks from the precomputed check squares.
  const hist_entry& h = hist_dat[hply];
  for (int kind = KNIGHT; kind <= QUEEN; ++kind) {
    if (!myPiece[side][kind]) continue;
    for (u64 t = h.checkSq[kind] & empty; t;) {
      const int to = pop_lsb(&t);
      for (u64 from = attacks_bb(kind, to, Pos[2]) & myPiece[side][kind]; from;)
        push_entry(pop_lsb(&from), to, 0).score = HASH_MOVE_SCORE;
    }
  }
}

PER_THREAD_END
