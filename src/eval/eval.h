// The static evaluation of the current position, in centipawns from the
// side to move's point of view.
#pragma once
#include "board/per_thread.h"

PER_THREAD_BEGIN

int eval();

PER_THREAD_END
