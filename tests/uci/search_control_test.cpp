// The dialogue while a search runs: an infinite search until "stop",
// pondering, and the commands that are answered, ignored or obeyed meanwhile.
#include "harness.h"

namespace {

using UciSearchControl = EngineTest;

constexpr const char* kStart = "position startpos";
constexpr const char* kOpened = "position startpos moves e2e4";
constexpr const char* kPondered = "position startpos moves e2e4 e7e5";  // the GUI expects e7e5

bool is_nodes(const std::string& line) { return matches(line, "info nodes # nps #"); }
bool is_currmove(const std::string& line) {
  return matches(line, "info currmove @ currmovenumber #") && !line.ends_with(" 0");
}

TEST_F(UciSearchControl, InfiniteSearchRunsUntilStop) {
  const std::string searched = fen_after(kOpened);
  send("go infinite");
  // The first second: iteration lines only.
  const Lines first = read_for(Millis(900));
  EXPECT_TRUE(any_starts(first, "info depth 1 ")) << joined(first);
  for (const std::string& line : first) EXPECT_TRUE(iteration(line)) << line;
  send("isready");
  EXPECT_FALSE(any_starts(read_until(starts("readyok")), "bestmove"));
  // Then the node count once a second, and once an iteration has ended
  // after 1.5 s each root move is announced.
  wait_for(is_nodes);
  wait_for(is_currmove);

  const auto sent = std::chrono::steady_clock::now();
  const Lines last = go("stop");
  // Generous for a loaded machine: the search polls its input every 256 nodes.
  EXPECT_LE(std::chrono::steady_clock::now() - sent, Millis(500));
  for (auto line = last.begin(); line + 2 < last.end(); ++line) {
    EXPECT_TRUE(iteration(*line) || is_nodes(*line) || is_currmove(*line)) << *line;
  }
  // A stopped infinite search names no ponder move and leaves the board as it was.
  EXPECT_EQ(best_of(last).second, "");
  EXPECT_EQ(fen(), searched);
  fen_after(kOpened, best_of(last).first);
}

TEST_F(UciSearchControl, CommandsThatWouldDisturbTheSearchAreIgnoredAndQuitIsObeyed) {
  const std::string searched = fen_after(kPondered);
  send("go infinite");
  wait_for(starts("info depth 3 "));
  send_raw(joined({"position fen 7k/8/8/8/8/8/8/K7 w - - 0 1", "setoption name MultiPV value 3",
                   "setoption name Hash value 16", "ucinewgame", "go depth 1", "perft 3", "bench"}));
  const Lines last = go("stop");
  for (auto line = last.begin(); line + 2 < last.end(); ++line) {
    EXPECT_TRUE((iteration(*line) && iteration(*line)->multipv == 1) || is_nodes(*line) || is_currmove(*line)) << *line;
  }
  EXPECT_EQ(ask(""), Lines{});  // the ignored "go" left no second search behind
  EXPECT_EQ(fen(), searched);
  fen_after(kPondered, best_of(last).first);
  send("uci");
  const Lines options = read_until(starts("uciok"));
  EXPECT_EQ(options.at(2), "option name Hash type spin default 128 min 8 max 2048");
  EXPECT_EQ(options.at(37), "option name MultiPV type spin default 1 min 1 max 300");

  send("go infinite");
  wait_for(starts("info depth 2 "));
  send("quit");
  EXPECT_FALSE(any_starts(expect_exit(), "bestmove"));
}

// "ponderhit" turns a ponder search into an ordinary one. A stopped ponder
// search names no ponder move and takes the pondered move back, but never
// past the position that was set up.
TEST_F(UciSearchControl, PonderSearchEndsByPonderhitOrStop) {
  ask(kPondered);
  // One second on the clock gives a budget of some 26 ms, ignored until "ponderhit".
  send("go ponder wtime 1000 btime 1000");
  const Lines pondering = read_for(Millis(600));
  EXPECT_TRUE(any_starts(pondering, "info depth 1 ") && !any_starts(pondering, "bestmove")) << joined(pondering);
  expect_played(kPondered, go("ponderhit"));

  for (const auto& [position, back_to] : {std::pair{kPondered, kOpened}, std::pair{"position startpos", kStart}}) {
    const std::string expected = fen_after(back_to);
    ask(position);
    send("go ponder wtime 60000 btime 60000");
    wait_for(starts("info depth 2 "));
    const Lines last = go("stop");
    EXPECT_EQ(best_of(last).second, "") << position;
    EXPECT_EQ(fen(), expected) << position;
    fen_after(position, best_of(last).first);
  }
  ask("position startpos");
  EXPECT_TRUE(any_starts(ask("perft 3"), " Nodes: 8902"));  // the game history is intact
}

}  // namespace
