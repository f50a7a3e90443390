// What each move changed on the board, logged while an evaluation follows
// the board move by move (the learned one) instead of reading it whole.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"

struct PieceChange {
  std::int8_t colour, kind, square;
  std::int8_t added;  // 1 put down, 0 lifted
};

// At most four: castling lifts and puts down two pieces.
struct MoveChanges {
  int count;
  PieceChange list[4];
};

// Shared by every thread; changed only between searches.
extern bool log_piece_changes;

PER_THREAD_BEGIN

// [ply]: what the move (or null move) into that search level changed.
extern PER_THREAD MoveChanges piece_changes[MAX_PLY + 1];

// Called by makemove once move m of side s, a piece of kind `moved`, proved
// legal; captured is the kind taken on the target square, EMPTY if none.
// Beyond the deepest search level nothing is logged: the evaluation sums the
// board there.
void log_move_changes(move_bytes m, int s, int moved, int captured);
void log_null_move();

PER_THREAD_END
