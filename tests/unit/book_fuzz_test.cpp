// Random book files, sorted or not, with odd lengths, impossible moves and
// extreme weights: the probe ends, leaves the board alone and answers with
// nothing or a legal move.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "book_writer.h"
#include "engine/commands.h"
#include "engine/options.h"
#include "engine/startup.h"
#include "engine/uci.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

const char* const kPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1",
    "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1",
    "4k3/1P6/8/8/8/8/6p1/4K3 b - - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
};
const char* const kPolicies[] = {"BestWeight", "BestScore", "Random"};

std::uint64_t current_key() {
  char text[256] = {};
  get_fen(text);
  return pg_key(text);
}

TEST(BookFuzz, RandomBookFiles) {
  set_position(spos);
  std::mt19937_64 rng(20240517);
  BookDir dir;
  const std::uint16_t weights[] = {0, 1, 2, 65535, 65534, 32768};
  int played = 0;
  for (int round = 0; round < 600; ++round) {
    uci_position((std::string("position fen ") + kPositions[round % std::size(kPositions)]).c_str());
    OptionSet("BookMoveSelect", kPolicies[rng() % std::size(kPolicies)]);
    const std::uint64_t key = current_key();
    // Legal moves of the position as the book writes them, to mix with random fields.
    std::vector<std::uint16_t> sensible = {pg_move("e1h1"), pg_move("e1a1"), pg_move("e8h8"), pg_move("e8a8")};
    for (const move& m : legal_level_moves()) sensible.push_back(pg_move(move_str(m.b)));

    std::vector<BookEntry> entries(rng() % 130);
    for (BookEntry& e : entries) {
      // Mostly the probed key and its neighbours, so the search has something to find.
      e.key = rng() % 4 == 0 ? rng() : key + (rng() % 5) - 2;
      e.move = rng() % 2 ? sensible[rng() % sensible.size()] : static_cast<std::uint16_t>(rng());
      e.weight = rng() % 2 ? weights[rng() % std::size(weights)] : static_cast<std::uint16_t>(rng());
      e.score = static_cast<std::uint16_t>(rng());
      e.depth = static_cast<std::uint8_t>(rng());
      e.learn = static_cast<std::uint8_t>(rng());
    }
    std::string bytes = encode_book(rng() % 3 ? sorted_book(entries) : entries);
    if (rng() % 3 == 0) bytes.resize(bytes.size() + rng() % 16, static_cast<char>(rng()));
    else if (rng() % 3 == 0 && !bytes.empty()) bytes.resize(bytes.size() - 1 - rng() % std::min<std::size_t>(bytes.size(), 20));
    OptionSet("BookFilename", dir.write_bytes("fuzz.bin", bytes).c_str());

    const std::uint64_t hash_before = hash;
    char text[6] = {};
    testing::internal::CaptureStdout();
    const int result = pg_show(key, text);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(hash, hash_before) << round;
    if (!result) continue;
    const int index = parse_move(text);
    ASSERT_GE(index, 0) << round << " " << text;
    ASSERT_TRUE(makemove(gen_dat[index].m.b)) << round << " " << text;
    takeback();
    ++played;
  }
  EXPECT_GT(played, 50);
  OptionSet("BookFilename", "corvantis.bin");
  OptionSet("BookMoveSelect", "BestWeight");
}

}  // namespace
