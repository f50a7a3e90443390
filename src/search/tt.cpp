#include "search/tt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/position.h"
#include "engine/log.h"
#include "platform/platform.h"
#include "search/search_tables.h"

hashBucket* hashREC = nullptr;
std::uint32_t TT_size = 1024;
std::uint16_t hash_gen = 0;

namespace {

constexpr std::uint32_t kMinEntries = 512;

// The largest power of two of entries of that size fitting the megabytes.
std::uint32_t entries_for(unsigned mb, std::size_t entry_size) {
  std::uint64_t n = kMinEntries;
  while (entry_size * n * 2 <= static_cast<std::uint64_t>(mb) << 20) n *= 2;
  return static_cast<std::uint32_t>(n);
}

// "768 MB", or "48 kB" for a size below a megabyte; every table size is a
// whole number of kilobytes.
void format_size(char* out, std::size_t size, std::uint64_t bytes) {
  if (bytes % (1u << 20) == 0)
    std::snprintf(out, size, "%llu MB", static_cast<unsigned long long>(bytes >> 20));
  else
    std::snprintf(out, size, "%llu kB", static_cast<unsigned long long>(bytes >> 10));
}

bool large_pages_refused = false;

// A table the system cannot give in full is halved until it can, and the
// engine goes on with what it got. Only a system without memory for the
// smallest table ends the engine.
template <class T>
T* allocate(std::uint32_t* count, const char* name) {
  const std::uint32_t wanted = *count;
  for (;;) {
    bool refused = false;
    if (void* p = allocate_large(sizeof(T) * *count, &refused)) {
      large_pages_refused |= refused;
      if (*count < wanted) {
        char want_text[32], got_text[32];
        format_size(want_text, sizeof want_text, std::uint64_t{sizeof(T)} * wanted);
        format_size(got_text, sizeof got_text, std::uint64_t{sizeof(T)} * *count);
        std::printf("info string could not allocate %s for the %s, using %s\n", want_text, name, got_text);
      }
      return static_cast<T*>(p);
    }
    if (*count <= kMinEntries) {
      std::printf("info string no memory for the %s\n", name);
      std::exit(1);
    }
    *count /= 2;
  }
}

template <class T>
void release(T*& table, std::uint32_t count) {
  free_large(table, sizeof(T) * count);
  table = nullptr;
}

// Mate scores are stored relative to the node; bounds beyond the mate
// threshold are stored as the threshold itself.
int score_to_tt(int score, int flag) {
  if (score > MATE_BOUND) return flag == TT_EXACT ? score + ply : MATE_BOUND;
  if (score < -MATE_BOUND) return flag == TT_EXACT ? score - ply : -MATE_BOUND;
  return score;
}

int score_from_tt(int score, int flag) {
  if (score > MATE_BOUND) return flag == TT_EXACT ? score - ply : MATE_BOUND;
  if (score < -MATE_BOUND) return flag == TT_EXACT ? score + ply : -MATE_BOUND;
  return score;
}

hashEntry* bucket_of_position() { return hashREC[hash & (TT_size - 1)].e; }

// The entry holding this position, or the one to overwrite.
hashEntry* find_slot(bool* found) {
  hashEntry* e = bucket_of_position();
  hashEntry* victim = &e[0];
  for (int i = 0; i < 4; ++i) {
    if (e[i].key == hash) {
      *found = true;
      return &e[i];
    }
    if (i == 0) continue;
    const bool victim_current = victim->generation == hash_gen;
    const bool e_old_bound = e[i].generation != hash_gen && e[i].bound != TT_EXACT;
    if (victim_current ? (e[i].depth < victim->depth || e_old_bound) : (e_old_bound && e[i].depth < victim->depth))
      victim = &e[i];
  }
  *found = false;
  return victim;
}

}  // namespace

void init_ttable(unsigned hash_mb, unsigned eval_hash_mb, unsigned pawn_hash_mb) {
  pgETSize = entries_for(pawn_hash_mb, 16);
  gETSize = entries_for(eval_hash_mb, 16);
  TT_size = entries_for(hash_mb, 96);
  ksETSize = 262144;
  large_pages_refused = false;
  pETable = allocate<EvalHashEntry>(&pgETSize, "pawn hash");
  ETable = allocate<EvalHashEntry>(&gETSize, "eval hash");
  hashREC = allocate<hashBucket>(&TT_size, "hash table");
  kShelterTable = allocate<ShelterCacheEntry>(&ksETSize, "king shelter table");
  if (large_pages_refused) std::printf("info string large pages refused, the hash tables use ordinary pages\n");
  clearHash();
}

void free_tt() {
  release(hashREC, TT_size);
  release(ETable, gETSize);
  release(pETable, pgETSize);
  release(kShelterTable, ksETSize);
  log_printf("Free memory\n");
}

void clearHash() {
  hash_gen = 0;
  if (hashREC) std::memset(static_cast<void*>(hashREC), 0, sizeof(hashBucket) * TT_size);
  if (ETable) std::memset(static_cast<void*>(ETable), 0, sizeof(EvalHashEntry) * gETSize);
  if (pETable) std::memset(static_cast<void*>(pETable), 0, sizeof(EvalHashEntry) * pgETSize);
  if (kShelterTable) std::memset(static_cast<void*>(kShelterTable), 0, sizeof(ShelterCacheEntry) * ksETSize);
}

void age_hash() { hash_gen = static_cast<std::uint16_t>(hash_gen + 4); }

int lookUpH(int depth, int* score, move* m) {
  const hashEntry* e = bucket_of_position();
  for (int i = 0; i < 4; ++i) {
    if (e[i].key != hash) continue;
    *m = e[i].m;
    *score = e[i].score;
    if (e[i].depth < depth) return 0;
    *score = score_from_tt(e[i].score, e[i].bound);
    return e[i].bound;
  }
  m->u = 0;
  return 0;
}

void storeH(move m, int depth, int score, int flag) {
  bool found;
  hashEntry* e = find_slot(&found);
  if (found) {
    e->generation = static_cast<std::uint16_t>(e->bound | hash_gen);
    if (m.u != 0) e->m = m;
  } else {
    e->key = hash;
    e->generation = hash_gen;
    e->m = m;
  }
  e->depth = static_cast<std::int16_t>(depth);
  e->bound = static_cast<std::uint8_t>(flag);
  e->score = static_cast<std::int16_t>(score_to_tt(score, flag));
}

void storeHashUpper(int depth, int score, int flag) {
  bool found;
  hashEntry* e = find_slot(&found);
  if (!found) {
    e->key = hash;
    e->m.u = 0;
  }
  e->generation = hash_gen;
  e->depth = static_cast<std::int16_t>(depth);
  e->bound = static_cast<std::uint8_t>(flag);
  e->score = static_cast<std::int16_t>(score_to_tt(score, flag));
}
