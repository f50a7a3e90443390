// Reading and writing positions as FEN text.
#pragma once
#include "board/per_thread.h"

extern const char* const square_name[64];

PER_THREAD_BEGIN

// Sets up the position from text (its first 127 characters). False when the
// text does not describe a usable position: the board is then left half set
// up, and the caller must set up another.
bool fen(const char* text);
void print_my_fen();
// The first four fields; without an en-passant square the text ends after the
// castling field and its blank.
void get_fen(char* dst);

PER_THREAD_END
