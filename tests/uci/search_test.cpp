// "go" and what it prints: the iteration lines, the summary and the best
// move under each kind of limit, mates, searchmoves, MultiPV and the
// parameter errors. The weakened engine's budget is tested with the threads.
#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <tuple>

#include "harness.h"

namespace {

using UciSearch = EngineTest;

constexpr const char* kStart = "position startpos";

TEST_F(UciSearch, DepthSearchReportsEachIterationThenTheSummaryAndTheMove) {
  // One ply has no reply to ponder on.
  const Lines one = search(kStart, "go depth 1");
  ASSERT_EQ(one.size(), 3u) << joined(one);
  EXPECT_TRUE(matches(one[0], "info depth 1 seldepth # multipv 1 score cp ~ time # nodes # nps # pv @")) << one[0];
  EXPECT_EQ(one[2], "bestmove " + one[0].substr(one[0].rfind(' ') + 1));

  const Lines lines = search(kStart, "go depth 5");
  ASSERT_GE(lines.size(), 3u);
  std::vector<Iteration> its;
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    const std::optional<Iteration> it = iteration(lines[i]);
    ASSERT_TRUE(it) << "not an iteration line: " << lines[i];
    // A failed aspiration window repeats a depth; none is skipped.
    EXPECT_EQ(it->depth, its.empty() ? 1 : std::clamp(it->depth, its.back().depth, its.back().depth + 1)) << lines[i];
    EXPECT_TRUE(it->multipv == 1 && !it->mate && it->time >= 1 && it->nps == it->nodes * 1000 / it->time) << lines[i];
    its.push_back(*it);
  }
  ASSERT_EQ(its.back().depth, 5);
  EXPECT_EQ(summary(lines).nodes, its.back().nodes) << lines[lines.size() - 2];
  const Lines& pv = its.back().pv;
  EXPECT_EQ(best_of(lines), std::pair(pv[0], pv.size() > 1 ? pv[1] : ""));
  expect_played(kStart, lines);
}

TEST_F(UciSearch, LimitsEndTheSearch) {
  Lines lines = search(kStart, "go movetime 300");
  EXPECT_GE(summary(lines).time, 300) << joined(lines);
  // Black's own clock allots about a second; white's would allot two minutes.
  // Whatever the machine, the search must end before black's clock runs out.
  const char* opened = "position startpos moves e2e4";
  lines = search(opened, "go wtime 600000 btime 5000 movestogo 5", Millis(10000));
  EXPECT_TRUE(summary(lines).time >= 0 && summary(lines).time < 5000) << joined(lines);
  expect_played(opened, lines);
  // The node budget (checked every 256 nodes, with the unwinding nodes on
  // top) stays for later searches: a clock search of seconds ends at it too.
  for (const char* command : {"go nodes 5000", "go wtime 100000 btime 100000"}) {
    lines = search(kStart, command);
    EXPECT_TRUE(summary(lines).nodes >= 5000 && summary(lines).nodes <= 5000 + 1024) << command << joined(lines);
  }
}

// An empty or overdrawn own clock, a zero move time and a one-node budget
// are the shortest searches, never endless ones: each answers soon after its
// first iteration, which always completes, with a playable move.
TEST_F(UciSearch, EmptyClocksAnswerAfterTheFirstIteration) {
  const std::string position = "position fen r1b1r1k1/pp4bp/5np1/2qPB3/8/6NP/PPP1Q1B1/R4R1K w - - 0 1";
  // Only a search without the own clock is infinite: it waits for "stop".
  ASSERT_EQ(ask(position), Lines{});
  ASSERT_TRUE(send("go btime 0"));
  EXPECT_FALSE(any_starts(read_for(Millis(300), is_bestmove), "bestmove"));
  ASSERT_TRUE(send("stop"));
  read_until(is_bestmove);
  // The node budget comes last: it stays in force for later searches.
  for (const char* command :
       {"go wtime 0 btime 1000", "go wtime -50 btime 1000 winc 100 binc 100", "go wtime 0 btime 0 winc 0 binc 0",
        "go wtime 0 btime 5000 movestogo 1", "go movetime 0", "go infinite", "go nodes 1"}) {
    ASSERT_EQ(ask(position), Lines{});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(send(command));
    // Even "stop" at once leaves the first iteration to complete.
    if (std::string_view(command) == "go infinite") {
      ASSERT_TRUE(send("stop"));
    }
    const Lines lines = read_until(is_bestmove, Millis(1500));
    const auto took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - sent);
    ASSERT_TRUE(!lines.empty() && is_bestmove(lines.back())) << command << " took " << took.count() << " ms";
    EXPECT_TRUE(any_starts(lines, "info depth 1 ")) << command << "\n" << joined(lines);
    expect_played(position, lines);
  }
}

