// "go" and what it prints: the iteration lines, the summary and the best
// move under each kind of limit, mate searches, searchmoves, MultiPV, the
// weakened engine and the parameter errors.
#include <gtest/gtest.h>

#include <set>

#include "search_session.h"

namespace {

using Lines = std::vector<std::string>;
using UciSearch = SearchSession;

constexpr const char* kStart = "position startpos";
// The budget is checked every 256 nodes, and the nodes on the stack still
// count while they unwind.
constexpr long long kNodeSlack = 1024;

// The per-line arithmetic: time at least 1 ms, nps = nodes * 1000 / time.
void expect_consistent(const DepthLine& d) {
  EXPECT_GE(d.time, 1) << d.depth;
  EXPECT_EQ(d.nps, d.nodes * 1000 / d.time) << d.depth;
}

void expect_one_of(const std::string& move, const std::set<std::string>& allowed) {
  EXPECT_TRUE(allowed.contains(move)) << move;
}

TEST_F(UciSearch, DepthSearchReportsEachIterationThenTheSummaryAndTheMove) {
  const Lines lines = search(kStart, "go depth 5");
  ASSERT_GE(lines.size(), 3u);
  std::vector<DepthLine> iterations;
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    const std::optional<DepthLine> d = parse_depth_line(lines[i]);
    ASSERT_TRUE(d.has_value()) << "not an iteration line: " << lines[i];
    iterations.push_back(*d);
  }
  ASSERT_FALSE(iterations.empty());
  EXPECT_EQ(iterations.front().depth, 1);
  EXPECT_EQ(iterations.back().depth, 5);
  for (std::size_t i = 0; i < iterations.size(); ++i) {
    const DepthLine& d = iterations[i];
    EXPECT_EQ(d.multipv, 1);
    EXPECT_FALSE(d.mate);
    EXPECT_EQ(d.bound, "") << "bounds are reported only after depth 7";
    expect_consistent(d);
    if (i > 0) {
      // A failed aspiration window repeats a depth; none is skipped.
      EXPECT_TRUE(d.depth == iterations[i - 1].depth || d.depth == iterations[i - 1].depth + 1) << lines[i];
      EXPECT_GE(d.nodes, iterations[i - 1].nodes) << lines[i];
    }
  }

  const DepthLine& last = iterations.back();
  EXPECT_TRUE(is_summary(lines[lines.size() - 2])) << lines[lines.size() - 2];
  EXPECT_EQ(summary_nodes(lines), last.nodes);
  const BestMove best = best_of(lines);
  EXPECT_EQ(best.move, last.pv[0]);
  EXPECT_EQ(best.ponder, last.pv.size() > 1 ? last.pv[1] : "");
  expect_played(kStart, best.move);
}

TEST_F(UciSearch, DepthOneSearchHasNoPonderMove) {
  const Lines lines = search(kStart, "go depth 1");
  ASSERT_EQ(lines.size(), 3u) << joined(lines);
  const std::optional<DepthLine> d = parse_depth_line(lines[0]);
  ASSERT_TRUE(d.has_value()) << lines[0];
  EXPECT_EQ(d->depth, 1);
  ASSERT_EQ(d->pv.size(), 1u) << lines[0];
  EXPECT_TRUE(is_summary(lines[1])) << lines[1];
  EXPECT_EQ(lines[2], "bestmove " + d->pv[0]);
  expect_played(kStart, d->pv[0]);
}

TEST_F(UciSearch, NodeBudgetStopsTheSearchAndStaysForLaterSearches) {
  long long nodes = summary_nodes(search(kStart, "go nodes 5000"));
  EXPECT_GE(nodes, 5000);
  EXPECT_LE(nodes, 5000 + kNodeSlack);
  // A clock search allotted more than three seconds still ends at the budget.
  nodes = summary_nodes(search(kStart, "go wtime 100000 btime 100000"));
  EXPECT_GE(nodes, 5000);
  EXPECT_LE(nodes, 5000 + kNodeSlack);
}

TEST_F(UciSearch, MovetimeAnswersAfterThatTime) {
  const Lines lines = search(kStart, "go movetime 300", Millis(10000));
  EXPECT_GE(summary_time(lines), 300) << joined(lines);
  expect_played(kStart, best_of(lines).move);
}

TEST_F(UciSearch, ClockSearchesAnswerWithALegalMove) {
  const std::pair<const char*, const char*> cases[] = {
      {kStart, "go wtime 10000 btime 10000 winc 100 binc 100"},
      {kStart, "go wtime 5000 btime 5000 movestogo 5"},
      // Black's own clock allots about a second; white's would allot two minutes.
      {"position startpos moves e2e4", "go wtime 600000 btime 5000 movestogo 5"},
  };
  for (const auto& [position, command] : cases) {
    const Lines lines = search(position, command, Millis(15000));
    EXPECT_TRUE(any_starts_with(lines, "info depth 1 ")) << command << "\n" << joined(lines);
    expect_played(position, best_of(lines).move);
  }
}

