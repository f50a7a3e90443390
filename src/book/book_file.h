// Reading a Polyglot book file: 16-byte big-endian entries sorted by key.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

struct entry_t {
  std::uint64_t key;
  std::uint16_t move;  // to-file, to-row, from-file, from-row, promotion: 3 bits each
  std::uint16_t weight;
  std::uint16_t score;
  std::uint8_t depth;
  std::uint8_t learn;
};

constexpr int BOOK_ENTRY_SIZE = 16;

extern const entry_t entry_none;  // stands for no entry

// An open book file, closed when the holder goes out of scope, so that no
// way out of a probe can leak it.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using BookFile = std::unique_ptr<std::FILE, FileCloser>;

BookFile open_book(const char* name);  // empty when the file cannot be opened or read

// Reads n bytes big-endian into *value: 0 on success, 1 at end of file.
int int_from_file(std::FILE* f, int n, std::uint64_t* value);
// Reads the entry at the current position: 0 on success, 1 at end of file.
int entry_from_file(std::FILE* f, entry_t* entry);
// Index of the first entry whose key is not below key, that entry in *entry;
// -1 and an entry that cannot match key when the file holds no entry.
std::int64_t find_key(std::FILE* f, std::uint64_t key, entry_t* entry);
