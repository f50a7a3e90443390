// The transposition table: per position key the best move, a bounded score
// and the depth it was searched to.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/makemove.h"
#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"
#include "eval/eval_cache.h"
#include "platform/platform.h"

enum : int { TT_UPPER = 1, TT_LOWER = 2, TT_EXACT = 3 };

// Search threads read and write the entries without a lock, as three
// separate words. The key is stored XOR-ed with the two data words, so an
// entry that two writers left half one's and half the other's fails the key
// test and is never trusted.
struct hashEntry {
  std::atomic<u64> check;      // key ^ move_word ^ data; all three 0 in an entry never written
  std::atomic<u64> move_word;  // the move's u word, its flags byte above it
  std::atomic<u64> data;       // score, depth, generation and bound, 16 bits each
};

// An entry as read: key 0 marks one never written.
struct hashEntryData {
  u64 key;
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

// The evaluation caches of a helper search thread. The main thread's are
// allocated with the table; a helper's are allocated by the main thread,
// which prints what it could not get, and handed to the helper, which
// empties them itself.
struct EvalCaches {
  EvalHashEntry* evals;
  std::uint32_t evals_size;
  EvalHashEntry* pawns;
  std::uint32_t pawns_size;
  ShelterCacheEntry* shelters;
  std::uint32_t shelters_size;
  std::uint32_t wanted[3];     // the main thread's sizes when they were allocated
  std::uint32_t changes_seen;  // eval_cache_changes() when last emptied
};

PER_THREAD_BEGIN

hashEntryData read_entry(const hashEntry& e);

// Starts loading the table entries of a position key while other work goes
// on: the probes that follow a move would otherwise wait for main memory.
// A 96-byte bucket always spans two cache lines; a probe that misses reads both.
inline void prefetch_bucket(u64 key) {
  const hashBucket* bucket = &hashREC[key & (TT_size - 1)];
  prefetch(bucket);
  prefetch(reinterpret_cast<const char*>(bucket) + sizeof(hashBucket) - 1);
  prefetch(&ETable[key & (gETSize - 1)]);
}

// makemove for the search: the new position's entries start loading first,
// from the key foretold. Perft does without, since the loads would only cost
// it memory bandwidth.
inline bool make_and_prefetch(move_bytes m) {
  prefetch_bucket(key_after(m));
  return makemove(m);
}

// Main thread, between searches: a helper's caches, each its share of the
// main thread's among all the helpers, so that the helpers together take
// about what the main thread's caches take (but at least 64 kB of each);
// allocated anew when a size has changed.
void size_helper_caches(EvalCaches* c, int helpers);
void free_eval_caches(EvalCaches* c);
// Helper thread, before its search: empties its caches when their values no
// longer hold (eval_caches_outdated since).
void empty_helper_caches_if_stale(EvalCaches* c);
// Helper thread: its caches from now on.
void use_eval_caches(const EvalCaches& c);

void init_ttable(unsigned hash_mb, unsigned eval_hash_mb, unsigned pawn_hash_mb);
void free_tt();
void clearHash();
void age_hash();
// Returns the bound type when the stored depth suffices, else 0; the stored
// move is handed out either way (u == 0 when the key is absent).
int lookUpH(int depth, int* score, move* m);
void storeH(move m, int depth, int score, int flag);
void storeHashUpper(int depth, int score, int flag);

PER_THREAD_END
