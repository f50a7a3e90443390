// The learned evaluation of the current position, in centipawns from the
// side to move's point of view. Each search thread keeps the network's
// first-layer sums of every level of its line, brought up to date from the
// board's log of piece changes when a position is evaluated.
#pragma once

#include "board/per_thread.h"

PER_THREAD_BEGIN

int learned_eval();
// The same from the whole board, as a check of the kept sums.
int learned_eval_from_scratch();

PER_THREAD_END
