// Making and unmaking moves on the global position, and the game history.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"

// One record per position reached: what is needed to undo the move made from
// it, and the check information of the position itself.
struct hist_entry {
  u64 hash, phash, matHash;
  u64 checkSq[5];   // [kind PAWN..QUEEN]: squares from which that kind would give check
  u64 blockers[2];  // [king colour]: lone pieces between that king and an enemy slider
  u64 pinners[2];   // [king colour]: enemy sliders pinning a piece of that colour
  move m;
  int capture;  // kind captured, EMPTY if none (also for en passant)
  int castle, ep, fifty;
};

PER_THREAD_BEGIN

extern PER_THREAD hist_entry hist_dat[HIST_STACK];  // per search thread

bool makemove(move_bytes m);  // false (position unchanged) when the move is illegal
void takeback();
// The position key after m, without making it: a search starts loading the
// table entries of its children before it searches the first of them.
u64 key_after(move_bytes m);
// Earlier occurrences of the current position with the same side to move,
// back to the last capture or pawn move.
int reps();
void makenullmove();
void takebacknullmove();

PER_THREAD_END
