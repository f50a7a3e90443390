// The opening book seen from the GUI: when "go" answers from the book at
// once, and when the engine searches instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../unit/book_writer.h"
#include "engine_fixture.h"

namespace {

constexpr std::uint64_t kStartKey = 0x463B96181691FC9CULL;
// A search with a clock (without one "go" searches without limit, and such a
// search does not use the book), kept short by the depth.
constexpr const char* kShortSearch = "go depth 1 wtime 60000 btime 60000";

// Knight moves out and back: every four plies the start position again.
std::string knight_shuffle(int plies) {
  const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::string moves = "position startpos moves";
  for (int i = 0; i < plies; ++i) moves += std::string(" ") + cycle[i % 4];
  return moves;
}

bool any_starts_with(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
}

class BookDialogue : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    book_path = (engine.work_dir() / "book.bin").string();
    std::ofstream(book_path, std::ios::binary)
        << encode_book({{kStartKey, pg_move("e2e4"), 10}, {kStartKey, pg_move("d2d4"), 5}});
    ask("setoption name OwnBook value true");
    ask("setoption name BookFilename value " + book_path);
  }

  // Sends the position and "go"; the lines up to and including "bestmove".
  std::vector<std::string> go(const std::string& position, const std::string& command) {
    ask(position);
    engine.send(command);
    ReadResult r = engine.read_until_prefix("bestmove");
    EXPECT_TRUE(r.found) << command << ":\n" << joined(r.lines) << engine.stderr_text();
    return r.lines;
  }

  // Searches a position the book does not hold.
  void miss() {
    const std::vector<std::string> lines = go("position startpos moves e2e4", kShortSearch);
    EXPECT_FALSE(any_starts_with(lines, "info string book move")) << joined(lines);
  }

  static bool from_book(const std::vector<std::string>& lines) {
    return any_starts_with(lines, "info string book move") && !any_starts_with(lines, "info depth");
  }

  std::string book_path;
};

TEST_F(BookDialogue, ClockSearchAnswersFromTheBookAtOnce) {
  const std::vector<std::string> lines = go("position startpos", "go wtime 60000 btime 60000 winc 0 binc 0");
  const std::vector<std::string> expected = {
      "info string book move: e2e4",
      "info string book move: d2d4",
      "Move   Weight(%)  Score  Depth  Learn",
      "e2e4       66.67      0      0      0",
      "d2d4       33.33      0      0      0",
      "info string move e2e4 is selected having the best weight!!",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), lines.begin())) << joined(lines);
  EXPECT_FALSE(any_starts_with(lines, "info depth")) << joined(lines);
  EXPECT_EQ(lines.back(), "bestmove e2e4");  // and no ponder move
}

TEST_F(BookDialogue, NotAskedForInfiniteOrPonderSearches) {
  for (const char* command : {"go infinite", "go ponder wtime 60000 btime 60000"}) {
    ask("position startpos");
    engine.send(command);
    engine.send("stop");
    const ReadResult r = engine.read_until_prefix("bestmove");
    ASSERT_TRUE(r.found) << command << ":\n" << joined(r.lines);
    EXPECT_FALSE(any_starts_with(r.lines, "info string book move")) << command << ":\n" << joined(r.lines);
  }
  // The same position from an ordinary search comes from the book.
  EXPECT_TRUE(from_book(go("position startpos", kShortSearch)));
}

TEST_F(BookDialogue, NotAskedAfterGamePly70) {
  std::vector<std::string> lines = go(knight_shuffle(72), kShortSearch);
  EXPECT_FALSE(any_starts_with(lines, "info string book move")) << joined(lines);
  EXPECT_TRUE(any_starts_with(lines, "info depth 1")) << joined(lines);

  lines = go(knight_shuffle(68), kShortSearch);
  EXPECT_TRUE(from_book(lines)) << joined(lines);
  EXPECT_EQ(lines.back(), "bestmove e2e4");
}

TEST_F(BookDialogue, NotAskedAfterThreeSearchesWithoutABookMove) {
  miss();
  miss();
  EXPECT_TRUE(from_book(go("position startpos", kShortSearch)));  // a book move resets the count
  miss();
  miss();
  miss();
  std::vector<std::string> lines = go("position startpos", kShortSearch);
  EXPECT_FALSE(any_starts_with(lines, "info string book move")) << joined(lines);
  EXPECT_TRUE(any_starts_with(lines, "info depth 1")) << joined(lines);

  ask("ucinewgame");
  EXPECT_TRUE(from_book(go("position startpos", kShortSearch)));
}

TEST_F(BookDialogue, MissingBookFallsBackToTheSearch) {
  const std::string missing = (engine.work_dir() / "no-such-book.bin").string();
  ask("setoption name BookFilename value " + missing);
  const std::vector<std::string> lines = go("position startpos", kShortSearch);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "info string opening book " + missing + " is missing!!");
  EXPECT_TRUE(any_starts_with(lines, "info depth 1")) << joined(lines);
  EXPECT_NE(lines.back(), "bestmove 0000");
}

TEST_F(BookDialogue, OwnBookOffMeansNoBook) {
  ask("setoption name OwnBook value false");
  const std::vector<std::string> lines = go("position startpos", kShortSearch);
  EXPECT_FALSE(any_starts_with(lines, "info string book move")) << joined(lines);
  EXPECT_TRUE(any_starts_with(lines, "info depth 1")) << joined(lines);
}

}  // namespace
