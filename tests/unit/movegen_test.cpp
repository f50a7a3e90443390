// The full generator, the evasion generators and the ordering scores given
// at generation time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

std::string name_of(const move& m) {
  std::string s = std::string(square_name[m.b.from]) + square_name[m.b.to];
  if (m.b.promote != EMPTY) s += "pnbrqk"[m.b.promote];
  return s;
}

// Sorted move texts with their flags, so that lists compare as sets of whole records.
std::vector<std::string> names(const std::vector<move>& moves) {
  std::vector<std::string> out;
  for (const move& m : moves) out.push_back(name_of(m) + "/" + std::to_string(m.b.bits));
  std::sort(out.begin(), out.end());
  return out;
}

std::string current_fen() {
  char buf[128];
  get_fen(buf);
  return buf;
}

// In check, the evasion generator picked as the search picks it must yield
// exactly the legal moves of the full generator.
void expect_evasions_complete() {
  gen();
  const std::vector<std::string> full = names(legal_level_moves());
  get_checker(side);
  if (gchecker2 != -1) gen_king();
  else gen_evade();
  const std::vector<std::string> evasions = names(legal_level_moves());
  EXPECT_EQ(evasions, full) << current_fen();
}

// Ordering tables empty and history flat, as at the start of a search.
class MoveOrder : public ::testing::Test {
 protected:
  void SetUp() override { clear_tables(); }
  void TearDown() override { clear_tables(); }
  static void clear_tables() {
    std::memset(killer1, 0, sizeof killer1);
    std::memset(killer2, 0, sizeof killer2);
    std::memset(mkiller1, 0, sizeof mkiller1);
    std::memset(counterMove, 0, sizeof counterMove);
    for (auto& by_colour : historyScore)
      for (auto& by_kind : by_colour)
        for (int& h : by_kind) h = 2048;
  }
  static int score_of(int from, int to) {
    for (const gen_entry& g : level_moves())
      if (g.m.b.from == from && g.m.b.to == to) return g.score;
    ADD_FAILURE() << "move not generated";
    return -1;
  }
};

TEST(MoveGen, StartPositionOrder) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  gen();
  std::vector<std::string> order;
  for (const gen_entry& g : level_moves()) order.push_back(name_of(g.m));
  const std::vector<std::string> expected = {
      "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
      "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4", "b1a3", "b1c3", "g1f3", "g1h3",
  };
  EXPECT_EQ(order, expected);
  for (const gen_entry& g : level_moves()) {
    const int bits = g.m.b.moved == PAWN ? (row_of(g.m.b.to) == 4 ? 24 : 16) : 0;
    EXPECT_EQ(g.m.b.bits, bits) << name_of(g.m);
  }
}

TEST(MoveGen, NoCastlingNextToEnemyKing) {
  set_position("8/8/8/8/8/8/6k1/4K2R w K - 0 1");
  EXPECT_EQ(generated_move(sq("e1"), sq("g1")).u, 0u);
  EXPECT_EQ(generated_move(sq("e1"), sq("f2")).u, 0u);  // next to the king on g2
  set_position("8/8/8/8/8/6k1/8/4K2R w K - 0 1");
  EXPECT_NE(generated_move(sq("e1"), sq("g1")).u, 0u);
}

TEST(MoveGen, RankCheckInterpositionsInLineOrder) {
  set_position("4k3/8/8/3Q4/8/N7/4N3/r3K3 w - - 0 1");
  get_checker(WHITE);
  ASSERT_EQ(gchecker1, sq("a1"));
  gen_evade();
  std::vector<std::string> blocks;
  for (const gen_entry& g : level_moves())
    if (g.m.b.moved != KING) blocks.push_back(name_of(g.m));
  EXPECT_EQ(blocks, (std::vector<std::string>{"a3b1", "e2c1", "d5d1"}));
}

