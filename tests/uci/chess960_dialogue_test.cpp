// Chess960 seen from the GUI: castling written as the king taking its own
// rook in every move text, in and out, and the rights as file letters.
#include <algorithm>

#include "harness.h"

namespace {

using Chess960Dialogue = EngineTest;

TEST_F(Chess960Dialogue, CastlingTextsFollowTheOption) {
  const std::string corners = "position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves ";
  const std::string castled = "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2";
  // Off: the king's two-square step; the king taking its rook is no move.
  EXPECT_EQ(ask(corners + "e1g1 e8c8"), Lines{});
  EXPECT_EQ(fen(), castled);
  EXPECT_EQ(ask(corners + "e1h1"), Lines{"info string Unknown command e1h1"});
  EXPECT_EQ(fen(), "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");

  EXPECT_EQ(ask("setoption name UCI_Chess960 value true"), Lines{});
  EXPECT_EQ(ask(corners + "e1h1 e8a8"), Lines{});
  EXPECT_EQ(fen(), castled);
  EXPECT_EQ(ask(corners + "e1g1"), Lines{"info string Unknown command e1g1"});
  EXPECT_EQ(fen(), "r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1");
  // King and rook swap squares; the queen-side right names the inner rook.
  EXPECT_EQ(ask("position fen 1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w GBgb - 0 1 moves f1g1 f8b8"), Lines{});
  EXPECT_EQ(fen(), "2kr2r1/pppppppp/8/8/8/8/PPPPPPP1/RR3RK1 w - - 2 2");
  // X-FEN letters in, Shredder-FEN letters out; perft writes castling as the search does.
  EXPECT_EQ(ask("position fen rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w KQkq - 0 1"), Lines{});
  EXPECT_EQ(fen(), "rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w HAha - 0 1");
  const Lines perft = ask("perft 1");
  EXPECT_TRUE(std::find(perft.begin(), perft.end(), " b1h1 - 1") != perft.end()) << joined(perft);
}

// The rook jumps over the king, already on g1, and mates on f1: no other move does.
TEST_F(Chess960Dialogue, SearchesAnswerCastlingAsKingTakesRook) {
  const std::string mate = "position fen 4rkr1/4p1p1/8/8/8/8/6PP/6KR w H - 0 1";
  EXPECT_NE(best_of(search(mate, "go depth 3")).first, "g1h1");  // off, the right is not read
  ask("setoption name UCI_Chess960 value true");
  const Lines lines = search(mate, "go depth 3");
  const std::vector<Iteration> found = iterations(lines);
  ASSERT_FALSE(found.empty()) << joined(lines);
  EXPECT_TRUE(found.back().mate && found.back().score == 1 && found.back().pv.at(0) == "g1h1") << joined(lines);
  EXPECT_EQ(best_of(lines).first, "g1h1");
  expect_played(mate, lines);
  EXPECT_EQ(best_of(search(mate, "go depth 3 searchmoves g2g3 g1h1")).first, "g1h1");
  EXPECT_EQ(best_of(search(mate, "go depth 3 searchmoves g1f1")).first, "g1f1");  // the king's own step
}

}  // namespace
