// Searching with one, two and four threads: every kind of "go" answers once
// with a playable move and ponder move, "stop", "ponderhit", "isready" and
// "quit" act at once, commands that would disturb a search are ignored, the
// node budget counts every thread, and many searches with the thread count
// changing between them never hang. The ThreadSanitizer build runs these (test.sh).
#include <algorithm>
#include <chrono>
#include <string>

#include "harness.h"

namespace {

class UciThreads : public EngineTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ask("setoption name Threads value " + std::to_string(GetParam()));
  }

  // The search's best move and ponder move, both playable from the position,
  // and the board one move further.
  void expect_playable(const std::string& position, const Lines& lines) {
    ASSERT_TRUE(!lines.empty() && is_bestmove(lines.back())) << joined(lines);
    const auto [best, ponder] = best_of(lines);
    ASSERT_TRUE(matches(best, "@")) << joined(lines);
    expect_played(position, lines);
    if (!ponder.empty()) fen_after(position, best + " " + ponder);
  }

  // Sends the command to a running search and returns the lines up to the
  // best move, which must come within half a second.
  Lines answered_at_once(const std::string& command) {
    const auto sent = std::chrono::steady_clock::now();
    const Lines lines = go(command);
    EXPECT_LE(std::chrono::steady_clock::now() - sent, Millis(500)) << command;
    return lines;
  }
};

constexpr const char* kStart = "position startpos";
constexpr const char* kMiddle = "position fen r1b1r1k1/pp4bp/5np1/2qPB3/8/6NP/PPP1Q1B1/R4R1K w - - 0 1";
constexpr const char* kPromotions = "position fen 4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1";

TEST_P(UciThreads, EveryGoFormAnswersOnePlayableMove) {
  // First: the budget of "go nodes" below stays in force for every later search.
  const Lines mate = search("position fen 3k4/8/4K3/8/8/8/8/R7 w - - 0 1", "go mate 2");
  EXPECT_EQ(best_of(mate).first, "a1c1") << joined(mate);
  for (const char* position : {kStart, kMiddle, kPromotions})
    for (const char* command : {"go depth 7", "go nodes 30000", "go movetime 150", "go wtime 2000 btime 2000 winc 20",
                                "go wtime 3000 btime 3000 movestogo 2", "go depth 5 searchmoves a2a3 h2h3 e1d1 e1f1"}) {
      const Lines lines = search(position, command);
      expect_playable(position, lines);
    }
  ask("setoption name MultiPV value 3");
  expect_playable(kMiddle, search(kMiddle, "go depth 6"));
  // With the learned evaluation every thread keeps sums of its own.
  ask("setoption name MultiPV value 1");
  ask("setoption name UseLearnedEval value true");
  for (const char* position : {kStart, kMiddle, kPromotions}) expect_playable(position, search(position, "go depth 9"));
}

bool is_nodes(const std::string& line) { return matches(line, "info nodes # nps #"); }
bool is_currmove(const std::string& line) {
  return matches(line, "info currmove @ currmovenumber #") && !line.ends_with(" 0");
}

// An infinite search prints iterations, then the node count once a second
// and, once an iteration ends after 1.5 s, each root move; it answers
// "isready" and ignores what would disturb it, up to "stop".
TEST_P(UciThreads, InfiniteSearchRunsUntilStopIgnoringOtherCommands) {
  const std::string opened = "position startpos moves e2e4";
  const std::string searched = fen_after(opened);
  send("go infinite");
  const Lines first = read_for(Millis(900));
  EXPECT_TRUE(any_starts(first, "info depth 1 ")) << joined(first);
  for (const std::string& line : first) EXPECT_TRUE(iteration(line)) << line;
  send("isready");
  EXPECT_FALSE(any_starts(read_until(starts("readyok")), "bestmove"));
  send_raw(joined({"position fen 7k/8/8/8/8/8/8/K7 w - - 0 1", "setoption name MultiPV value 3",
                   "setoption name Hash value 16", "setoption name Threads value 3", "ucinewgame", "go depth 1",
                   "perft 3", "bench"}));
  wait_for(is_nodes);
  wait_for(is_currmove);
  const Lines last = answered_at_once("stop");
  for (auto line = last.begin(); line + 2 < last.end(); ++line) {
    EXPECT_TRUE((iteration(*line) && iteration(*line)->multipv == 1) || is_nodes(*line) || is_currmove(*line)) << *line;
  }
  EXPECT_EQ(best_of(last).second, "");  // a stopped infinite search names no ponder move
  EXPECT_EQ(ask(""), Lines{});          // the ignored "go" left no second search behind
  EXPECT_EQ(fen(), searched);
  fen_after(opened, best_of(last).first);
  // The options sent during the search were ignored.
  send("uci");
  const Lines options = read_until(starts("uciok"));
  for (const std::string& kept :
       {std::string("option name Hash type spin default 128 min 8 max 2048"),
        std::string("option name MultiPV type spin default 1 min 1 max 300"),
        "option name Threads type spin default " + std::to_string(GetParam()) + " min 1 max 256"})
    EXPECT_NE(std::find(options.begin(), options.end(), kept), options.end()) << kept;
}

