// Reading and writing FEN text, and the mended handling of unusable text.
#include <gtest/gtest.h>

#include <cstdlib>

#include <string>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/startup.h"
#include "test_support.h"

namespace {

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string printed_fen() {
  testing::internal::CaptureStdout();
  print_my_fen();
  std::string out = testing::internal::GetCapturedStdout();
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string written_fen() {
  char buf[128];
  get_fen(buf);
  return buf;
}

// Loads text with the "invalid fen" report kept off the test output.
// Loads a text that may be rejected (set_position would flag that).
void load_quietly(const char* text) {
  engine_setup();
  testing::internal::CaptureStdout();
  std::srand(12345);
  init_board(text);
  testing::internal::GetCapturedStdout();
}

TEST(Fen, StartPositionRoundTrip) {
  set_position(spos);
  EXPECT_EQ(printed_fen(), kStart);
  EXPECT_EQ(written_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq ");
  EXPECT_EQ(castle, 15);
  EXPECT_EQ(ep, -1);
  EXPECT_EQ(side, WHITE);
  EXPECT_EQ(xside, BLACK);
}

// Text that is written back unchanged, with keys and counters as from scratch.
TEST(Fen, RoundTrips) {
  const char* const cases[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 1",
      "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 37 1",
      "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w Kq f6 0 1",
      "4k3/8/8/8/8/8/8/4K3 b - - 99 1",
  };
  for (const char* text : cases) {
    set_position(text);
    EXPECT_EQ(printed_fen(), text);
    EXPECT_EQ(hash, scratch_hash()) << text;
    EXPECT_EQ(gMatHash, calculateMaterialHash()) << text;
    EXPECT_EQ(xside, side ^ 1) << text;
  }
}

TEST(Fen, FieldsAreRead) {
  set_position("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 12 7");
  EXPECT_EQ(ep, 44);
  EXPECT_EQ(fifty, 12);
  EXPECT_EQ(side, BLACK);
  EXPECT_EQ(wp, 8);
  EXPECT_EQ(bpiece, 2 * 315 + 2 * 325 + 2 * 500 + 1000);
  EXPECT_EQ(wking_loc, sq("e1"));
  EXPECT_EQ(bking_loc, sq("e8"));
  EXPECT_EQ(written_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
  EXPECT_EQ(hash, scratch_hash());
  // The move number is counted from the loaded position, not read.
  EXPECT_EQ(printed_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 12 1");
}

TEST(Fen, MoveNumberCountsFromLoadedPosition) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 40");
  const char* moves[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}};
  const char* expected[] = {"1", "2", "2"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(makemove(generated_move(sq(moves[i][0]), sq(moves[i][1])).b));
    const std::string text = printed_fen();
    EXPECT_EQ(text.substr(text.rfind(' ') + 1), expected[i]) << text;
  }
}

TEST(Fen, CastlingRightsNeedKingAndRook) {
  set_position("r3k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1");  // no h-file rooks
  EXPECT_EQ(castle, 2 | 8);
  EXPECT_EQ(printed_fen(), "r3k3/8/8/8/8/8/8/R3K3 w Qq - 0 1");
  EXPECT_EQ(hash, scratch_hash());

  set_position("r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1");  // white king off e1
  EXPECT_EQ(castle, 4 | 8);
}

TEST(Fen, ImplausibleEnPassantSquareIsDropped) {
  const char* const cases[] = {
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e5 0 1",   // wrong rank
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e33 0 1",  // off the board
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq d3 0 1",   // no pawn passed d3
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1",   // wrong side to move
  };
  for (const char* text : cases) {
    set_position(text);
    EXPECT_EQ(ep, -1) << text;
    EXPECT_EQ(hash, scratch_hash()) << text;
    EXPECT_EQ(piece[sq("e4")], PAWN) << text;
  }
}

// Text the engine cannot work with yields the start position, without any
// write outside the board.
TEST(Fen, UnusableTextGivesStartPosition) {
  const char* const cases[] = {
      "4k3/8/8/8/8/8/8/K3K3 w - - 0 1",                            // two white kings
      "8/8/8/8/8/8/8/4K3 w - - 0 1",                               // no black king
      "8/8/8/8/8/8/8/8/K7k w - - 0 1",                             // king on a 65th square
      "k7/8/8/8/8/8/8/7K88888888 w - - 0 1",                       // more than 64 squares
      "4k3/8/8/8/8/8/8/4K3 - - 0 1",                               // no side to move
      "4k3/8/8/8/8/8/8/4K3",                                       // nothing after the board
      "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",                            // pawn on the first rank
      "3pk3/8/8/8/8/8/8/4K3 w - - 0 1",                            // pawn on the last rank
      "4k3/8/8/8/8/8/8/4K2r b - - 0 1",                            // side not to move in check
      "8/8/8/3kK3/8/8/8/8 w - - 0 1",                              // kings next to each other
      "4k3/8/8/8/8/NNNNNNNN/NNNNNNNN/4K3 w - - 0 1",               // seventeen white men
  };
  for (const char* text : cases) {
    load_quietly(text);
    EXPECT_EQ(printed_fen(), kStart) << text;
    EXPECT_EQ(hash, scratch_hash()) << text;
    EXPECT_EQ(gMatHash, calculateMaterialHash()) << text;
    EXPECT_EQ(wpiece, 2 * 315 + 2 * 325 + 2 * 500 + 1000) << text;
    EXPECT_EQ(bp, 8) << text;
  }
}

// The material key of a 17th king would lie beyond the key table: the text
// must be rejected before any key is computed from its counts.
TEST(Fen, BoardFullOfKingsGivesStartPosition) {
  load_quietly("KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK w - - 0 1");
  EXPECT_EQ(printed_fen(), kStart);
  load_quietly("kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk w - - 0 1");
  EXPECT_EQ(printed_fen(), kStart);
}

TEST(Fen, SideToMoveChangesKeyBySideKeyOnly) {
  set_position("4k3/8/8/3p4/8/8/8/4K3 w - - 0 1");
  const u64 white_key = hash, white_pawn_key = phash;
  set_position("4k3/8/8/3p4/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(hash ^ white_key, hash_side);
  EXPECT_EQ(phash, white_pawn_key);
}

}  // namespace
