// Territory: safe space behind the own pawn chain, and holes in the own camp
// that the enemy can use. Both are opening-only centipawn terms.
#pragma once
#include "board/per_thread.h"

PER_THREAD_BEGIN

int evaluate_space(int us);  // a square count
int EvaluateHoles(int us);   // a penalty for us, already weighted

PER_THREAD_END
