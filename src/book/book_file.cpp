#include "book/book_file.h"

const entry_t entry_none = {};

// A name that opens but cannot be read (a directory, say) counts as missing:
// its first read fails with an error, where an empty file just ends.
BookFile open_book(const char* name) {
  BookFile file(std::fopen(name, "rb"));
  if (!file) return file;
  if (std::fgetc(file.get()) == EOF && std::ferror(file.get())) return nullptr;
  std::rewind(file.get());
  return file;
}

int int_from_file(std::FILE* f, int n, std::uint64_t* value) {
  *value = 0;
  for (int i = 0; i < n; ++i) {
    const int b = std::fgetc(f);
    if (b == EOF) return 1;
    *value = (*value << 8) | static_cast<std::uint64_t>(b);
  }
  return 0;
}

int entry_from_file(std::FILE* f, entry_t* entry) {
  std::uint64_t v;
  if (int_from_file(f, 8, &v)) return 1;
  entry->key = v;
  if (int_from_file(f, 2, &v)) return 1;
  entry->move = static_cast<std::uint16_t>(v);
  if (int_from_file(f, 2, &v)) return 1;
  entry->weight = static_cast<std::uint16_t>(v);
  if (int_from_file(f, 2, &v)) return 1;
  entry->score = static_cast<std::uint16_t>(v);
  if (int_from_file(f, 1, &v)) return 1;
  entry->depth = static_cast<std::uint8_t>(v);
  if (int_from_file(f, 1, &v)) return 1;
  entry->learn = static_cast<std::uint8_t>(v);
  return 0;
}

namespace {

bool entry_at(std::FILE* f, std::int64_t index, entry_t* entry) {
  return std::fseek(f, static_cast<long>(index * BOOK_ENTRY_SIZE), SEEK_SET) == 0 && entry_from_file(f, entry) == 0;
}

}  // namespace

// Entries are counted from the file size rounded down, so that a file whose
// length is not a multiple of 16 is still read at entry boundaries; the
// search halves [lo, hi] every step and so ends even on unsorted data.
std::int64_t find_key(std::FILE* f, std::uint64_t key, entry_t* entry) {
  *entry = entry_none;
  entry->key = key + 1;
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f);
  if (size < BOOK_ENTRY_SIZE) return -1;

  std::int64_t hi = size / BOOK_ENTRY_SIZE - 1;
  entry_t candidate;
  if (!entry_at(f, hi, &candidate)) return -1;
  std::int64_t lo = -1;
  while (hi - lo > 1) {
    const std::int64_t mid = (lo + hi) / 2;
    entry_t probe;
    if (!entry_at(f, mid, &probe)) return -1;
    if (probe.key >= key) {
      hi = mid;
      candidate = probe;
    } else {
      lo = mid;
    }
  }
  *entry = candidate;
  return hi;
}
