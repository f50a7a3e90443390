// Partial generators, each producing one class of moves so that a search can
// stop before generating the rest.
#pragma once
#include "board/per_thread.h"

PER_THREAD_BEGIN

// The three stages of a non-PV node: together every move of gen() exactly once.
void gen_win_caps();    // captures of a more valuable piece, pawn steps to the last rank
void gen_equal_caps();  // captures of an equal piece, en passant
void gen_rest();        // everything else

// Quiescence.
void gen_caps();               // every capture and pawn step to the last rank
void gen_caps_last_sq(int t);  // captures on t only
void gen_non_caps_check();     // quiet moves giving check, directly or by discovery

PER_THREAD_END
