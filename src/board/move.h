// The packed move record shared by the generators, the search, the
// transposition table and the command loop.
#pragma once

#include <cstdint>

struct move_bytes {
  std::uint8_t from;     // origin square
  std::uint8_t to;       // destination square
  std::uint8_t moved;    // kind of the moving piece
  std::uint8_t promote;  // kind promoted to; KING for castling; EMPTY otherwise
  std::uint8_t bits;     // MF_ flags
};

// Two moves are the same move when their u words match; the flags are not part of it.
union move {
  move_bytes b;
  std::uint32_t u;
};

enum : int {
  MF_CAPTURE = 1,
  MF_CASTLE = 2,
  MF_EP = 4,
  MF_PUSH2 = 8,
  MF_PAWN = 16,
  MF_PROMOTE = 32,
};

struct gen_entry {
  move m;
  int score;
};

// Piece values used by move ordering and the material counters.
inline constexpr int piece_value[8] = {100, 315, 325, 500, 1000, 0, 0, 0};
