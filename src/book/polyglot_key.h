// The Polyglot position key: the standard's 781 random numbers and the key
// of a position written as FEN text.
#pragma once

#include <cstdint>

constexpr int RANDOM64_COUNT = 781;

extern const std::uint64_t Random64[RANDOM64_COUNT];

// Views into Random64.
constexpr const std::uint64_t* RandomPiece = Random64;            // [64 * piece + 8 * row + file]
constexpr const std::uint64_t* RandomCastle = Random64 + 768;     // K, Q, k, q
constexpr const std::uint64_t* RandomEnPassant = Random64 + 772;  // file a..h
constexpr const std::uint64_t* RandomTurn = Random64 + 780;       // white to move

// Piece index order of RandomPiece: black pawn 0, white pawn 1, ... white king 11.
constexpr const char* piece_names = "pPnNbBrRqQkK";

// Key of the position in fen; the en-passant field may be missing.
std::uint64_t hash_pg_key(const char* fen);
