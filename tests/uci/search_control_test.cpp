// The dialogue while a search runs: what an infinite search prints until
// "stop", how fast "stop" is answered, "isready" and "quit" in the middle of
// a search, and the commands that must wait until it has ended.
#include <gtest/gtest.h>

#include "search_session.h"

namespace {

using Lines = std::vector<std::string>;
using UciSearchControl = SearchSession;

constexpr const char* kOpened = "position startpos moves e2e4";
constexpr const char* kKiwipete =
    "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
// Generous for a loaded machine: the search polls its input every 256 nodes.
constexpr Millis kStopAnswer{500};

bool is_nodes_line(const std::string& line) { return matches(line, {"info", "nodes", "#", "nps", "#"}); }

bool is_currmove_line(const std::string& line) {
  return matches(line, {"info", "currmove", "@", "currmovenumber", "#"}) && !line.ends_with(" currmovenumber 0");
}

// What a plain search prints while it runs; anything else means a command
// that should have waited was executed.
void expect_only_search_output(const Lines& lines) {
  for (const std::string& line : lines) {
    const std::optional<DepthLine> d = parse_depth_line(line);
    EXPECT_TRUE((d && d->multipv == 1) || is_nodes_line(line) || is_currmove_line(line)) << line;
  }
}

TEST_F(UciSearchControl, InfiniteSearchRunsUntilStop) {
  const std::string searched = fen_of(kOpened);
  engine.send("go infinite");
  // The first second: iteration lines only.
  const Lines first = engine.read_for(Millis(900));
  EXPECT_TRUE(any_starts_with(first, "info depth 1 ")) << joined(first);
  EXPECT_FALSE(any_bestmove(first)) << joined(first);
  EXPECT_FALSE(any_starts_with(first, "info nodes")) << joined(first);
  EXPECT_FALSE(any_starts_with(first, "info currmove")) << joined(first);

  // From the second second on the node count comes once a second, and once
  // an iteration has ended after 1.5 s each root move is announced.
  wait_for(is_nodes_line, kWhileSearching);
  wait_for(is_currmove_line, kWhileSearching);

  Millis took{};
  const Lines last = stop(&took);
  EXPECT_LE(took.count(), kStopAnswer.count());
  ASSERT_GE(last.size(), 2u);
  expect_only_search_output(Lines(last.begin(), last.end() - 2));
  // A stopped infinite search names no ponder move and leaves the board as it was.
  const BestMove best = best_of(last);
  EXPECT_EQ(best.ponder, "");
  EXPECT_EQ(current_fen(), searched);
  expect_legal(kOpened, best.move);
}

TEST_F(UciSearchControl, StopIsAnsweredQuicklyInABusyMiddlegame) {
  for (const char* command : {"go infinite", "go wtime 600000 btime 600000", "go depth 60"}) {
    ask(kKiwipete);
    engine.send(command);
    wait_for(depth_reached(5), kWhileSearching);
    Millis took{};
    const Lines last = stop(&took);
    EXPECT_LE(took.count(), kStopAnswer.count()) << command;
    expect_legal(kKiwipete, best_of(last).move);
  }
}

TEST_F(UciSearchControl, IsreadyIsAnsweredWhileTheSearchGoesOn) {
  ask(kOpened);
  engine.send("go infinite");
  wait_for(depth_reached(2), kWhileSearching);
  for (int i = 0; i < 3; ++i) {
    engine.send("isready");
    const ReadResult ready = engine.read_until_line("readyok");
    ASSERT_TRUE(ready.found) << joined(ready.lines);
    EXPECT_FALSE(any_bestmove(ready.lines)) << joined(ready.lines);
  }
  // Still searching: more search output follows, and no move yet.
  wait_for([](const std::string& line) { return line.starts_with("info "); }, kWhileSearching);
  expect_legal(kOpened, best_of(stop()).move);
}

TEST_F(UciSearchControl, CommandsThatWouldDisturbTheSearchAreIgnored) {
  const std::string game = "position startpos moves e2e4 e7e5";
  const std::string searched = fen_of(game);
  engine.send("go infinite");
  wait_for(depth_reached(3), kWhileSearching);
  for (const char* command : {"position fen 7k/8/8/8/8/8/8/K7 w - - 0 1", "setoption name MultiPV value 3",
                              "setoption name Hash value 16", "ucinewgame", "go depth 1", "perft 3", "bench"}) {
    engine.send(command);
  }
  engine.send("isready");
  const ReadResult ready = engine.read_until_line("readyok");
  ASSERT_TRUE(ready.found) << joined(ready.lines);
  expect_only_search_output(Lines(ready.lines.begin(), ready.lines.end() - 1));

  const Lines last = stop();
  ASSERT_GE(last.size(), 2u);
  expect_only_search_output(Lines(last.begin(), last.end() - 2));
  // The ignored "go" left no second search behind.
  EXPECT_TRUE(ask("").empty());
  EXPECT_EQ(current_fen(), searched);
  expect_legal(game, best_of(last).move);

  // Still one line per depth: the MultiPV setting was dropped.
  const Lines lines = search(game, "go depth 3");
  for (const DepthLine& d : depth_lines(lines)) EXPECT_EQ(d.multipv, 1);
  expect_played(game, best_of(lines).move);
}

TEST_F(UciSearchControl, QuitDuringASearchEndsWithoutAMove) {
  ask(kOpened);
  engine.send("go infinite");
  wait_for(depth_reached(2), kWhileSearching);
  engine.send("quit");
  EXPECT_FALSE(any_bestmove(expect_clean_exit()));
}

}  // namespace
