#include "eval/eval_hash.h"

#include <cstring>

#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_cache.h"

// One count for the whole engine.
extern std::uint32_t eval_cache_change_count;
#ifndef CORVANTIS_HELPER_COPY
std::uint32_t eval_cache_change_count = 0;
#endif

PER_THREAD_BEGIN

PER_THREAD EvalHashEntry* ETable = nullptr;
PER_THREAD std::uint32_t gETSize = 0;
PER_THREAD EvalHashEntry* pETable = nullptr;
PER_THREAD std::uint32_t pgETSize = 0;
PER_THREAD ShelterCacheEntry* kShelterTable = nullptr;
PER_THREAD std::uint32_t ksETSize = 0;

namespace {

// Both tables have a power-of-two size: the key's low bits pick the slot.
EvalHashEntry& slot(EvalHashEntry* table, std::uint32_t size, u64 key) { return table[key & (size - 1)]; }

int probe(EvalHashEntry* table, std::uint32_t size, u64 key) {
  const EvalHashEntry& e = slot(table, size, key);
  return e.key == key ? e.score : NO_EVAL;
}

void store(EvalHashEntry* table, std::uint32_t size, u64 key, int value) {
  EvalHashEntry& e = slot(table, size, key);
  e.key = key;
  e.score = value;
}

template <class T>
void wipe(T* table, std::uint32_t size) {
  if (table) std::memset(static_cast<void*>(table), 0, sizeof(T) * size);
}

}  // namespace

int probe_eval() { return probe(ETable, gETSize, hash); }
void store_eval(int score) { store(ETable, gETSize, hash, score); }
int pawn_probe_eval() { return probe(pETable, pgETSize, phash); }
void pawn_store_eval(int value) { store(pETable, pgETSize, phash, value); }

#ifndef CORVANTIS_HELPER_COPY
void clear_eval_caches(bool evaluations, bool pawns, bool shelters) {
  if (evaluations) wipe(ETable, gETSize);
  if (pawns) wipe(pETable, pgETSize);
  if (shelters) wipe(kShelterTable, ksETSize);
}

void eval_caches_outdated() { ++eval_cache_change_count; }
#endif

std::uint32_t eval_cache_changes() { return eval_cache_change_count; }

PER_THREAD_END
