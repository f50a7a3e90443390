// Building blocks shared by the full, evasion and staged generators.
#pragma once

#include "board/bitboard.h"
#include "board/move.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "movegen/movestack.h"

PER_THREAD_BEGIN

using PushFn = void (*)(int from, int to, int bits);

inline void start_level() { first_move[ply + 1] = first_move[ply]; }

inline int capture_flag(int to) { return piece[to] != EMPTY ? MF_CAPTURE : 0; }

inline int pawn_forward() { return side == WHITE ? -8 : 8; }
inline int pawn_start_row() { return side == WHITE ? 6 : 1; }
inline int pawn_seventh_row() { return side == WHITE ? 1 : 6; }

// Each piece of a kind, lowest bit first, with its targets in target_set.
inline void push_kind(int kind, u64 target_set, PushFn push) {
  for (u64 b = myPiece[side][kind]; b;) {
    const int from = pop_lsb(&b);
    for (u64 t = attacks_bb(kind, from, Pos[2]) & target_set; t;) {
      const int to = pop_lsb(&t);
      push(from, to, capture_flag(to));
    }
  }
}

// King steps into target_set, never next to the enemy king: the attack test
// does not count kings.
inline u64 king_targets(u64 target_set) {
  return PseudoAttacks[KING][KingLocation(side)] & target_set & ~PseudoAttacks[KING][KingLocation(xside)];
}

inline void push_king(u64 target_set, PushFn push) {
  const int k = KingLocation(side);
  for (u64 t = king_targets(target_set); t;) {
    const int to = pop_lsb(&t);
    push(k, to, capture_flag(to));
  }
}

void push_en_passant(PushFn push);
void gen_castling();  // check and attacked crossing squares are left to makemove

PER_THREAD_END
