// Polyglot book files written by the tests: 16-byte big-endian entries.
// Depends on the standard library only, so the dialogue tests can use it too.
#pragma once

#include <algorithm>
#include <cstdint>
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

// The entries in the order given; sort them by key first (stable_sort keeps
// the order of one key's entries) for a well-formed book.
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

inline std::vector<BookEntry> sorted_book(std::vector<BookEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const BookEntry& a, const BookEntry& b) { return a.key < b.key; });
  return entries;
}
