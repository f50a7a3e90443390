// Entry formats of the evaluation's own caches; the transposition-table code
// sizes, allocates and clears them together with its own table.
#pragma once

#include <cstdint>

struct EvalHashEntry {
  std::uint64_t key;
  std::int32_t score;
};

struct ShelterCacheEntry {
  std::uint64_t key;  // pawn key
  std::int32_t wking, bking;
  std::int32_t wvalue, bvalue;
};

constexpr int NO_EVAL = -10000000;
