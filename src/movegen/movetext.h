// Coordinate move texts ("e2e4", "e7e8q", Chess960 castling "e1h1") to and
// from the moves generated at the root.
#pragma once

#include "board/move.h"

// The index in the root move list of the move the text names, -1 when none.
int parse_move(const char* text);
// The text of m; the buffer is reused by the next call.
char* move_str(move_bytes m);
