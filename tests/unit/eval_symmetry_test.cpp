// A position and its colour mirror get the same evaluation from the side to
// move's point of view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "eval/eval.h"
#include "eval/symtest_positions.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while ((i = text.find_first_not_of(' ', i)) != std::string::npos) {
    const std::size_t end = text.find(' ', i);
    out.push_back(text.substr(i, end - i));
    i = end;
  }
  return out;
}

// Ranks reversed, colours swapped, the other side to move, no castling or
// en-passant square; the counters are kept.
std::string mirrored(const std::string& fen) {
  const std::vector<std::string> w = words(fen);
  std::string board;
  std::size_t end = w[0].size();
  while (true) {
    const std::size_t slash = w[0].rfind('/', end - 1);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    for (std::size_t i = start; i < end; ++i) {
      const char c = w[0][i];
      board += std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                           : static_cast<char>(std::toupper(c));
    }
    if (slash == std::string::npos) break;
    board += '/';
    end = slash;
  }
  return board + (w[1] == "w" ? " b" : " w") + " - - " + w[4] + " " + w[5];
}

std::string current_fen() {
  char text[128];
  get_fen(text);
  const std::vector<std::string> w = words(text);
  return w[0] + " " + w[1] + " " + w[2] + " " + (w.size() > 3 ? w[3] : "-") + " 0 1";
}

// Loads without new keys or cleared tables: a fresh start for thousands of
// positions would cost more than the evaluations.
int eval_of(const std::string& fen) {
  init_board1(fen.c_str());
  EXPECT_EQ(words(current_fen())[0], words(fen)[0]) << "not loaded: " << fen;
  return eval();
}

// King, minor and one pawn against king and minor counts only for White.
bool colour_specific_ending() {
  const bool minors_only = !(wr | br | wq | bq) && wpc == 1 && bpc == 1;
  return minors_only && wp + bp == 1;
}

// Random legal moves from the position; the FEN of every position reached.
std::vector<std::string> random_game(const char* start, int plies) {
  std::vector<std::string> fens;
  set_position(start);
  for (int n = 0; n < plies; ++n) {
    gen();
    std::vector<move_bytes> legal;
    for (int i = first_move[ply]; i < first_move[ply + 1]; ++i)
      if (makemove(gen_dat[i].m.b)) {
        legal.push_back(gen_dat[i].m.b);
        takeback();
      }
    if (legal.empty()) break;
    makemove(legal[std::rand() % legal.size()]);
    if (colour_specific_ending()) continue;
    fens.push_back(current_fen());
  }
  return fens;
}

}  // namespace

TEST(EvalSymmetry, MirrorTool) {
  EXPECT_EQ(mirrored("r5k1/4bpp1/7p/2Pp4/3Bp3/r2bPP1P/3N2P1/2R1K1R1 b - - 0 1"),
            "2r1k1r1/3n2p1/R2Bpp1p/3bP3/2pP4/7P/4BPP1/R5K1 w - - 0 1");
}

TEST(EvalSymmetry, TestSetPairsAreMirrorsAndScoreAlike) {
  for (int i = 0; i < SYM_TEST_PAIRS; ++i) {
    const std::string a = SymTestPosition[2 * i], b = SymTestPosition[2 * i + 1];
    EXPECT_EQ(mirrored(a), b) << i;
    EXPECT_EQ(eval_of(a), eval_of(b)) << a;
  }
}

TEST(EvalSymmetry, RandomPlay) {
  std::srand(20240611);
  // From the start and from a few endings, so that every term gets its turn.
  const char* starts[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                          "r3k2r/pp3ppp/2n1bn2/2bpp3/4P3/2NB1N2/PPP2PPP/R1B1K2R w KQkq - 0 1",
                          "8/5pk1/6p1/8/8/6P1/4BPK1/2b5 w - - 0 1", "8/1p3pk1/p5p1/P2p3p/3P3P/6P1/1P3PK1/8 w - - 0 1",
                          "3r4/8/4k3/8/8/3KB3/8/4R3 w - - 0 1", "6k1/8/4n3/8/3P4/8/1B3K2/8 w - - 0 1"};
  int checked = 0;
  for (const char* start : starts)
    for (int game = 0; game < 4; ++game)
      for (const std::string& fen : random_game(start, 120)) {
        ASSERT_EQ(eval_of(fen), eval_of(mirrored(fen))) << fen;
        ++checked;
      }
  EXPECT_GT(checked, 1500);
}
