#include "search/tt.h"

#include <cstdio>
#include <cstring>

#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_hash.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/search_tables.h"
#include "search/threads.h"

// Set while the main thread allocates the tables; one for the whole engine.
extern bool large_pages_refused;

#ifndef CORVANTIS_HELPER_COPY
hashBucket* hashREC = nullptr;
std::uint32_t TT_size = 1024;
std::uint16_t hash_gen = 0;
bool large_pages_refused = false;
#endif

PER_THREAD_BEGIN

namespace {

#ifndef CORVANTIS_HELPER_COPY
constexpr std::uint32_t kMinEntries = 512;
// 64 kB of evaluation entries: below that a helper's cache would hardly ever hit.
constexpr std::uint32_t kHelperMinEntries = 4096;

// The largest power of two of entries of that size fitting the megabytes.
std::uint32_t entries_for(unsigned mb, std::size_t entry_size) {
  std::uint64_t n = kMinEntries;
  while (entry_size * n * 2 <= static_cast<std::uint64_t>(mb) << 20) n *= 2;
  return static_cast<std::uint32_t>(n);
}

// "768 MB", or "48 kB" for a size below a megabyte; every table size is a
// whole number of kilobytes.
void format_size(char* out, std::size_t size, std::uint64_t bytes) {
  if (bytes % (1u << 20) == 0) std::snprintf(out, size, "%llu MB", static_cast<unsigned long long>(bytes >> 20));
  else std::snprintf(out, size, "%llu kB", static_cast<unsigned long long>(bytes >> 10));
}

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
        SendInfo("info string could not allocate %s for the %s, using %s", want_text, name, got_text);
      }
      return static_cast<T*>(p);
    }
    if (*count <= kMinEntries) {
      SendInfo("info string no memory for the %s", name);
      exit_engine(1);
    }
    *count /= 2;
  }
}

template <class T>
void release(T*& table, std::uint32_t count) {
  free_large(table, sizeof(T) * count);
  table = nullptr;
}
#endif

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

u64 pack_move(move m) { return m.u | static_cast<u64>(m.b.bits) << 32; }

u64 pack_data(int score, int depth, int generation, int bound) {
  return u64{static_cast<std::uint16_t>(score)} | u64{static_cast<std::uint16_t>(depth)} << 16 |
         u64{static_cast<std::uint16_t>(generation)} << 32 | u64{static_cast<std::uint8_t>(bound)} << 48;
}

void write_entry(hashEntry* e, u64 move_word, u64 data) {
  e->check.store(hash ^ move_word ^ data, std::memory_order_relaxed);
  e->move_word.store(move_word, std::memory_order_relaxed);
  e->data.store(data, std::memory_order_relaxed);
}

// The entry holding this position, or the one to overwrite; *old is what it held.
hashEntry* find_slot(bool* found, hashEntryData* old) {
  hashEntry* e = bucket_of_position();
  int victim = 0;
  hashEntryData v = read_entry(e[0]);
  for (int i = 0; i < 4; ++i) {
    const hashEntryData d = i == 0 ? v : read_entry(e[i]);
    if (d.key == hash) {
      *found = true;
      *old = d;
      return &e[i];
    }
    if (i == 0) continue;
    const bool victim_current = v.generation == hash_gen;
    const bool d_old_bound = d.generation != hash_gen && d.bound != TT_EXACT;
    if (victim_current ? (d.depth < v.depth || d_old_bound) : (d_old_bound && d.depth < v.depth)) {
      victim = i;
      v = d;
    }
  }
  *found = false;
  *old = v;
  return &e[victim];
}

}  // namespace

#ifndef CORVANTIS_HELPER_COPY
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
  if (large_pages_refused) SendInfo("info string large pages refused, the hash tables use ordinary pages");
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
  clear_eval_caches(true, true, true);
}

namespace {

// A helper's share of one of the main thread's caches: the largest power of
// two of entries within main / helpers, at least kHelperMinEntries.
std::uint32_t helper_entries(std::uint32_t main_entries, int helpers) {
  std::uint32_t n = main_entries;
  while (n > kHelperMinEntries && std::uint64_t{n} * static_cast<unsigned>(helpers) > main_entries) n /= 2;
  return n;
}

}  // namespace