// Knight, pawn and adjacent-slider checks cannot be blocked: besides king
// moves only captures of the checker (or en passant) are generated.
TEST(MoveGen, UnblockableChecksGiveNoInterpositions) {
  const char* const cases[] = {
      "4k3/8/1q1N4/8/8/8/8/K7 b - - 0 1",
      "4k3/3P4/8/1b6/8/8/8/K7 b - - 0 1",
      "3rk3/4Q3/6n1/8/8/8/8/K7 b - - 0 1",
      "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",
  };
  for (const char* fen : cases) {
    set_position(fen);
    get_checker(side);
    ASSERT_NE(gchecker1, -1) << fen;
    gen_evade();
    for (const gen_entry& g : level_moves()) {
      if (g.m.b.moved == KING) continue;
      EXPECT_TRUE(g.m.b.to == gchecker1 || g.m.b.to == ep) << fen << " " << name_of(g.m);
    }
  }
}

TEST(MoveGen, EvasionsOfHandPickedChecks) {
  const char* const cases[] = {
      "4k3/8/8/3Q4/8/N7/4N3/r3K3 w - - 0 1",            // rook along the first rank
      "4k3/8/8/b7/8/8/1PP5/1N1QK3 w - - 0 1",           // bishop: pawn single and double steps block
      "4k3/8/3N4/8/8/8/8/K3R3 b - - 0 1",               // double check, knight and rook
      "4k3/8/8/8/8/8/8/3rK2r w - - 0 1",                // double check; the capture is x-rayed through the king
      "4k3/8/1q1N4/8/8/8/8/K7 b - - 0 1",               // knight
      "4k3/3P4/8/1b6/8/8/8/K7 b - - 0 1",               // pawn
      "4k3/4Q3/8/8/8/8/8/K7 b - - 0 1",                 // adjacent queen, undefended
      "4k3/4Q3/8/8/8/8/8/K3R3 b - - 0 1",               // adjacent queen, defended
      "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",              // pawn check, taken en passant
      "8/8/8/6k1/3Pp3/8/8/2B1K3 b - d3 0 1",            // discovered check; en passant does not help
      "K6r/3P4/8/8/8/8/8/7k w - - 0 1",                 // blocked by promotions
      "4r2K/3P1P2/8/8/8/8/8/k7 w - - 0 1",              // checker taken with promotion
      "rnb1kbnr/pppp1ppp/8/4p3/5PPq/8/PPPPP2P/RNBQKBNR w KQkq - 1 3",  // mate: no evasion at all
      "4k3/8/8/8/1b6/8/3N4/4K2q w - - 0 1",             // pinned blocker, check along the rank
  };
  for (const char* fen : cases) {
    set_position(fen);
    ASSERT_TRUE(in_check(side)) << fen;
    expect_evasions_complete();
  }
}

// Positions in check met in random games and in perft trees.
TEST(MoveGen, EvasionsInRandomGames) {
  const char* const starts[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
  };
  std::mt19937 rng(4242);
  int checks = 0;
  for (const char* start : starts)
    for (int game = 0; game < 25; ++game) {
      set_position(start);
      for (int p = 0; p < 120 && play_random_move(rng); ++p)
        if (in_check(side)) {
          ++checks;
          expect_evasions_complete();
          if (HasFailure()) return;  // one report is enough
        }
    }
  EXPECT_GT(checks, 100);
}

int visit_checks(int depth) {
  int checks = 0;
  if (in_check(side)) {
    ++checks;
    expect_evasions_complete();
  }
  if (depth == 0) return checks;
  gen();
  for (const move& m : legal_level_moves()) {
    makemove(m.b);
    checks += visit_checks(depth - 1);
    takeback();
  }
  return checks;
}

TEST(MoveGen, EvasionsInPerftTrees) {
  PerftMode perft_mode;
  const char* const starts[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
  };
  int checks = 0;
  for (const char* start : starts) {
    set_position(start);
    checks += visit_checks(2);
  }
  EXPECT_GT(checks, 50);
}

