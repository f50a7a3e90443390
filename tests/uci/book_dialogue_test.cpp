// The opening book seen from the GUI: when "go" answers from the book at
// once, and when the engine searches instead.
#include "../unit/book_writer.h"
#include "harness.h"

namespace {

// A search with a clock (a search without one does not use the book), kept short by the depth.
constexpr const char* kShortSearch = "go depth 1 wtime 60000 btime 60000";

class BookDialogue : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    constexpr std::uint64_t kStartKey = 0x463B96181691FC9CULL;
    std::ofstream(dir / "book.bin", std::ios::binary)
        << encode_book({{kStartKey, pg_move("e2e4"), 10, 0x0500, 12, 7}, {kStartKey, pg_move("d2d4"), 5, 0x05FF, 3}});
    ask("setoption name OwnBook value true");
    ask("setoption name BookFilename value " + (dir / "book.bin").string());
  }

  // Whether the engine answered the short search from the book rather than by searching.
  bool from_book(const std::string& position) {
    const Lines lines = search(position, kShortSearch);
    EXPECT_NE(any_starts(lines, "info string book move"), any_starts(lines, "info depth 1 ")) << joined(lines);
    return any_starts(lines, "info string book move");
  }
};

TEST_F(BookDialogue, ClockSearchAnswersFromTheBookAtOnceOrSearchesWhenTheBookIsMissing) {
  const Lines lines = search("position startpos", "go wtime 60000 btime 60000 winc 0 binc 0");
  ASSERT_EQ(lines.size(), 8u) << joined(lines);
  EXPECT_EQ(
      Lines(lines.begin(), lines.begin() + 6),
      (Lines{"info string book move: e2e4", "info string book move: d2d4", "Move   Weight(%)  Score  Depth  Learn",
             "e2e4       66.67      5     12      7", "d2d4       33.33   -251      3      0",
             "info string move e2e4 is selected having the best weight!!"}));
  EXPECT_TRUE(matches(lines[6], "info time # nodes 0")) << lines[6];
  EXPECT_EQ(lines[7], "bestmove e2e4");

  // A missing book is reported, then the engine searches.
  const std::string missing = (dir / "no-such-book.bin").string();
  ask("setoption name BookFilename value " + missing);
  const Lines searched = search("position startpos", kShortSearch);
  EXPECT_EQ(searched.at(0), "info string opening book " + missing + " is missing!!");
  EXPECT_TRUE(any_starts(searched, "info depth 1 ") && searched.back() != "bestmove 0000") << joined(searched);
}

TEST_F(BookDialogue, NotAskedAfterGamePly70NorForInfiniteOrPonderSearches) {
  const char* knights[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::string shuffle = "position startpos moves";
  for (int ply = 0; ply < 72; ++ply) shuffle += std::string(" ") + knights[ply % 4];
  EXPECT_FALSE(from_book(shuffle));  // the start position at ply 72
  EXPECT_TRUE(from_book(shuffle.substr(0, shuffle.size() - 20)));
  for (const char* command : {"go infinite", "go ponder wtime 60000 btime 60000"}) {
    ask("position startpos");
    send(command);
    EXPECT_FALSE(any_starts(go("stop"), "info string book move")) << command;
  }
  EXPECT_TRUE(from_book("position startpos"));
}

TEST_F(BookDialogue, NotAskedAfterThreeSearchesWithoutABookMove) {
  // A book move resets the count of misses (the book lacks the position after e2e4).
  for (const bool hit : {false, false, true, false, false, true, false, false, false})
    EXPECT_EQ(from_book(hit ? "position startpos" : "position startpos moves e2e4"), hit);
  EXPECT_FALSE(from_book("position startpos"));
  ask("ucinewgame");
  EXPECT_TRUE(from_book("position startpos"));
}

// The book's keys describe standard chess: with UCI_Chess960 on the engine
// says so and searches.
TEST_F(BookDialogue, SilentInChess960) {
  ask("setoption name UCI_Chess960 value true");
  const Lines lines = search("position startpos", kShortSearch);
  EXPECT_EQ(lines.at(0), "info string opening book not used in Chess960");
  EXPECT_TRUE(!any_starts(lines, "info string book move") && any_starts(lines, "info depth 1 ")) << joined(lines);
  ask("setoption name UCI_Chess960 value false");
  EXPECT_TRUE(from_book("position startpos"));
}

}  // namespace