void size_helper_caches(EvalCaches* c, int helpers) {
  const std::uint32_t evals = helper_entries(gETSize, helpers), pawns = helper_entries(pgETSize, helpers),
                      shelters = helper_entries(ksETSize, helpers);
  if (c->evals && c->wanted[0] == evals && c->wanted[1] == pawns && c->wanted[2] == shelters) return;
  // Fresh memory is empty.
  free_eval_caches(c);
  c->wanted[0] = c->evals_size = evals;
  c->wanted[1] = c->pawns_size = pawns;
  c->wanted[2] = c->shelters_size = shelters;
  c->pawns = allocate<EvalHashEntry>(&c->pawns_size, "pawn hash");
  c->evals = allocate<EvalHashEntry>(&c->evals_size, "eval hash");
  c->shelters = allocate<ShelterCacheEntry>(&c->shelters_size, "king shelter table");
  c->changes_seen = eval_cache_changes();
}

void empty_helper_caches_if_stale(EvalCaches* c) {
  if (c->changes_seen == eval_cache_changes()) return;
  std::memset(static_cast<void*>(c->evals), 0, sizeof(EvalHashEntry) * c->evals_size);
  std::memset(static_cast<void*>(c->pawns), 0, sizeof(EvalHashEntry) * c->pawns_size);
  std::memset(static_cast<void*>(c->shelters), 0, sizeof(ShelterCacheEntry) * c->shelters_size);
  c->changes_seen = eval_cache_changes();
}

void free_eval_caches(EvalCaches* c) {
  release(c->evals, c->evals_size);
  release(c->pawns, c->pawns_size);
  release(c->shelters, c->shelters_size);
}
#endif

void use_eval_caches(const EvalCaches& c) {
  ETable = c.evals;
  gETSize = c.evals_size;
  pETable = c.pawns;
  pgETSize = c.pawns_size;
  kShelterTable = c.shelters;
  ksETSize = c.shelters_size;
}

#ifndef CORVANTIS_HELPER_COPY
void age_hash() { hash_gen = static_cast<std::uint16_t>(hash_gen + 4); }
#endif

hashEntryData read_entry(const hashEntry& e) {
  const u64 move_word = e.move_word.load(std::memory_order_relaxed);
  const u64 data = e.data.load(std::memory_order_relaxed);
  hashEntryData d;
  d.key = e.check.load(std::memory_order_relaxed) ^ move_word ^ data;
  d.m.u = static_cast<std::uint32_t>(move_word);
  d.m.b.bits = static_cast<std::uint8_t>(move_word >> 32);
  d.score = static_cast<std::int16_t>(data);
  d.depth = static_cast<std::int16_t>(data >> 16);
  d.generation = static_cast<std::uint16_t>(data >> 32);
  d.bound = static_cast<std::uint8_t>(data >> 48);
  return d;
}

int lookUpH(int depth, int* score, move* m) {
  const hashEntry* bucket = bucket_of_position();
  for (int i = 0; i < 4; ++i) {
    const hashEntryData e = read_entry(bucket[i]);
    if (e.key != hash) continue;
    *m = e.m;
    *score = e.score;
    if (e.depth < depth) return 0;
    *score = score_from_tt(e.score, e.bound);
    return e.bound;
  }
  m->u = 0;
  return 0;
}

void storeH(move m, int depth, int score, int flag) {
  bool found;
  hashEntryData old;
  hashEntry* e = find_slot(&found, &old);
  const int stored = score_to_tt(score, flag);
  // A refreshed entry is marked by its old bound, so that later replacement
  // decisions do not count it as written in this search; it keeps its move
  // when it brings none.
  if (found) write_entry(e, pack_move(m.u != 0 ? m : old.m), pack_data(stored, depth, old.bound | hash_gen, flag));
  else write_entry(e, pack_move(m), pack_data(stored, depth, hash_gen, flag));
}

void storeHashUpper(int depth, int score, int flag) {
  bool found;
  hashEntryData old;
  hashEntry* e = find_slot(&found, &old);
  // A new entry gets no move; the flags byte of the one it replaces stays.
  if (!found) old.m.u = 0;
  write_entry(e, pack_move(old.m), pack_data(score_to_tt(score, flag), depth, hash_gen, flag));
}

PER_THREAD_END
