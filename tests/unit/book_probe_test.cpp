// Probing the book for the current position: what it prints, which move each
// policy chooses, and the entries it must refuse.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "book_writer.h"
#include "engine/commands.h"
#include "engine/log.h"
#include "engine/options.h"
#include "engine/startup.h"
#include "engine/uci.h"
#include "movegen/movestack.h"
#include "search/think.h"
#include "test_support.h"

namespace {

constexpr std::uint64_t kStartKey = 0x463B96181691FC9CULL;

struct Probe {
  int result;
  std::string move;
  std::string out;
};

// Sends the log to a temporary file while it lives.
struct LogCapture {
  std::FILE* f = std::tmpfile();
  LogCapture() {
    logi.fp = f;
    logi.on = true;
  }
  ~LogCapture() {
    logi.on = false;
    logi.fp = nullptr;
    std::fclose(f);
  }
  std::string text() const {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s.push_back(static_cast<char>(c));
    return s;
  }
};

class BookProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    set_position(spos);
    select("BestWeight");
  }
  void TearDown() override {
    OptionSet("BookFilename", "corvantis.bin");
    select("BestWeight");
  }

  void select(const char* policy) { OptionSet("BookMoveSelect", policy); }
  void use(const std::vector<BookEntry>& entries) { OptionSet("BookFilename", dir.write("book.bin", entries).c_str()); }
  void use_bytes(const std::string& bytes) { OptionSet("BookFilename", dir.write_bytes("book.bin", bytes).c_str()); }
  // The position after these moves from the start, set up as "position" does.
  void play(const std::string& moves) { uci_position(("position startpos moves " + moves).c_str()); }
  void load(const std::string& fen) { uci_position(("position fen " + fen).c_str()); }

  static std::uint64_t key() {
    char text[256] = {};
    get_fen(text);
    return pg_key(text);
  }

  // One probe of the current position. Whatever the book holds, the board is
  // left as it was and a move that comes back is a legal root move.
  Probe probe() {
    const std::uint64_t hash_before = hash;
    const int hply_before = hply;
    char text[6] = {};
    testing::internal::CaptureStdout();
    const int result = pg_show(key(), text);
    Probe p{result, result ? text : "", testing::internal::GetCapturedStdout()};
    EXPECT_EQ(hash, hash_before);
    EXPECT_EQ(hply, hply_before);
    if (result) {
      const int index = parse_move(text);
      EXPECT_GE(index, 0) << text;
      if (index >= 0) {
        EXPECT_TRUE(makemove(gen_dat[index].m.b)) << text;
        takeback();
      }
    }
    return p;
  }

  BookDir dir;
};

BookEntry at_start(const char* move, std::uint16_t weight, std::uint16_t score = 0) {
  return {kStartKey, pg_move(move), weight, score};
}

TEST_F(BookProbe, KeyIsFoundAtTheStartMiddleAndEndOfTheFile) {
  const BookEntry wanted = at_start("e2e4", 10);
  std::vector<BookEntry> below, above;
  for (std::uint64_t i = 1; i <= 20; ++i) {
    below.push_back({kStartKey - 7 * i, pg_move("d2d4"), 10});
    above.push_back({kStartKey + 7 * i, pg_move("d2d4"), 10});
  }
  std::vector<BookEntry> first = above, last = below, middle = below;
  first.push_back(wanted);
  last.push_back(wanted);
  middle.push_back(wanted);
  middle.insert(middle.end(), above.begin(), above.end());
  for (const auto& book : {first, middle, last}) {
    use(book);
    const Probe p = probe();
    EXPECT_EQ(p.result, 1) << p.out;
    EXPECT_EQ(p.move, "e2e4");
  }
  // A key between stored keys, or beyond all of them, is not in the book.
  for (const auto& book : {below, above}) {
    use(book);
    const Probe p = probe();
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.out, "");
  }
}

TEST_F(BookProbe, EmptyAndMissingFiles) {
  use_bytes("");
  Probe p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.out, "");

  const std::string missing = (dir.path / "no-such-book.bin").string();
  OptionSet("BookFilename", missing.c_str());
  p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.out, "info string opening book " + missing + " is missing!!\n");
}

