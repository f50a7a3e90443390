// Opening and endgame values packed into one integer, so that a term adds
// both with one addition, and the blends that taper them by material.
#pragma once

#include <cstdint>

using Score = std::int32_t;

// The opening value in the upper half, the endgame value in the lower; a
// negative endgame value borrows from the opening half. Computed in unsigned
// arithmetic so that it wraps in 32 bits instead of overflowing.
constexpr Score make_score(int mg, int eg) {
  return static_cast<Score>(static_cast<std::uint32_t>(mg) * 65536u + static_cast<std::uint32_t>(eg));
}

// Adding half a unit of the upper half undoes the borrow of a negative endgame value.
constexpr int mg_value(Score s) { return static_cast<Score>(static_cast<std::uint32_t>(s) + 32768u) >> 16; }

constexpr int eg_value(Score s) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(s)); }

// phase runs from 0 (bare kings) to 64 (all pieces on the board).
constexpr int interpolate(int mg, int eg, int phase) { return ((64 - phase) * eg + mg * phase) / 64; }

// Passed pawns are tapered by one side's material, phase 0 to 32.
constexpr int interpolatePasser(int mg, int eg, int phase) { return ((32 - phase) * eg + mg * phase) / 32; }
