// The evaluation's caches: whole evaluations by position key, the pawn
// structure by pawn key (tables allocated with the transposition table).
#pragma once

#include <cstdint>

#include "board/per_thread.h"

PER_THREAD_BEGIN

int probe_eval();  // the stored side-to-move score of this position, or NO_EVAL
void store_eval(int score);
int pawn_probe_eval();  // the stored white-relative pawn-structure value, or NO_EVAL
void pawn_store_eval(int value);

// Empties the evaluation hash, the pawn hash and the king-shelter cache, as asked.
void clear_eval_caches(bool evaluations, bool pawns, bool shelters);

// How often the calling code has emptied any of them: each search thread
// has caches of its own, and those of the helpers are renewed before a
// search when the main thread has emptied its own (new keys, new weights).
std::uint32_t eval_clears();

PER_THREAD_END