TEST_F(UciSearch, SearchesWithoutAMoveAnswerTheNullMove) {
  const Lines lines = search(kStart, "go depth 0");  // the quiescence score only
  EXPECT_TRUE(lines.size() == 2 && matches(lines[0], "info depth 0 score cp ~") && lines[1] == "bestmove 0000")
      << joined(lines);
  EXPECT_EQ(fen(), kStartFen);
  // A node budget ends these searches too, though they count no nodes.
  for (const char* command : {"go depth 4", "go nodes 1000"})
    for (const std::string position : {"position startpos moves f2f3 e7e5 g2g4 d8h4",    // mated
                                       "position fen k7/8/1Q6/8/8/8/8/7K b - - 0 1"}) {  // stalemated
      const std::string board = fen_after(position);
      const Lines none = go(command);
      ASSERT_GE(none.size(), 3u) << joined(none);
      EXPECT_TRUE(matches(none[none.size() - 3], "info time # nodes #")) << joined(none);
      EXPECT_EQ(Lines(none.end() - 2, none.end()), (Lines{"info string no legal move", "bestmove 0000"}));
      EXPECT_EQ(fen(), board);
    }
}

TEST_F(UciSearch, MatesAreReportedInMoves) {
  // Position, command, mate distance, and the only mating move or "" when there are several.
  for (const auto& [setup, command, mate, move] :
       {std::tuple{"3k4/8/4K3/8/8/8/8/R7 w - - 0 1", "go mate 2", 2, "a1c1"},     // the rook cuts the king off first
        std::tuple{"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "go mate 3", 1, "a1a8"},  // a shorter mate ends it too
        std::tuple{"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "go depth 12", 1, "a1a8"},
        std::tuple{"k7/8/8/8/2K5/8/8/6Q1 w - - 0 1", "go depth 12", 4, ""},
        std::tuple{"7k/8/6K1/8/8/8/8/R7 b - - 0 1", "go depth 12", -1, "h8g8"}}) {  // the only move walks into Ra8#
    const std::string position = std::string("position fen ") + setup;
    const Lines lines = search(position, command);
    const std::vector<Iteration> its = iterations(lines);
    EXPECT_TRUE(!its.empty() && its.back().mate && its.back().score == mate) << setup << "\n" << joined(lines);
    EXPECT_TRUE(!*move || best_of(lines).first == move) << setup << "\n" << joined(lines);
    expect_played(position, lines);
  }
}

TEST_F(UciSearch, SearchmovesRestrictTheRootMoves) {
  const std::set<std::string> listed = {"a2a3", "h2h3"};
  std::string overlong = "go depth 3 searchmoves";
  for (int i = 0; i < 200; ++i) overlong += " a2a3 h2h3";  // more entries than the table holds
  for (const std::string& command : {std::string("go depth 4 searchmoves a2a3 h2h3"), overlong}) {
    const Lines lines = search(kStart, command);
    EXPECT_FALSE(any_starts(lines, "info string")) << joined(lines);
    for (const Iteration& it : iterations(lines)) EXPECT_TRUE(listed.contains(it.pv[0])) << it.pv[0];
    EXPECT_TRUE(listed.contains(best_of(lines).first)) << joined(lines);
  }
  // Taking the rook is best, but the list leaves only the retreat; with
  // nothing legal left in the list every move is searched.
  const std::string rook = "position fen 4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
  for (const auto& [command, best] :
       {std::pair{"go depth 4 searchmoves e1e2 e1f1", "e1f1"}, std::pair{"go depth 4 searchmoves e1e2", "e1d2"}}) {
    const Lines lines = search(rook, command);
    EXPECT_EQ(lines.at(0), "info string the move (e1e2) to search is illegal??");
    EXPECT_EQ(best_of(lines).first, best) << command;
  }
}

// MultiPV 3: per depth the lines numbered from 1, best first, with different
// first moves; only the two legal moves when there are no more. Where a
// promotion and a king move lead different lines, each keeps its own kind:
// the promotion is printed with its piece, and the best move is played as
// the move it is.
TEST_F(UciSearch, MultiPVPrintsSortedLinesPerDepth) {
  ask("setoption name MultiPV value 3");
  for (const auto& [position, per_depth] :
       {std::pair{kStart, 3u}, std::pair{"position fen k7/8/8/8/8/8/r7/K7 w - - 0 1", 2u},
        std::pair{"position fen 4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1", 3u}}) {
    const Lines lines = search(position, "go depth 6");
    const std::vector<Iteration> its = iterations(lines);
    ASSERT_EQ(its.size(), 6 * per_depth) << joined(lines);
    for (std::size_t i = 0; i < its.size(); ++i) {
      const std::size_t rank = i % per_depth;
      EXPECT_TRUE(its[i].depth == int(i / per_depth) + 1 && its[i].multipv == int(rank) + 1) << joined(lines);
      for (std::size_t j = i - rank; j < i; ++j) {
        EXPECT_TRUE(its[j].score >= its[i].score && its[j].pv[0] != its[i].pv[0]) << joined(lines);
      }
      EXPECT_FALSE(its[i].pv[0] == "b7b8") << joined(lines);
      // The search's time and nodes so far: the same for the lines of a depth, growing with the depth.
      const Iteration& before = its[i > 0 ? i - 1 : 0];
      EXPECT_TRUE(its[i].time >= before.time && its[i].nodes >= before.nodes) << joined(lines);
      EXPECT_TRUE(rank == 0 || (its[i].time == before.time && its[i].nodes == before.nodes)) << joined(lines);
    }
    EXPECT_LE(its.back().nodes, summary(lines).nodes) << joined(lines);
    const Lines& pv = its[its.size() - per_depth].pv;
    EXPECT_EQ(best_of(lines), std::pair(pv[0], pv.size() > 1 ? pv[1] : ""));
    expect_played(position, lines);
  }
}

// UCI_ShowWDL: on, every score (bounds, MultiPV lines and the quiescence
// score of "go depth 0" too) is followed by " wdl W D L" summing to 1000,
// certain for mates; off, no line carries it.
TEST_F(UciSearch, WinDrawLossFollowsEveryScoreWhenAsked) {
  const Lines plain = search(kStart, "go depth 5");
  for (const std::string& line : plain) EXPECT_EQ(line.find(" wdl "), std::string::npos) << line;
  ask("setoption name UCI_ShowWDL value true");
  // Position, depth and MultiPV.
  for (const auto& [position, depth, lines_asked] :
       {std::tuple{kStart, 8, 1}, std::tuple{"position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 4, 1},
        std::tuple{"position fen 7k/8/6K1/8/8/8/8/R7 b - - 0 1", 4, 1},
        std::tuple{"position fen 4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1", 6, 3}}) {
    ask("setoption name MultiPV value " + std::to_string(lines_asked));
    const Lines lines = search(position, "go depth " + std::to_string(depth));
    const std::vector<Iteration> its = iterations(lines);
    ASSERT_FALSE(its.empty()) << joined(lines);
    for (const Iteration& it : its) {
      ASSERT_TRUE(it.wdl) << joined(lines);
      const auto [win, draw, loss] = *it.wdl;
      EXPECT_EQ(win + draw + loss, 1000) << joined(lines);
      if (it.mate) {
        EXPECT_EQ(*it.wdl, (it.score > 0 ? std::array{1000, 0, 0} : std::array{0, 0, 1000}));
      }
    }
    for (const std::string& line : lines) {
      if (line.starts_with("info depth")) {
        EXPECT_LT(line.find(" wdl "), line.find(" time ")) << line;
      }
    }
  }
  EXPECT_TRUE(matches(search(kStart, "go depth 0").at(0), "info depth 0 score cp ~ wdl # # #"));
}

TEST_F(UciSearch, MalformedGoCommands) {
  EXPECT_EQ(ask("go depth"), Lines{"info string missing depth param??"});
  EXPECT_EQ(ask("go movetime"), Lines{"info string missing movetime param??"});
  EXPECT_EQ(ask("go movetime x"),
            (Lines{"info string movetime param is not a digit??", "info string unknown command go movetime x"}));
  EXPECT_EQ(ask("go fast please"), Lines{"info string unknown command go fast please"});
  // A bad movetime is skipped; the other limits still apply.
  const Lines lines = go("go movetime x depth 1");
  EXPECT_EQ(lines.at(0), "info string movetime param is not a digit??");
  EXPECT_TRUE(any_starts(lines, "info depth 1 ") && is_bestmove(lines.back())) << joined(lines);
}

}  // namespace
