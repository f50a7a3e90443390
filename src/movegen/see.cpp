#include "movegen/see.h"

#include "board/attacks.h"
#include "board/per_thread.h"
#include "board/position.h"

PER_THREAD_BEGIN

int see(int from, int to) {
  const int victim = seeValues[piece[to]];
  const int attacker = seeValues[piece[from]];
  if (attacker < victim) return victim - attacker;

  u64 attackers = AttacksTo(to);
  u64 occ = Pos[2] ^ SquareBB[from];
  const u64 diagonal = myPiece[WHITE][BISHOP] | myPiece[BLACK][BISHOP] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  const u64 straight = myPiece[WHITE][ROOK] | myPiece[BLACK][ROOK] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];

  // Sliders behind a piece that has left the square's lines join in.
  auto add_xrays = [&](int kind) {
    if (kind == PAWN || kind == BISHOP || kind == QUEEN) attackers |= occ & diagonal & bishop_attacks(to, occ);
    if (kind == ROOK || kind == QUEEN) attackers |= occ & straight & rook_attacks(to, occ);
  };
  // Behind the mover only: without another slider on its line there is none.
  if (LineBB[from][to] & (diagonal | straight) & occ) add_xrays(piece[from]);

  int stm = side ^ 1;
  if (!(attackers & Pos[stm]) || !(attackers & occ)) return victim;

  int swap[32];
  swap[0] = victim;
  int captured = attacker;
  int n = 1;
  for (;;) {
    int kind = PAWN;
    u64 least = 0;
    for (; kind <= KING; ++kind)
      if ((least = attackers & myPiece[stm][kind])) break;
    if (!least) break;

    occ ^= least & (0 - least);
    add_xrays(kind);
    swap[n] = captured - swap[n - 1];
    ++n;
    captured = seeValues[kind];
    if (swap[n - 1] - captured > 0) break;  // the capturer keeps its gain even if it is lost
    stm ^= 1;
    attackers &= occ;
    if (!attackers || n == 32) break;
  }
  for (int k = n - 2; k >= 0; --k) swap[k] = swap[k] < -swap[k + 1] ? swap[k] : -swap[k + 1];
  return swap[0];
}

PER_THREAD_END
