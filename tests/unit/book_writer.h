// Polyglot book files written by the tests: 16-byte big-endian entries.
// Depends on the standard library only, so the dialogue tests can use it too.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct BookEntry {
  std::uint64_t key;
  std::uint16_t move;
  std::uint16_t weight;
  std::uint16_t score = 0;
  std::uint8_t depth = 0;
  std::uint8_t learn = 0;
};

// Polyglot move field of a text such as "e2e4" or "e7e8q" (king-takes-rook
// for castling is simply written that way, "e1h1").
inline std::uint16_t pg_move(const char* text) {
  const int from_file = text[0] - 'a', from_row = text[1] - '1';
  const int to_file = text[2] - 'a', to_row = text[3] - '1';
  int promotion = 0;
  if (text[4]) promotion = static_cast<int>(std::string(" nbrq").find(text[4]));
  return static_cast<std::uint16_t>(to_file | to_row << 3 | from_file << 6 | from_row << 9 | promotion << 12);
}

inline std::string encode_book(const std::vector<BookEntry>& entries) {
  std::string bytes;
  auto put = [&bytes](std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  for (const BookEntry& e : entries) {
    put(e.key, 8);
    put(e.move, 2);
    put(e.weight, 2);
    put(e.score, 2);
    put(e.depth, 1);
    put(e.learn, 1);
  }
  return bytes;
}

// Sorted by key the way book files are; the sort is stable, so entries of
// one key keep the order given.
inline std::vector<BookEntry> sorted_book(std::vector<BookEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const BookEntry& a, const BookEntry& b) { return a.key < b.key; });
  return entries;
}

// A fresh temporary directory, removed with everything in it at the end.
struct BookDir {
  std::filesystem::path path;
  BookDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvantis-book-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
  }
  ~BookDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  BookDir(const BookDir&) = delete;
  BookDir& operator=(const BookDir&) = delete;

  std::string write_bytes(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path file = path / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  std::string write(const std::string& name, const std::vector<BookEntry>& entries) const {
    return write_bytes(name, encode_book(sorted_book(entries)));
  }
};
