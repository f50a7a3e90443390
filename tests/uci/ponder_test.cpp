// Pondering: a search on the opponent's expected move that ends with
// "ponderhit" as an ordinary search, or with "stop" by taking that move back.
#include <gtest/gtest.h>

#include "search_session.h"

namespace {

using Lines = std::vector<std::string>;
using UciPonder = SearchSession;

// The GUI expects e7e5 and lets the engine think on it.
constexpr const char* kPondered = "position startpos moves e2e4 e7e5";
constexpr const char* kBeforeReply = "position startpos moves e2e4";

TEST_F(UciPonder, PonderhitTurnsItIntoAnOrdinarySearch) {
  ask(kPondered);
  engine.send("go ponder wtime 10000 btime 10000");
  wait_for(depth_reached(1), kWhileSearching);
  engine.send("ponderhit");
  const ReadResult r = engine.read_until(is_bestmove);
  ASSERT_TRUE(r.found) << joined(r.lines);
  // The move is played on the engine's board, as after any search.
  expect_played(kPondered, best_of(r.lines).move);
}

TEST_F(UciPonder, PonderSearchIgnoresItsTimeUntilPonderhit) {
  ask(kPondered);
  // One second on the clock gives a budget of some 26 ms.
  engine.send("go ponder wtime 1000 btime 1000");
  const Lines pondering = engine.read_for(Millis(600));
  EXPECT_TRUE(any_starts_with(pondering, "info depth 1 ")) << joined(pondering);
  EXPECT_FALSE(any_bestmove(pondering)) << joined(pondering);
  // The budget is long spent: the answer comes at once.
  engine.send("ponderhit");
  const ReadResult r = engine.read_until(is_bestmove);
  ASSERT_TRUE(r.found) << joined(r.lines);
  expect_played(kPondered, best_of(r.lines).move);
}

TEST_F(UciPonder, StoppedPonderSearchTakesBackThePonderedMove) {
  const std::string before = fen_of(kBeforeReply);
  ask(kPondered);
  engine.send("go ponder wtime 60000 btime 60000");
  wait_for(depth_reached(3), kWhileSearching);
  const Lines last = stop();
  const BestMove best = best_of(last);
  EXPECT_EQ(last.back(), "bestmove " + best.move) << "no ponder move after a stopped ponder search";
  EXPECT_EQ(current_fen(), before);
  expect_legal(kPondered, best.move);
}

TEST_F(UciPonder, StoppedPonderSearchNeverTakesBackPastTheSetUpPosition) {
  for (const char* position : {"position startpos",
                               "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"}) {
    const std::string setup = fen_of(position);
    engine.send("go ponder wtime 60000 btime 60000");
    wait_for(depth_reached(2), kWhileSearching);
    const BestMove best = best_of(stop());
    EXPECT_EQ(best.ponder, "") << position;
    EXPECT_EQ(current_fen(), setup) << position;
    expect_legal(position, best.move);
  }
  // The game history is intact: the engine goes on working.
  ask("position startpos");
  EXPECT_EQ(perft_nodes(ask("perft 3")), 8902);
}

TEST_F(UciPonder, WithPonderOffAStoppedPonderSearchEndsLikeAnOrdinaryOne) {
  ask("setoption name Ponder value false");
  ask(kPondered);
  engine.send("go ponder wtime 60000 btime 60000");
  wait_for(depth_reached(2), kWhileSearching);
  expect_played(kPondered, best_of(stop()).move);
}

}  // namespace