// "ponderhit" turns a ponder search into an ordinary one; "stop" takes the
// pondered move back, but never past the position set up; "quit" ends a search.
TEST_P(UciThreads, PonderhitStopAndQuitActAtOnce) {
  const char* opened = "position startpos moves e2e4";
  const char* pondered = "position startpos moves e2e4 e7e5";  // the GUI expects e7e5
  ask(pondered);
  // One second on the clock gives a budget of some 26 ms, ignored until "ponderhit".
  send("go ponder wtime 1000 btime 1000");
  const Lines pondering = read_for(Millis(600));
  EXPECT_TRUE(any_starts(pondering, "info depth 1 ") && !any_starts(pondering, "bestmove")) << joined(pondering);
  expect_playable(pondered, go("ponderhit"));
  for (const auto& [position, back_to] : {std::pair{pondered, opened}, std::pair{kStart, kStart}}) {
    const std::string expected = fen_after(back_to);
    ask(position);
    send("go ponder wtime 60000 btime 60000");
    wait_for(starts("info depth 3 "));
    const Lines last = answered_at_once("stop");
    EXPECT_EQ(best_of(last).second, "") << position;
    EXPECT_EQ(fen(), expected) << position;
    fen_after(position, best_of(last).first);
  }
  ask(kStart);
  EXPECT_TRUE(any_starts(ask("perft 3"), " Nodes: 8902"));  // the game history is intact

  send("go infinite");
  wait_for(starts("info depth 3 "));
  send("quit");
  EXPECT_FALSE(any_starts(expect_exit(), "bestmove"));
}

// The budget is reached by all threads together: the main thread alone
// would have taken the total to about Threads times the budget.
TEST_P(UciThreads, NodeBudgetCountsEveryThread) {
  const Lines lines = search(kMiddle, "go nodes 50000");
  EXPECT_TRUE(summary(lines).nodes >= 50000 && summary(lines).nodes < 100000) << joined(lines);
  // The weakened engine searches alone, within its level's budget (tens of
  // nodes at 1000), which holds from the "setoption" on, "isready" or not.
  send("setoption name UCI_LimitStrength value true");
  send("setoption name UCI_Elo value 1000");
  send(kMiddle);
  const Lines weak = go("go wtime 60000 btime 60000");
  EXPECT_TRUE(summary(weak).nodes > 0 && summary(weak).nodes <= 1000) << joined(weak);
  expect_playable(kMiddle, weak);
  // Switched off, it searches at full strength again.
  ask("setoption name UCI_LimitStrength value false");
  EXPECT_GT(summary(search(kMiddle, "go depth 7")).nodes, 1000);
}

// Between searches the pool is rebuilt each time the thread count changes.
TEST_P(UciThreads, ManySearchesWithTheThreadCountChangingNeverHang) {
  const char* commands[] = {"go depth 4", "go movetime 30",    "go nodes 3000", "go wtime 300 btime 300",
                            "go depth 1", "go wtime 0 btime 0"};
  std::string position = kStart;
  for (int i = 0; i < 40; ++i) {
    if (i % 3 == 0) ask("setoption name Threads value " + std::to_string(1 + i % 4));
    if (i % 10 == 0) ask("ucinewgame");
    const Lines lines = search(position, commands[i % 6], Millis(15000));
    ASSERT_TRUE(!lines.empty() && is_bestmove(lines.back())) << commands[i % 6];
    const std::string best = best_of(lines).first;
    if (best == "0000") {
      position = kStart;
      continue;
    }
    expect_playable(position, lines);
    position += (position.find(" moves") == std::string::npos ? " moves " : " ") + best;
  }
}

// The end of input during a search ends the engine as "quit" does.
TEST_P(UciThreads, EndOfInputDuringASearchEndsTheEngine) {
  send("go infinite");
  wait_for(starts("info depth 3 "));
  close_input();
  EXPECT_FALSE(any_starts(expect_exit(), "bestmove"));
}

INSTANTIATE_TEST_SUITE_P(OneTwoAndFour, UciThreads, ::testing::Values(1, 2, 4));

}  // namespace
