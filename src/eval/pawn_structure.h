// Doubled, isolated and backward pawns: a white-relative penalty that depends
// on the pawns alone, cached by pawn key.
#pragma once
#include "board/per_thread.h"

// White's view (index 0 = a8); a black pawn on s reads s ^ 56.
extern const int isolated_pawn_tab[64];

PER_THREAD_BEGIN

int evaluate_pawns();

PER_THREAD_END
