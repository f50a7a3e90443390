#include "eval/pawn_structure.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/pst.h"
#include "eval/weights.h"

#ifndef CORVANTIS_HELPER_COPY
const int isolated_pawn_tab[64] = {
    0, 0, 0, 0,  0,  0, 0, 0, 2, 4, 4, 6,  6,  4, 4, 2, 3, 5, 5, 7,  7,  5, 5, 3, 4, 6, 6, 8, 8, 6, 6, 4,
    8, 8, 8, 10, 10, 8, 8, 8, 8, 8, 8, 10, 10, 8, 8, 8, 8, 8, 8, 10, 10, 8, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0,
};
#endif

PER_THREAD_BEGIN

namespace {

// The structure penalties of one side's pawns, as a positive number.
int pawn_weaknesses(int us) {
  const int them = us ^ 1;
  const u64 ours = myPiece[us][PAWN], theirs = myPiece[them][PAWN];
  int penalty = 0;
  for (u64 b = ours; b;) {
    const int s = pop_lsb(&b);
    const int idx = FlipSq(us, s);
    const u64 neighbours = ours & AdjacentFilesBB[file_of(s)];
    const bool doubled = (ours & ForwardBB[us][s]) != 0;
    const bool isolated = neighbours == 0;
    if (doubled) penalty += doubledPawnPenalty;
    if (isolated) penalty += isolated_pawn_tab[idx];
    if (doubled && isolated) continue;
    // Backward: every neighbour has gone past it, and an enemy pawn guards
    // the square it would advance to.
    const int rank_index = 7 - row_of(s);
    const bool behind_neighbours = (neighbours & ~InFrontBB[us][rank_index]) == 0;
    if (behind_neighbours && (PawnAttacks[us][stop_square(us, s)] & theirs)) penalty += BackwardPawn[idx];
  }
  return penalty;
}

}  // namespace

int evaluate_pawns() {
  const int cached = pawn_probe_eval();
  if (cached != NO_EVAL) return cached;
  const int v = pawn_weaknesses(BLACK) - pawn_weaknesses(WHITE);
  pawn_store_eval(v);
  return v;
}

PER_THREAD_END
