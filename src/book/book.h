// The opening book in the Polyglot format: the key of the current position,
// the probe, and the choice among the book's moves.
#pragma once

#include <cstdint>

constexpr int MAX_BOOK_MOVES = 100;  // candidates of one position; more and the book is not used

// The Polyglot key of the position written in fen (as get_fen writes it).
std::uint64_t pg_key(const char* fen);
// Probes the book named by "BookFilename" for key; on 1 the chosen move's
// text is in move_text (at least 6 bytes) and is a legal move of the current
// position that repeats no earlier position; on 0 there is no book move.
int pg_show(std::uint64_t key, char* move_text, int game_ply);
// Text of a Polyglot move ("e2e4", "e7e8q"). A king on e1 or e8 taking its
// own rook is the book's way of writing castling and becomes "e1g1" and so on.
void move_to_string(char* text, std::uint16_t move);
