// Static exchange evaluation: the material outcome of the capture sequence on
// one square, in units where a pawn is 1.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"

PER_THREAD_BEGIN

inline constexpr int seeValues[8] = {1, 3, 3, 5, 10, 100, 0, 0};

int see(int from, int to);
inline int see_move(move m) { return see(m.b.from, m.b.to); }

PER_THREAD_END
