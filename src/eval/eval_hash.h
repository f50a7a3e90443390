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

// Main thread: cached values no longer hold (new weights, or every table
// emptied on request). Each search thread has caches of its own; the
// helpers empty theirs before their next search. New keys need none of
// this: a value stored under an old key is not found under a new one.
void eval_caches_outdated();
// How often that has happened.
std::uint32_t eval_cache_changes();

PER_THREAD_END
