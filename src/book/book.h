// The opening book in the Polyglot format.
#pragma once

#include <cstdint>

// The Polyglot key of the position written in fen (as get_fen writes it).
std::uint64_t pg_key(const char* fen);
// Probes the book for key; on 1 the chosen move's text is in move_text
// (at least 6 bytes), on 0 there is no book move.
int pg_show(std::uint64_t key, char* move_text);