TEST_F(UciSearch, DepthZeroPrintsOnlyTheQuiescenceScore) {
  const Lines lines = search(kStart, "go depth 0");
  ASSERT_EQ(lines.size(), 2u) << joined(lines);
  EXPECT_TRUE(matches(lines[0], {"info", "depth", "0", "score", "cp", "-#"})) << lines[0];
  EXPECT_EQ(lines[1], "bestmove 0000");
  EXPECT_EQ(current_fen(), kStartFen);
}

TEST_F(UciSearch, NoLegalMoveIsReportedWithANullMove) {
  for (const char* position : {"position startpos moves f2f3 e7e5 g2g4 d8h4",  // mated
                               "position fen k7/8/1Q6/8/8/8/8/7K b - - 0 1"}) {  // stalemated
    const Lines lines = search(position, "go depth 4");
    ASSERT_GE(lines.size(), 3u) << joined(lines);
    EXPECT_TRUE(is_summary(lines[lines.size() - 3])) << joined(lines);
    EXPECT_EQ(lines[lines.size() - 2], "info string no legal move");
    EXPECT_EQ(lines.back(), "bestmove 0000");
    const std::string board = current_fen();
    EXPECT_EQ(board, fen_of(position));
  }
}

TEST_F(UciSearch, MateSearchEndsAtTheAskedDistance) {
  // The only mate in two: the rook cuts the king off from the c-file first.
  const Lines lines = search("position fen 3k4/8/4K3/8/8/8/8/R7 w - - 0 1", "go mate 2");
  const std::vector<DepthLine> iterations = depth_lines(lines);
  ASSERT_FALSE(iterations.empty()) << joined(lines);
  EXPECT_TRUE(iterations.back().mate) << joined(lines);
  EXPECT_EQ(iterations.back().score, 2);
  EXPECT_EQ(best_of(lines).move, "a1c1");
}

TEST_F(UciSearch, MateDistancesAreReportedInMoves) {
  struct Case {
    const char* fen;
    int mate;
    const char* move;  // the only mating move, or empty when there are several
  };
  const Case cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1, "a1a8"},   // back rank
      {"3k4/8/4K3/8/8/8/8/R7 w - - 0 1", 2, "a1c1"},      // rook waits, king must step into the corner file
      {"7k/8/8/6K1/8/8/8/5Q2 w - - 0 1", 3, ""},          // queen and king against the cornered king
      {"k7/8/8/8/2K5/8/8/6Q1 w - - 0 1", 4, ""},
      {"7k/8/6K1/8/8/8/8/R7 b - - 0 1", -1, "h8g8"},     // the only move walks into Ra8#
  };
  for (const Case& c : cases) {
    const std::string position = std::string("position fen ") + c.fen;
    const Lines lines = search(position, "go depth 12");
    const std::vector<DepthLine> iterations = depth_lines(lines);
    ASSERT_FALSE(iterations.empty()) << c.fen << "\n" << joined(lines);
    EXPECT_TRUE(iterations.back().mate) << c.fen << "\n" << joined(lines);
    EXPECT_EQ(iterations.back().score, c.mate) << c.fen;
    const BestMove best = best_of(lines);
    if (*c.move) {
      EXPECT_EQ(best.move, c.move) << c.fen;
    }
    expect_played(position, best.move);
  }
}

TEST_F(UciSearch, SearchmovesRestrictTheRootMoves) {
  const std::set<std::string> listed = {"a2a3", "h2h3"};
  const Lines lines = search(kStart, "go depth 4 searchmoves a2a3 h2h3");
  EXPECT_FALSE(any_starts_with(lines, "info string")) << joined(lines);
  for (const DepthLine& d : depth_lines(lines)) expect_one_of(d.pv[0], listed);
  expect_one_of(best_of(lines).move, listed);
}

TEST_F(UciSearch, SearchmovesReportIllegalEntriesAndGoOn) {
  // Taking the rook is best; the list leaves only the retreat.
  const std::string rook = "position fen 4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
  Lines lines = search(rook, "go depth 4 searchmoves e1e2 e1f1");
  EXPECT_EQ(lines.front(), "info string the move (e1e2) to search is illegal??");
  EXPECT_EQ(best_of(lines).move, "e1f1");

  // With nothing legal left in the list every move is searched.
  lines = search(rook, "go depth 4 searchmoves e1e2");
  EXPECT_EQ(lines.front(), "info string the move (e1e2) to search is illegal??");
  EXPECT_EQ(best_of(lines).move, "e1d2");

  // Text naming no move at all is reported the same way.
  lines = search(kStart, "go depth 3 searchmoves a2a3 e2e5 h2h3");
  EXPECT_EQ(lines.front(), "info string the move (e2e5) to search is illegal??");
  expect_one_of(best_of(lines).move, {"a2a3", "h2h3"});
}

