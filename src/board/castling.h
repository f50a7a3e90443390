// Castling for standard chess and Chess960: for each right, where king and
// rook start and end, which squares must be empty and which must be safe.
// Fixed when a position is read and shared by every search thread.
#pragma once

#include "board/types.h"

// Right r is bit 1 << r of `castle`: 0 white O-O, 1 white O-O-O, 2 black O-O, 3 black O-O-O.
struct CastlingRule {
  int king_from, king_to, rook_from, rook_to;
  u64 must_be_empty;  // every square king or rook passes or lands on, but their own
  u64 king_walk;      // the squares the king passes or lands on: none may be attacked
};

// UCI_Chess960: castling rights read as X-FEN or Shredder-FEN letters and
// castling written as the king taking its own rook.
extern bool chess960;
extern CastlingRule castling_rules[4];
extern int castle_mask[64];  // the rights that survive a move from or to each square

constexpr int castling_right(int colour, int king_to) { return 2 * colour + (file_of(king_to) < 4 ? 1 : 0); }

// Kings on e1 and e8, rooks in the corners, whatever rights are held.
void standard_castling();
// Chess960: rook_from[r] is right r's rook, -1 for a right not held; king[c]
// is where the king of colour c stands.
void set_castling(const int rook_from[4], const int king[2]);
