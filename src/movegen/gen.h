// The full move generator and the check evasions. All are pseudo-legal:
// makemove decides legality. They only keep kings apart, since the attack
// test does not count the enemy king.
#pragma once
#include "board/move.h"
#include "board/per_thread.h"

constexpr int MAX_LEGAL_MOVES = 256;  // more than any position has

PER_THREAD_BEGIN

void gen();           // every move of the side to move; starts the level
void gen_evade();     // answers to a single check by the piece on gchecker1
void gen_king();      // king moves only (double check)
void gen_all_king();  // king moves appended to the current level
// The legal moves of the position (into out, when not null), by gen() and
// makemove; the count.
int legal_moves(move* out);
void gen_non_caps_knight_moves(int t, int c);
void gen_non_caps_bishop_and_queen_moves(int t, int c);
void gen_non_caps_rook_and_queen_moves(int t, int c);

PER_THREAD_END
