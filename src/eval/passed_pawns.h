// Passed pawns and pawns that may become passed.
#pragma once

#include "board/per_thread.h"
#include "eval/score.h"

PER_THREAD_BEGIN

// A pawn free to advance that its neighbours can help through (pawn endings).
bool candidatePasser(int us, int s);
// A blocked pawn that a neighbour's advance would set free.
bool hiddenPasser(int us, int s);
// The bonus of one side's passed pawns (passedPawn[us]), to be tapered by the
// opponent's material.
Score evaluate_passer(int us);

PER_THREAD_END
