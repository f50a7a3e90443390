// "position" and "fen": setting up positions, playing the GUI's moves and
// reporting the moves it cannot play.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using Line = std::vector<std::string>;
using UciPosition = EngineTest;

TEST_F(UciPosition, StartPositionRoundTrips) {
  EXPECT_EQ(current_fen(), kStartFen);
  EXPECT_TRUE(ask("position startpos moves e2e4").empty());
  EXPECT_TRUE(ask("position startpos").empty());
  EXPECT_EQ(current_fen(), kStartFen);
  // Any line without "fen " means the start position.
  ask("position startpos moves e2e4");
  EXPECT_TRUE(ask("position fen").empty());
  EXPECT_EQ(current_fen(), kStartFen);
  ask("position startpos moves e2e4");
  EXPECT_TRUE(ask("ucinewgame").empty());
  EXPECT_EQ(current_fen(), kStartFen);
}

TEST_F(UciPosition, MovesAreMadeAndCounted) {
  EXPECT_TRUE(ask("position startpos moves e2e4 e7e5 g1f3").empty());
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
}

TEST_F(UciPosition, EnPassantSquareAndCapture) {
  ask("position startpos moves e2e4 d7d5 e4e5 f7f5");
  EXPECT_EQ(current_fen(), "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
  EXPECT_TRUE(ask("position startpos moves e2e4 d7d5 e4e5 f7f5 e5f6").empty());
  EXPECT_EQ(current_fen(), "rnbqkbnr/ppp1p1pp/5P2/3p4/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3");
}

TEST_F(UciPosition, CastlingBothWays) {
  EXPECT_TRUE(ask("position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8").empty());
  EXPECT_EQ(current_fen(), "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2");
}

TEST_F(UciPosition, PromotionLetters) {
  const std::string fen = "position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves ";
  const std::pair<const char*, const char*> cases[] = {
      {"b7b8", "1Q2k3/8/8/8/8/8/8/4K3 b - - 0 1"},   // no letter: a queen
      {"b7b8q", "1Q2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      {"b7b8n", "1N2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      {"b7b8B", "1B2k3/8/8/8/8/8/8/4K3 b - - 0 1"},  // letters in either case
      {"b7b8r", "1R2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      {"b7b8x", "1Q2k3/8/8/8/8/8/8/4K3 b - - 0 1"},  // an unknown letter: a queen too
  };
  for (const auto& [move, expected] : cases) {
    EXPECT_TRUE(ask(fen + move).empty()) << move;
    EXPECT_EQ(current_fen(), expected) << move;
  }
  EXPECT_TRUE(ask("position fen r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1 moves b7a8r e8d7").empty());
  EXPECT_EQ(current_fen(), "R7/3k4/8/8/8/8/8/4K3 w - - 1 2");
}

TEST_F(UciPosition, MoveNumberCountsFromThePositionCommand) {
  ask("position fen 4k3/8/8/8/8/8/8/4K2R w K - 7 40");
  EXPECT_EQ(current_fen(), "4k3/8/8/8/8/8/8/4K2R w K - 7 1");
  ask("position fen 4k3/8/8/8/8/8/8/4K2R w K - 7 40 moves h1h2 e8d8 h2h3");
  EXPECT_EQ(current_fen(), "3k4/8/8/8/8/7R/8/4K3 b - - 10 2");
}

TEST_F(UciPosition, CastlingRightsTheBoardCannotHaveAreDropped) {
  EXPECT_TRUE(ask("position fen r3k2r/8/8/8/8/8/8/4K2R w KQkq - 0 1").empty());
  EXPECT_EQ(current_fen(), "r3k2r/8/8/8/8/8/8/4K2R w Kkq - 0 1");
}

TEST_F(UciPosition, UnknownMoveTextStopsTheWalkAndKeepsEarlierMoves) {
  EXPECT_EQ(ask("position startpos moves e2e4 e7e9 d2d4"), Line{"info string Unknown command e7e9"});
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
  // Well-formed text for a move that is not there is just as unknown.
  EXPECT_EQ(ask("position startpos moves e2e5"), Line{"info string Unknown command e2e5"});
  EXPECT_EQ(current_fen(), kStartFen);
  EXPECT_EQ(ask("position startpos moves g1f3 a0a9"), Line{"info string Unknown command a0a9"});
  EXPECT_EQ(ask("position startpos moves z9z9"), Line{"info string Unknown command z9z9"});
  EXPECT_EQ(ask("position startpos moves i2i4"), Line{"info string Unknown command i2i4"});
  EXPECT_EQ(ask("position startpos moves e2"), Line{"info string Unknown command e2"});
  EXPECT_EQ(current_fen(), kStartFen);
}

TEST_F(UciPosition, IllegalMovesAreReportedAndNotMade) {
  // The king steps into the rook's line.
  const std::string king = "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
  EXPECT_EQ(ask("position fen " + king + " moves e1e2"), Line{"info string e1e2 is illegal"});
  EXPECT_EQ(current_fen(), king);
  // A pinned knight leaves the file, after a legal move.
  EXPECT_EQ(ask("position fen 4k3/4r3/8/8/8/8/4N3/4K3 b - - 0 1 moves e8d8 e2c3"),
            Line{"info string e2c3 is illegal"});
  EXPECT_EQ(current_fen(), "3k4/4r3/8/8/8/8/4N3/4K3 w - - 1 1");
}

TEST_F(UciPosition, IncompleteMoveListsChangeNothingElse) {
  EXPECT_TRUE(ask("position startpos moves").empty());
  EXPECT_EQ(current_fen(), kStartFen);
  EXPECT_TRUE(ask("position startpos moves ").empty());
  EXPECT_EQ(current_fen(), kStartFen);
  EXPECT_TRUE(ask("position startpos moves e2e4   e7e5  ").empty());
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
  // "position" alone is no position command at all.
  EXPECT_EQ(ask("position"), Line{"info string unknown command position"});
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
}

// A FEN the engine cannot use is reported and replaced by the start position.
TEST_F(UciPosition, UnusableFenFallsBackToTheStartPosition) {
  const char* bad[] = {
      "",                                                                  // nothing at all
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                       // no side to move
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/RNBQKBNR w KQkq - 0 1",  // 72 squares
      "8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/k7/K7 w - - 0 1",                   // pieces far off the board
      "88888888/8/k7/K7 w - - 0 1",                                        // empty squares past the end
      "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                                    // two white kings
      "8/8/8/8/8/8/8/4K3 w - - 0 1",                                       // no black king
  };
  for (const char* fen : bad) {
    ask("position startpos moves e2e4");
    const std::vector<std::string> reply = ask(std::string("position fen ") + fen);
    ASSERT_EQ(reply.size(), 1u) << fen << "\n" << joined(reply);
    EXPECT_TRUE(reply[0].starts_with("info string ")) << reply[0];
    EXPECT_EQ(current_fen(), kStartFen) << fen;
  }
}

TEST_F(UciPosition, ForgivingFenReaderTakesWhatItUnderstands) {
  // Missing fields take their defaults.
  EXPECT_TRUE(ask("position fen 4k3/8/8/8/8/8/8/4K3 b").empty());
  EXPECT_EQ(current_fen(), "4k3/8/8/8/8/8/8/4K3 b - - 0 1");
  // The FEN ends where its fields end; the moves that follow are played.
  EXPECT_TRUE(ask("position fen 4k3/8/8/8/8/8/8/4K3 w - - 3 9 moves e1d2").empty());
  EXPECT_EQ(current_fen(), "4k3/8/8/8/8/8/3K4/8 b - - 4 1");
}

}  // namespace
