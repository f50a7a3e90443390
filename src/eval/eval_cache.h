// The evaluation's own caches, by position key, by pawn key and by pawn key
// with the king squares; the transposition-table code sizes, allocates and
// clears them together with its own table.
#pragma once

#include <cstdint>

#include "board/per_thread.h"

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

PER_THREAD_BEGIN

// Each search thread has caches of its own.
extern PER_THREAD EvalHashEntry* ETable;   // whole evaluations
extern PER_THREAD std::uint32_t gETSize;   // entries, a power of two
extern PER_THREAD EvalHashEntry* pETable;  // pawn structure
extern PER_THREAD std::uint32_t pgETSize;
extern PER_THREAD ShelterCacheEntry* kShelterTable;  // king shelters
extern PER_THREAD std::uint32_t ksETSize;

PER_THREAD_END
