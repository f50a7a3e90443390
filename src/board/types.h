// Basic vocabulary shared by every part of the engine.
#pragma once

#include <cstdint>

using u64 = std::uint64_t;

// Piece kinds; EMPTY marks a vacant square in both the piece and colour arrays.
enum : int { PAWN, KNIGHT, BISHOP, ROOK, QUEEN, KING, EMPTY };
enum : int { WHITE, BLACK };

// Squares: 0 = a8, 7 = h8, 56 = a1, 63 = h1; white pawns move towards 0.
constexpr int file_of(int sq) { return sq & 7; }
constexpr int row_of(int sq) { return sq >> 3; }  // row 0 is the eighth rank
constexpr u64 square_bit(int sq) { return 1ULL << (sq ^ 56); }
// The square a pawn of side s passes over on its way to `to`: the en-passant
// square, and where a pawn taken en passant stands.
constexpr int square_behind(int to, int s) { return s == WHITE ? to + 8 : to - 8; }

constexpr int MAX_PLY = 200;       // search levels
constexpr int HIST_STACK = 1000;   // game-history records
constexpr int GEN_STACK = 100000;  // generated moves, all levels together
