// The opening book: the Polyglot key, and probing a book file for the current
// position (the binary search, which move each policy chooses, the entries
// it must refuse, random files). The printed table is the book dialogue's.
#include "book/book.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "board/makemove.h"
#include "board/position.h"
#include "book/polyglot_key.h"
#include "book_writer.h"
#include "engine/commands.h"
#include "engine/startup.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "options/options.h"
#include "search/think.h"
#include "test_support.h"

namespace {

// The standard's published keys, from the engine's own text after the moves.
TEST(BookKey, PublishedKeys) {
  const std::pair<const char*, std::uint64_t> cases[] = {
      {"", 0x463B96181691FC9CULL},
      {"e2e4", 0x823C9B50FD114196ULL},
      {"e2e4 d7d5", 0x0756B94461C50FB0ULL},
      {"e2e4 d7d5 e4e5", 0x662FAFB965DB29D4ULL},
      {"e2e4 d7d5 e4e5 f7f5", 0x22A48B5A8E47FF78ULL},  // en passant possible
      {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652A607CA3F242C1ULL},
      {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00FDD303C946BDD9ULL},
      {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3C8123EA7B067637ULL},
      {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5C3F9B829B279560ULL},
  };
  for (const auto& [moves, key] : cases) {
    set_position(spos);
    uci_position((std::string("position startpos moves ") + moves).c_str());
    EXPECT_EQ(pg_key(board_fen().c_str()), key) << moves << " -> " << board_fen();
  }
  // Nothing after the castling field counts as "-"; on the a-file the
  // neighbour beyond the board is not looked at.
  EXPECT_EQ(hash_pg_key("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq"), 0x463B96181691FC9CULL);
  EXPECT_EQ(hash_pg_key("4k3/8/8/8/Pp6/8/8/4K3 b - a3") ^ hash_pg_key("4k3/8/8/8/Pp6/8/8/4K3 b - -"),
            RandomEnPassant[0]);
}

// Text that is no FEN at all yields some key, without reading or writing
// outside the board (the sanitizer build watches).
TEST(BookKey, MalformedTextIsSafe) {
  for (const char* t : {"", "w", "88888888/88888888/8 w KQkq -", "8/8/8/8/8/8/8/8/8/8/8/8/pppppppp/PPPP w - -",
                        "ppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppp w - -",
                        "xyz!/9/0 b QQQQQ zz", "4k3/8/8/8/Pp6/8/8/4K3 b - `3", "4k3/8/8/8/6pP/8/8/4K3 b - i3"})
    (void)hash_pg_key(t);
  EXPECT_EQ(hash_pg_key("4k3/8/8/8/8/8/8/4K3 w - -"), hash_pg_key("4k3/8/8/x7/8/8/8/4K3 w - -"));
  std::mt19937 rng(7);
  const std::string alphabet = "pPnNbBrRqQkK12345678/ wb-KQkqabcdefgh36x";
  for (int i = 0; i < 2000; ++i) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    (void)hash_pg_key(text.c_str());
  }
}

constexpr std::uint64_t kStartKey = 0x463B96181691FC9CULL;

struct Probe {
  int result;
  std::string move, out;
};

std::uint64_t key() { return pg_key(board_fen().c_str()); }

// One probe of the current position. Whatever the book holds, the board is
// left as it was and a move that comes back is a legal root move.
Probe probe() {
  const std::uint64_t hash_before = hash;
  const int hply_before = hply;
  char text[6] = {};
  testing::internal::CaptureStdout();
  const int result = pg_show(key(), text, root_hply);
  Probe p{result, result ? text : "", testing::internal::GetCapturedStdout()};
  EXPECT_TRUE(hash == hash_before && hply == hply_before);
  const int index = result ? parse_move(text) : -1;
  const bool made = index >= 0 && makemove(gen_dat[index].m.b);
  EXPECT_TRUE(!result || made) << text;
  if (made) takeback();
  return p;
}

class BookProbe : public ::testing::Test {
 protected:
  const std::string path =
      (std::filesystem::temp_directory_path() / ("corvantis-unit-" + std::to_string(getpid()) + ".bin")).string();
  void SetUp() override {
    set_position(spos);
    select("BestWeight");
  }
  void TearDown() override {
    OptionSet("BookFilename", "corvantis.bin");
    select("BestWeight");
    std::remove(path.c_str());
  }
  static void select(const char* policy) { OptionSet("BookMoveSelect", policy); }
  void use(const std::vector<BookEntry>& entries) { use_bytes(encode_book(sorted_book(entries))); }
  void use_bytes(const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    OptionSet("BookFilename", path.c_str());
  }
  // The position as "position" sets it up.
  static void play_from_start(const std::string& moves) { uci_position(("position startpos moves " + moves).c_str()); }
  static void load(const std::string& fen) { uci_position(("position fen " + fen).c_str()); }
};

