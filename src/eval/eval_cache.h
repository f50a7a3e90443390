// The evaluation's own caches, by position key, by pawn key and by pawn key
// with the king squares; the transposition-table code sizes, allocates and
// clears them together with its own table.
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

// Each search thread has caches of its own.
extern constinit thread_local EvalHashEntry* ETable;   // whole evaluations
extern constinit thread_local std::uint32_t gETSize;   // entries, a power of two
extern constinit thread_local EvalHashEntry* pETable;  // pawn structure
extern constinit thread_local std::uint32_t pgETSize;
extern constinit thread_local ShelterCacheEntry* kShelterTable;  // king shelters
extern constinit thread_local std::uint32_t ksETSize;
