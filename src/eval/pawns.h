// The walk over one side's pawns inside every evaluation: material,
// piece-square values, square-colour counts and attacks, then the rules that
// need the whole position (passed pawns, the rule of the square, king and
// pawn against king, candidates in pawn endings).
#pragma once
#include "board/per_thread.h"

PER_THREAD_BEGIN

void eval_pawn_loop(int us);

PER_THREAD_END
