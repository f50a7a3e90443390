// The transposition table: per position key the best move, a bounded score
// and the depth it was searched to.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "eval/eval_cache.h"
#include "movegen/move.h"
#include "platform/platform.h"

enum : int { TT_UPPER = 1, TT_LOWER = 2, TT_EXACT = 3 };

struct hashEntry {
  u64 key;  // 0 marks an entry never written
  move m;
  std::int16_t score;
  std::int16_t depth;  // half plies; quiescence stores 0 and below
  std::uint16_t generation;
  std::uint8_t bound;
};

struct hashBucket {
  hashEntry e[4];
};

extern hashBucket* hashREC;
extern std::uint32_t TT_size;  // buckets, a power of two
extern std::uint16_t hash_gen;

// Starts loading the table entries of a position key while other work goes
// on: the probes that follow a move would otherwise wait for main memory.
// A 96-byte bucket always spans two cache lines; a probe that misses reads both.
inline void prefetch_bucket(u64 key) {
  const hashBucket* bucket = &hashREC[key & (TT_size - 1)];
  prefetch(bucket);
  prefetch(reinterpret_cast<const char*>(bucket) + sizeof(hashBucket) - 1);
  prefetch(&ETable[key & (gETSize - 1)]);
}

void init_ttable(unsigned hash_mb, unsigned eval_hash_mb, unsigned pawn_hash_mb);
void free_tt();
void clearHash();
void age_hash();
// Returns the bound type when the stored depth suffices, else 0; the stored
// move is handed out either way (u == 0 when the key is absent).
int lookUpH(int depth, int* score, move* m);
void storeH(move m, int depth, int score, int flag);
void storeHashUpper(int depth, int score, int flag);