BookEntry at_start(const char* move, std::uint16_t weight, std::uint16_t score = 0) {
  return {kStartKey, pg_move(move), weight, score};
}

TEST_F(BookProbe, KeyIsFoundAtTheStartMiddleAndEndOfTheFile) {
  std::vector<BookEntry> below, above;
  for (std::uint64_t i = 1; i <= 20; ++i) {
    below.push_back({kStartKey - 7 * i, pg_move("d2d4"), 10});
    above.push_back({kStartKey + 7 * i, pg_move("d2d4"), 10});
  }
  std::vector<BookEntry> middle = below;
  middle.insert(middle.end(), above.begin(), above.end());
  for (std::vector<BookEntry> book : {above, middle, below}) {
    book.push_back(at_start("e2e4", 10));
    use(book);
    EXPECT_EQ(probe().move, "e2e4");
  }
  for (const auto& book : {below, above, std::vector<BookEntry>{}}) {  // between, beyond or no keys
    use(book);
    const Probe p = probe();
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.out, "");
  }
  // A name that cannot be read as a book, a directory among them, is missing.
  for (const std::string& missing : {path + ".missing", std::filesystem::path(path).parent_path().string()}) {
    OptionSet("BookFilename", missing.c_str());
    EXPECT_EQ(probe().out, "info string opening book " + missing + " is missing!!\n");
  }
  const std::string bytes = encode_book({at_start("e2e4", 1), at_start("d2d4", 100)});
  use_bytes(bytes.substr(0, bytes.size() - 3));  // a truncated last entry ends the candidates
  EXPECT_EQ(probe().out.find("d2d4"), std::string::npos);
}

// Only the first 100 candidates are read, and a 101st makes the book unused;
// the weights of 100 full entries add up without overflow.
TEST_F(BookProbe, CandidateLimitAndWeightSum) {
  std::vector<BookEntry> book(99, at_start("e2e4", 1));
  book.push_back(at_start("g1f3", 1000));  // found only if all 100 are read
  use(book);
  EXPECT_EQ(probe().move, "g1f3");
  book.push_back(at_start("e2e4", 1));
  use(book);
  const Probe p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.out.find("selected"), std::string::npos);
  use(std::vector<BookEntry>(100, at_start("e2e4", 65535)));
  EXPECT_NE(probe().out.find("e2e4        1.00"), std::string::npos);
}

// The move each policy takes, and the entries that must be refused: castling
// written as king takes rook, moves that cannot be played or repeat a
// position, promotion fields that name no piece.
TEST_F(BookProbe, ChosenOrRefusedMoves) {
  struct Move {
    const char* text;
    std::uint16_t weight = 1, score = 0;
  };
  const struct {
    const char* position;  // after "position "
    const char* policy;
    std::vector<Move> entries;
    const char* chosen;    // "" when the book must not be used
    const char* out = "";  // a line the probe must print
  } cases[] = {
      // The first of equal weights; score fields above 16382 rank as negative, yet all negative still chooses.
      {"startpos",
       "BestWeight",
       {{"c2c4", 3}, {"d2d4", 5}, {"e2e4", 5}},
       "d2d4",
       "d2d4 is selected having the best weight"},
      {"startpos", "BestScore", {{"e2e4", 50, 16383}, {"d2d4", 1, 16382}, {"c2c4", 50}}, "d2d4", "best score!!"},
      {"startpos", "BestScore", {{"d2d4", 1, 16383}, {"e2e4", 1, 65534}}, "e2e4"},
      {"startpos", "BestWeight", {{"e2e4", 0}, {"d2d4", 0}}, "", "book move: d2d4"},  // no weight at all
      {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "BestWeight", {{"e1h1"}}, "e1g1", "book move: e1g1"},
      {"fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "BestWeight", {{"e8a8"}}, "e8c8"},
      {"fen k7/8/8/8/8/8/3K4/4R3 w - - 0 1", "BestWeight", {{"e1h1"}}, "e1h1"},  // a rook move stays one
      {"startpos moves g1f3 g8f6 f3g1", "BestWeight", {{"f6g8", 10}, {"e7e5"}}, "", "Weight(%)"},  // repeats
      {"fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "BestWeight", {{"b7b8n"}}, "b7b8n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.position) + " " + c.entries[0].text);
    uci_position((std::string("position ") + c.position).c_str());
    select(c.policy);
    std::vector<BookEntry> book;
    for (const Move& m : c.entries) book.push_back({key(), pg_move(m.text), m.weight, m.score});
    use(book);
    const Probe p = probe();
    EXPECT_EQ(p.move, c.chosen);
    EXPECT_TRUE(*c.chosen || p.out.find("selected") == std::string::npos) << p.out;
    EXPECT_NE(p.out.find(c.out), std::string::npos) << p.out;
  }
  select("BestWeight");
  set_position(spos);
  for (const char* m : {"e2e5", "e7e5", "a1a8", "e1g1", "e2e4q", "g1f3n"}) {
    use({at_start(m, 1)});
    EXPECT_EQ(probe().result, 0) << m;
  }
  load("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  for (int promotion : {0, 5, 7}) {  // none, or a field that names no piece
    use({{key(), static_cast<std::uint16_t>(pg_move("b7b8") | promotion << 12), 1}});
    EXPECT_EQ(probe().result, 0) << promotion;
  }
}