TEST_F(BookProbe, TruncatedLastEntryEndsTheCandidates) {
  const std::string bytes = encode_book({at_start("e2e4", 1), at_start("d2d4", 100)});
  use_bytes(bytes.substr(0, bytes.size() - 3));
  const Probe p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.move, "e2e4");
  EXPECT_EQ(p.out.find("d2d4"), std::string::npos) << p.out;
}

TEST_F(BookProbe, ZeroTotalWeightPlaysNothing) {
  use({at_start("e2e4", 0), at_start("d2d4", 0)});
  const Probe p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.out, "info string book move: e2e4\ninfo string book move: d2d4\n");
}

TEST_F(BookProbe, AHundredCandidatesButNotMore) {
  std::vector<BookEntry> book(99, at_start("e2e4", 1));
  book.push_back(at_start("g1f3", 1000));  // found only if all 100 are read
  use(book);
  Probe p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.move, "g1f3");

  book.push_back(at_start("e2e4", 1));
  use(book);
  p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.out.find("Weight(%)"), std::string::npos);
  EXPECT_EQ(p.out.find("selected"), std::string::npos);
}

TEST_F(BookProbe, LargestWeightsDoNotOverflow) {
  use(std::vector<BookEntry>(100, at_start("e2e4", 65535)));
  Probe p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_NE(p.out.find("e2e4        1.00"), std::string::npos) << p.out;
}

TEST_F(BookProbe, BestWeightTakesTheFirstOfEqualWeights) {
  use({at_start("c2c4", 3), at_start("d2d4", 5), at_start("e2e4", 5)});
  const Probe p = probe();
  EXPECT_EQ(p.move, "d2d4");
  EXPECT_TRUE(p.out.ends_with("info string move d2d4 is selected having the best weight!!\n")) << p.out;
}

TEST_F(BookProbe, BestScoreRanksFieldsAbove16382AsNegative) {
  select("BestScore");
  use({at_start("e2e4", 50, 16383), at_start("d2d4", 1, 16382), at_start("c2c4", 50, 100)});
  Probe p = probe();
  EXPECT_EQ(p.move, "d2d4");
  EXPECT_TRUE(p.out.ends_with("info string move d2d4 is selected having the best score!!\n")) << p.out;

  // The ranking starts below every value, so all-negative values choose too.
  use({at_start("d2d4", 1, 16383), at_start("e2e4", 1, 65534)});
  p = probe();
  EXPECT_EQ(p.move, "e2e4");
}

TEST_F(BookProbe, RandomIsUniformUpToPly8) {
  select("Random");
  std::srand(2024);
  use({at_start("e2e4", 1), at_start("d2d4", 1), at_start("g1f3", 65535)});
  std::map<std::string, int> counts;
  for (int i = 0; i < 3000; ++i) {
    const Probe p = probe();
    ASSERT_EQ(p.result, 1);
    ++counts[p.move];
    if (i == 0) {
      EXPECT_TRUE(p.out.ends_with("info string move " + p.move + " is randomy selected!!\n")) << p.out;
    }
  }
  for (const char* m : {"e2e4", "d2d4", "g1f3"}) {
    EXPECT_GT(counts[m], 850) << m;
    EXPECT_LT(counts[m], 1150) << m;
  }

  // Game ply 8 (back at the start position): still drawn.
  play("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8");
  ASSERT_EQ(root_hply, 8);
  counts.clear();
  for (int i = 0; i < 60; ++i) ++counts[probe().move];
  EXPECT_EQ(counts.size(), 3u);
}

TEST_F(BookProbe, RandomPlaysTheHeaviestAfterPly8) {
  select("Random");
  play("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3");
  ASSERT_EQ(root_hply, 9);
  const std::uint64_t k = key();
  use({{k, pg_move("e7e5"), 1}, {k, pg_move("d7d5"), 9}, {k, pg_move("c7c5"), 1}});
  for (int i = 0; i < 20; ++i) {
    const Probe p = probe();
    EXPECT_EQ(p.move, "d7d5");
    EXPECT_TRUE(p.out.ends_with("info string move d7d5 is selected having the best weight!!\n")) << p.out;
  }
}

TEST_F(BookProbe, RandomWithOneCandidate) {
  select("Random");
  use({at_start("e2e4", 1)});
  const Probe p = probe();
  EXPECT_EQ(p.move, "e2e4");
  EXPECT_TRUE(p.out.ends_with("info string move e2e4 is randomy selected, the only move!!\n")) << p.out;
}

