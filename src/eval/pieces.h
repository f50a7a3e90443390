// Knights, bishops, rooks, queens and kings: material, piece-square values,
// attacks into the attack record, mobility, the attack on the enemy king and
// the bonuses of each kind. Each returns that side's Score (positive = good
// for it) and adds to the accumulators on the way.
#pragma once

#include "board/per_thread.h"
#include "eval/score.h"

PER_THREAD_BEGIN

Score eval_knight(int us);
Score eval_bishop(int us);
Score eval_rook(int us);
Score eval_queen(int us);
void eval_king(int us);      // the king's piece-square values only
void eval_bishop_colours();  // bishop pair, or one bishop against its own pawns; both sides

PER_THREAD_END