TEST_F(BookProbe, RandomIsUniformUpToPly8ThenHeaviest) {
  select("Random");
  std::srand(2024);
  use({at_start("e2e4", 1)});
  EXPECT_TRUE(probe().out.ends_with("info string move e2e4 is randomy selected, the only move!!\n"));
  use({at_start("e2e4", 1), at_start("d2d4", 1), at_start("g1f3", 65535)});
  std::map<std::string, int> counts;
  for (int i = 0; i < 3000; ++i) ++counts[probe().move];
  for (const char* m : {"e2e4", "d2d4", "g1f3"}) EXPECT_TRUE(counts[m] > 850 && counts[m] < 1150) << m << counts[m];
  EXPECT_TRUE(probe().out.ends_with(" is randomy selected!!\n"));

  play_from_start("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8");  // game ply 8, at the start position again
  ASSERT_EQ(root_hply, 8);
  counts.clear();
  for (int i = 0; i < 60; ++i) ++counts[probe().move];
  EXPECT_EQ(counts.size(), 3u);

  play_from_start("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3");
  const std::uint64_t k = key();
  use({{k, pg_move("e7e5"), 1}, {k, pg_move("d7d5"), 9}, {k, pg_move("c7c5"), 1}});
  for (int i = 0; i < 20; ++i) {
    const Probe p = probe();
    EXPECT_EQ(p.move, "d7d5");
    EXPECT_TRUE(p.out.ends_with("info string move d7d5 is selected having the best weight!!\n")) << p.out;
  }
}

// Random files, sorted or not, with odd lengths, impossible moves and
// extreme weights: the probe ends, leaves the board alone and answers with
// nothing or a legal move (checked by probe()).
TEST_F(BookProbe, RandomBookFiles) {
  const char* const positions[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                                   "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1",
                                   "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"};
  const char* const policies[] = {"BestWeight", "BestScore", "Random"};
  const std::uint16_t weights[] = {0, 1, 2, 65535, 65534, 32768};
  std::mt19937_64 rng(20240517);
  int played = 0;
  for (int round = 0; round < 600; ++round) {
    load(positions[round % std::size(positions)]);
    select(policies[rng() % std::size(policies)]);
    const std::uint64_t k = key();
    // Legal moves as the book writes them, to mix with random fields.
    std::vector<std::uint16_t> sensible = {pg_move("e1h1"), pg_move("e1a1"), pg_move("e8h8"), pg_move("e8a8")};
    for (const move& m : legal_level_moves()) sensible.push_back(pg_move(move_str(m.b)));
    std::vector<BookEntry> entries(rng() % 130);
    for (BookEntry& e : entries) {
      e.key = rng() % 4 == 0 ? rng() : k + (rng() % 5) - 2;  // mostly the probed key and its neighbours
      e.move = rng() % 2 ? sensible[rng() % sensible.size()] : static_cast<std::uint16_t>(rng());
      e.weight = rng() % 2 ? weights[rng() % std::size(weights)] : static_cast<std::uint16_t>(rng());
      e.score = static_cast<std::uint16_t>(rng()), e.depth = static_cast<std::uint8_t>(rng());
    }
    std::string bytes = encode_book(rng() % 3 ? sorted_book(entries) : entries);
    if (rng() % 3 == 0) bytes.resize(bytes.size() + rng() % 16, static_cast<char>(rng()));
    else if (rng() % 3 == 0 && !bytes.empty())
      bytes.resize(bytes.size() - 1 - rng() % std::min<std::size_t>(bytes.size(), 20));
    use_bytes(bytes);
    played += probe().result;
    if (HasFailure()) return;
  }
  EXPECT_GT(played, 50);
}

}  // namespace