TEST_F(BookProbe, KingTakesRookIsCastling) {
  load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  use({{key(), pg_move("e1h1"), 1}});
  Probe p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.move, "e1g1");
  EXPECT_NE(p.out.find("info string book move: e1g1\n"), std::string::npos) << p.out;
  EXPECT_TRUE(gen_dat[parse_move("e1g1")].m.b.bits & MF_CASTLE);

  load("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
  use({{key(), pg_move("e8a8"), 1}});
  p = probe();
  EXPECT_EQ(p.move, "e8c8");

  // A rook going from e1 to h1 is written the same way and stays a rook move.
  load("k7/8/8/8/8/8/3K4/4R3 w - - 0 1");
  use({{key(), pg_move("e1h1"), 1}});
  p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.move, "e1h1");
}

TEST_F(BookProbe, MoveThatRepeatsAPositionIsNotPlayed) {
  play("g1f3 g8f6 f3g1");
  const std::uint64_t k = key();
  use({{k, pg_move("f6g8"), 10}, {k, pg_move("e7e5"), 1}});
  Probe p = probe();
  EXPECT_EQ(p.result, 0);
  EXPECT_NE(p.out.find("Weight(%)"), std::string::npos);  // the table came first
  EXPECT_EQ(p.out.find("selected"), std::string::npos);

  use({{k, pg_move("e7e5"), 1}});
  p = probe();
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.move, "e7e5");
}

TEST_F(BookProbe, EntriesThatNameNoLegalMove) {
  const char* refused_at_start[] = {"e2e5", "e7e5", "a1a8", "e1g1", "e2e4q", "g1f3n"};
  for (const char* m : refused_at_start) {
    use({at_start(m, 1)});
    EXPECT_EQ(probe().result, 0) << m;
  }
  load("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  const std::uint64_t k = key();
  // No promotion field, and the fields 5 to 7 that name no piece.
  for (std::uint16_t bad : {pg_move("b7b8"), static_cast<std::uint16_t>(pg_move("b7b8") | 5 << 12),
                            static_cast<std::uint16_t>(pg_move("b7b8") | 7 << 12)}) {
    use({{k, bad, 1}});
    EXPECT_EQ(probe().result, 0) << bad;
  }
  for (const char* m : {"b7b8n", "b7b8b", "b7b8r", "b7b8q"}) {
    use({{k, pg_move(m), 1}});
    const Probe p = probe();
    EXPECT_EQ(p.result, 1);
    ASSERT_EQ(p.move, m);
    EXPECT_EQ(gen_dat[parse_move(m)].m.b.promote, std::string(" nbrq").find(m[4]));
  }
}

TEST_F(BookProbe, ReportAndLogFormats) {
  use({{kStartKey, pg_move("e2e4"), 3, 0x0500, 12, 7}, {kStartKey, pg_move("d2d4"), 1, 0x05FF, 3, 0}});
  LogCapture log;
  const Probe p = probe();
  EXPECT_EQ(p.out,
            "info string book move: e2e4\n"
            "info string book move: d2d4\n"
            "Move   Weight(%)  Score  Depth  Learn\n"
            "e2e4       75.00      5     12      7\n"
            "d2d4       25.00   -251      3      0\n"
            "info string move e2e4 is selected having the best weight!!\n");
  EXPECT_EQ(log.text(),
            "Move   Weight(%)  Score     CP  Depth  Learn\n"
            "e2e4       75.00   1280      5     12      7\n"
            "d2d4       25.00   1535   -251      3      0\n"
            "move e2e4 is selected having the best weight!!\n");
}

TEST_F(BookProbe, SelectionMessagesInTheLog) {
  struct Case {
    const char* policy;
    std::vector<BookEntry> book;
    const char* line;
  };
  const Case cases[] = {
      {"BestScore", {at_start("e2e4", 1, 5)}, "move e2e4 is selected having the best score!!\n"},
      {"Random", {at_start("e2e4", 1)}, "move e2e4 is randomy selected, the only move!!\n"},
      {"Random", {at_start("e2e4", 1), at_start("e2e4", 1)}, "move e2e4 is randomy selected!!\n"},
  };
  for (const Case& c : cases) {
    select(c.policy);
    use(c.book);
    LogCapture log;
    probe();
    EXPECT_TRUE(log.text().ends_with(c.line)) << log.text();
  }
}

}  // namespace