TEST(MoveGen, PromotionsByPly) {
  set_position("1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  ply = 5;
  first_move[5] = first_move[6] = 0;
  gen_push(sq("a7"), sq("b8"), MF_PAWN | MF_CAPTURE);
  std::vector<gen_entry> list = level_moves();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].m.b.promote, QUEEN);
  EXPECT_EQ(list[0].m.b.bits, 49);
  EXPECT_EQ(list[0].score, 9998000);

  ply = 0;
  first_move[1] = first_move[0];
  gen_push(sq("a7"), sq("b8"), MF_PAWN | MF_CAPTURE);
  list = level_moves();
  ASSERT_EQ(list.size(), 4u);
  const int kinds[4] = {KNIGHT, BISHOP, ROOK, QUEEN};
  const int scores[4] = {9989500, 9989300, 9989400, 9998000};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list[i].m.b.promote, kinds[i]);
    EXPECT_EQ(list[i].m.b.bits, 49);
    EXPECT_EQ(list[i].score, scores[i]);
  }

  // The hash-move form keeps all four at the root, above every other move.
  first_move[1] = first_move[0];
  gen_promote(sq("a7"), sq("a8"), MF_PAWN, MT_HASH);
  list = level_moves();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].score, 50078042);
  EXPECT_EQ(list[3].score, 50078109);
  EXPECT_EQ(list[3].m.b.bits, 48);
}

TEST(MoveGen, PerftModeGeneratesUnderPromotionsDeep) {
  PerftMode perft_mode;
  set_position("1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  ply = 5;
  first_move[5] = first_move[6] = 0;
  gen_push(sq("a7"), sq("a8"), MF_PAWN);
  EXPECT_EQ(level_moves().size(), 4u);
  ply = 0;
}

TEST_F(MoveOrder, KillerBeforeCounterMove) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  ASSERT_TRUE(makemove(generated_move(sq("e2"), sq("e4")).b));
  const move reply = generated_move(sq("g8"), sq("f6"));
  EXPECT_EQ(score_of(sq("g8"), sq("f6")), 2048);

  counterMove[sq("e2")][sq("e4")].m.u = reply.u;
  gen();
  EXPECT_EQ(score_of(sq("g8"), sq("f6")), 9995100);

  killer1[ply].m = reply;
  gen();
  EXPECT_EQ(score_of(sq("g8"), sq("f6")), 9995500);

  mkiller1[ply].m = reply;
  gen();
  EXPECT_EQ(score_of(sq("g8"), sq("f6")), 9999000);
}

TEST_F(MoveOrder, CastlingKillerScoresAsKiller) {
  set_position("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  gen();
  EXPECT_EQ(score_of(sq("e1"), sq("g1")), 9995600);
  killer2[ply].m = generated_move(sq("e1"), sq("g1"));
  gen();
  EXPECT_EQ(score_of(sq("e1"), sq("g1")), 9995300);
}

// With no move played there is no previous move to answer.
TEST_F(MoveOrder, NoCounterMoveAtFirstPosition) {
  set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const move m = generated_move(sq("g1"), sq("f3"));
  for (auto& row : counterMove)
    for (gen_entry& e : row) e.m.u = m.u;
  gen();
  EXPECT_EQ(score_of(sq("g1"), sq("f3")), 2048);
}

TEST_F(MoveOrder, CaptureScoresByExchange) {
  const struct {
    const char* fen;
    const char *from, *to;
    int score;
  } cases[] = {
      {"4k3/8/4p3/3p4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 9996000 + 100 - PAWN},          // even
      {"4k3/8/4p3/3p4/4P3/8/8/3QK3 w - - 0 1", "e4", "d5", 9997000 + 100 - 100},         // wins a pawn
      {"4k3/8/4p3/3p4/8/8/8/3QK3 w - - 0 1", "d1", "d5", 9994000 + 100 - 1000},          // loses the queen
      {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 1", "e4", "d5", 9996000 + 100},
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    gen();
    EXPECT_EQ(score_of(sq(c.from), sq(c.to)), c.score) << c.fen;
  }
}

TEST_F(MoveOrder, KingCapturesOnlyUndefendedPieces) {
  set_position("4k3/8/8/8/8/8/3pp3/4K3 w - - 0 1");
  const int before = first_move[ply + 1];
  gen_push_king_evade(sq("e1"), sq("e2"), MF_CAPTURE);  // e2 is not defended
  EXPECT_EQ(first_move[ply + 1], before + 1);
  EXPECT_EQ(gen_dat[before].score, 9997000 + 100);

  set_position("4k3/8/8/8/8/4p3/3p4/4K3 w - - 0 1");  // e3 defends d2
  const int start = first_move[ply + 1];
  gen_push_king_evade(sq("e1"), sq("d2"), MF_CAPTURE);
  EXPECT_EQ(first_move[ply + 1], start);
}

}  // namespace
