// Reading book files: big-endian entries and the binary search
// for the first entry of a key, also on files that break the format.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "book/book_file.h"
#include "book_writer.h"

namespace {

BookFile file_with(const std::string& bytes) {
  BookFile f(std::tmpfile());
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
  }
  return f;
}

std::vector<BookEntry> keyed(const std::vector<std::uint64_t>& keys) {
  std::vector<BookEntry> entries;
  for (std::size_t i = 0; i < keys.size(); ++i)
    entries.push_back({keys[i], static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(i + 1)});
  return entries;
}

TEST(BookFile, EntryFieldsAndATruncatedEntry) {
  const BookEntry e{0x0123456789ABCDEFULL, 0x1234, 0xFFFF, 0xABCD, 0x56, 0x78};
  const std::string bytes = encode_book({e});
  BookFile f = file_with(bytes + bytes.substr(0, 15));
  ASSERT_TRUE(f);
  entry_t read{};
  ASSERT_EQ(entry_from_file(f.get(), &read), 0);
  EXPECT_EQ(read.key, e.key);
  EXPECT_EQ(read.move, e.move);
  EXPECT_EQ(read.weight, e.weight);
  EXPECT_EQ(read.score, e.score);
  EXPECT_EQ(read.depth, e.depth);
  EXPECT_EQ(read.learn, e.learn);
  EXPECT_EQ(entry_from_file(f.get(), &read), 1);
}

TEST(BookFile, FindsTheFirstEntryNotBelowTheKey) {
  // Index:               0   1   2   3   4   5   6   7   8
  BookFile f = file_with(encode_book(keyed({10, 20, 30, 40, 50, 50, 60, 70, 90})));
  ASSERT_TRUE(f);
  entry_t e{};
  const std::pair<std::uint64_t, std::int64_t> cases[] = {
      {10, 0}, {90, 8}, {30, 2}, {50, 4}, {60, 6}, {5, 0}, {55, 6}, {80, 8}};
  for (const auto& [key, index] : cases) {
    EXPECT_EQ(find_key(f.get(), key, &e), index) << key;
    EXPECT_EQ(e.move, index) << key;  // the entry found is the one at that index
  }
  // Beyond the last key the last entry comes back; its key does not match.
  EXPECT_EQ(find_key(f.get(), 95, &e), 8);
  EXPECT_EQ(e.key, 90u);
}

TEST(BookFile, EmptyOrShortFileHasNoEntry) {
  for (const std::string& bytes : {std::string(), std::string(15, '\x07')}) {
    BookFile f = file_with(bytes);
    ASSERT_TRUE(f);
    entry_t e{};
    EXPECT_EQ(find_key(f.get(), 1234, &e), -1);
    EXPECT_EQ(e.key, 1235u);
    EXPECT_EQ(e.move, 0);
    EXPECT_EQ(e.weight, 0);
    // The largest key wraps round and still does not match.
    EXPECT_EQ(find_key(f.get(), ~0ULL, &e), -1);
    EXPECT_NE(e.key, ~0ULL);
  }
}

// A length that is not a multiple of 16: the search stays on entry
// boundaries and the partial tail is no entry.
TEST(BookFile, TrailingBytesAreIgnored) {
  for (int extra = 1; extra < 16; ++extra) {
    BookFile f = file_with(encode_book(keyed({10, 20, 30})) + std::string(extra, '\xFF'));
    entry_t e{};
    EXPECT_EQ(find_key(f.get(), 10, &e), 0);
    EXPECT_EQ(e.key, 10u);
    EXPECT_EQ(find_key(f.get(), 30, &e), 2);
    EXPECT_EQ(e.key, 30u);
    EXPECT_EQ(find_key(f.get(), ~0ULL, &e), 2);
    EXPECT_EQ(e.key, 30u);
  }
}

// Unsorted data gives arbitrary answers, but the search ends and what it
// returns is a real entry of the file.
TEST(BookFile, UnsortedFileEnds) {
  std::mt19937_64 rng(99);
  std::vector<std::uint64_t> keys(1000);
  for (auto& k : keys) k = rng() % 5000;
  BookFile f = file_with(encode_book(keyed(keys)));
  for (int i = 0; i < 2000; ++i) {
    entry_t e{};
    const std::int64_t index = find_key(f.get(), rng() % 6000, &e);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, 1000);
    EXPECT_EQ(e.key, keys[index]);
  }
}

}  // namespace
