// Move ordering: picking moves by their generation scores, the history,
// killer and counter-move updates, the check test of an unmade move and the
// validation of the transposition table's move.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"

PER_THREAD_BEGIN

inline bool is_quiet(move m) { return !(m.b.bits & (MF_CAPTURE | MF_CASTLE | MF_PROMOTE)); }

void sort(int i);                      // best remaining entry of the level into position i
void hash_sort(int i, move hashMove);  // the same, but the hash move first
void qssort(int i);                    // the same, scoring quiescence captures by exchange first
// The picker of the node searches: hash_sort when there is a hash move, else sort.
inline void pick(int i, move hashMove) {
  if (hashMove.u) hash_sort(i, hashMove);
  else sort(i);
}

void history_good(move m, int depth);
void history_bad(move m, int score, int depth, int bound);
void update_killers(move m, int score, move previous);
void HistoryScoreInit();
bool MoveGivesCheck(move m);
void gen_hash_move(move hashMove);
// The hash move may be tried before generating: a piece of ours on its origin,
// none on its destination, neither castling nor promotion.
bool hash_move_playable(move hashMove);

PER_THREAD_END