TEST_F(UciSearch, SearchmovesListLongerThanTheTableIsCut) {
  std::string command = "go depth 3 searchmoves";
  for (int i = 0; i < 200; ++i) command += " a2a3 h2h3";
  const Lines lines = search(kStart, command);
  EXPECT_FALSE(any_starts_with(lines, "info string")) << joined(lines);
  expect_one_of(best_of(lines).move, {"a2a3", "h2h3"});
}

// The lines of each depth: numbered from 1 and sorted best first.
void expect_multipv_table(const Lines& lines, int depths, int per_depth) {
  SCOPED_TRACE(joined(lines));
  const std::vector<DepthLine> all = depth_lines(lines);
  ASSERT_EQ(all.size(), static_cast<std::size_t>(depths * per_depth));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(is_summary(lines[lines.size() - 2]));
  // Besides the iteration lines only the progress lines of a slow search may come.
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    EXPECT_TRUE(parse_depth_line(lines[i]) || lines[i].starts_with("info nodes ") ||
                lines[i].starts_with("info currmove "))
        << lines[i];
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    const DepthLine& d = all[i];
    const std::size_t rank = i % per_depth;
    EXPECT_EQ(d.depth, static_cast<int>(i / per_depth) + 1) << "iteration line " << i;
    EXPECT_EQ(d.multipv, static_cast<int>(rank) + 1) << "iteration line " << i;
    EXPECT_FALSE(d.mate);
    EXPECT_EQ(d.bound, "");
    expect_consistent(d);
    if (rank > 0) {
      EXPECT_GE(all[i - 1].score, d.score) << "iteration line " << i;
      for (std::size_t j = i - rank; j < i; ++j) EXPECT_NE(all[j].pv[0], d.pv[0]) << "iteration line " << i;
    }
  }
}

TEST_F(UciSearch, MultiPVPrintsSortedLinesPerDepth) {
  ask("setoption name MultiPV value 3");
  const Lines lines = search(kStart, "go depth 6");
  expect_multipv_table(lines, 6, 3);
  const std::vector<DepthLine> all = depth_lines(lines);
  ASSERT_EQ(all.size(), 18u);
  const DepthLine& first = all[15];  // multipv 1 of the last depth
  const BestMove best = best_of(lines);
  EXPECT_EQ(best.move, first.pv[0]);
  EXPECT_EQ(best.ponder, first.pv.size() > 1 ? first.pv[1] : "");
}

TEST_F(UciSearch, MultiPVWithFewerLegalMovesPrintsThemAll) {
  ask("setoption name MultiPV value 3");
  // In check with two moves: taking the rook draws, stepping aside loses it.
  const Lines lines = search("position fen k7/8/8/8/8/8/r7/K7 w - - 0 1", "go depth 6");
  expect_multipv_table(lines, 6, 2);
  const std::vector<DepthLine> all = depth_lines(lines);
  ASSERT_EQ(all.size(), 12u);
  for (const DepthLine& d : all) expect_one_of(d.pv[0], {"a1a2", "a1b1"});
  EXPECT_EQ(all[10].pv[0], "a1a2");
  EXPECT_EQ(best_of(lines).move, all[10].pv[0]);
}

TEST_F(UciSearch, LimitedStrengthSearchesAHandfulOfNodes) {
  ask("setoption name UCI_LimitStrength value true");
  // ask() ends with "isready", which sets the budget: e^((1000 + 200) / 297) = 56 nodes.
  ask("setoption name UCI_Elo value 1000");
  const Lines lines = search(kStart, "go wtime 60000 btime 60000");
  const long long nodes = summary_nodes(lines);
  EXPECT_GT(nodes, 0);
  EXPECT_LE(nodes, 56 + 256) << joined(lines);
  expect_played(kStart, best_of(lines).move);
}

TEST_F(UciSearch, MalformedGoCommands) {
  EXPECT_EQ(ask("go"), Lines{"info string unknown command go"});
  EXPECT_EQ(ask("go depth"), Lines{"info string missing depth param??"});
  EXPECT_EQ(ask("go movetime"), Lines{"info string missing movetime param??"});
  EXPECT_EQ(ask("go movetime x"),
            (Lines{"info string movetime param is not a digit??", "info string unknown command go movetime x"}));
  EXPECT_EQ(ask("go fast please"), Lines{"info string unknown command go fast please"});
  EXPECT_EQ(current_fen(), kStartFen);

  // A bad movetime is skipped; the other limits still apply.
  const Lines lines = go("go movetime x depth 1");
  EXPECT_EQ(lines.front(), "info string movetime param is not a digit??");
  EXPECT_TRUE(any_starts_with(lines, "info depth 1 ")) << joined(lines);
  expect_played(kStart, best_of(lines).move);
}

}  // namespace
