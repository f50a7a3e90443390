// The staged generators: the three non-PV stages together, the quiescence
// captures and recaptures, and the quiet checks, each against the full
// generator and the board after the move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/staged.h"
#include "position_corpus.h"
#include "test_support.h"

namespace {

// Killers and history as at the start of a search, so that scores depend on
// the position alone.
class Staged : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_setup();
    std::memset(killer1, 0, sizeof killer1);
    std::memset(killer2, 0, sizeof killer2);
    std::memset(mkiller1, 0, sizeof mkiller1);
    std::memset(counterMove, 0, sizeof counterMove);
    for (auto& by_colour : historyScore)
      for (auto& by_kind : by_colour)
        for (int& h : by_kind) h = 2048;
  }
  void TearDown() override { set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"); }
};

std::vector<MoveKey> keys_of(void (*generate)(), bool with_score) {
  generate();
  return level_keys(with_score);
}

std::vector<MoveKey> merged(std::vector<MoveKey> a, const std::vector<MoveKey>& b) {
  a.insert(a.end(), b.begin(), b.end());
  std::sort(a.begin(), a.end());
  return a;
}

enum Stage { WIN, EQUAL, REST };

// The stage a move of gen() belongs to, by attacker and victim kinds.
Stage stage_of(const MoveKey& k) {
  const int mover = piece[k.from], victim = piece[k.to];
  if (k.bits & MF_EP) return EQUAL;
  if (mover == PAWN) {
    if (k.bits & MF_PROMOTE) return WIN;
    if (victim == EMPTY) return REST;
    return victim == PAWN ? EQUAL : WIN;
  }
  if (victim == EMPTY) return REST;
  const bool minor = mover == KNIGHT || mover == BISHOP;
  if (minor && (victim == ROOK || victim == QUEEN)) return WIN;
  if (mover == ROOK && victim == QUEEN) return WIN;
  if (minor && (victim == KNIGHT || victim == BISHOP)) return EQUAL;
  if ((mover == ROOK || mover == QUEEN) && victim == mover) return EQUAL;
  return REST;
}

bool under_promotion(const MoveKey& k) { return k.promote >= KNIGHT && k.promote <= ROOK; }

std::vector<MoveKey> with_bits(const std::vector<MoveKey>& keys, int any_of) {
  std::vector<MoveKey> out;
  for (const MoveKey& k : keys)
    if ((k.bits & any_of) && !under_promotion(k)) out.push_back(k);
  return out;
}

TEST_F(Staged, ThreeStagesGiveEveryMoveOnce) {
  int captures = 0;
  const int positions = for_each_corpus_position([&] {
    const std::vector<MoveKey> all = keys_of(gen, true);
    const std::vector<MoveKey> win = keys_of(gen_win_caps, true);
    const std::vector<MoveKey> equal = keys_of(gen_equal_caps, true);
    const std::vector<MoveKey> rest = keys_of(gen_rest, true);
    EXPECT_EQ(merged(merged(win, equal), rest), all) << board_fen() << " at ply " << ply;
    const std::vector<MoveKey>* stages[] = {&win, &equal, &rest};
    for (int s = WIN; s <= REST; ++s)
      for (const MoveKey& k : *stages[s]) {
        EXPECT_EQ(stage_of(k), s) << board_fen() << " move " << k.from << "-" << k.to;
        captures += (k.bits & MF_CAPTURE) != 0;
      }
  });
  EXPECT_GT(positions, 1000);
  EXPECT_GT(captures, 3000);
}

TEST_F(Staged, UnderPromotionsFollowTheLevel) {
  set_position("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  gen_win_caps();
  std::vector<gen_entry> list = level_moves();
  ASSERT_EQ(list.size(), 8u);  // at the root: all four pieces, capture first
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(list[i].m.b.from, sq("b7"));
    EXPECT_EQ(list[i].m.b.to, i < 4 ? sq("a8") : sq("b8"));
    EXPECT_EQ(list[i].m.b.bits, i < 4 ? 49 : 48);
    EXPECT_EQ(list[i].m.b.promote, KNIGHT + i % 4);
  }
  ply = 2;
  first_move[2] = 0;
  gen_win_caps();
  list = level_moves();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].m.b.to, sq("a8"));
  EXPECT_EQ(list[0].m.b.promote, QUEEN);
  EXPECT_EQ(list[1].m.b.to, sq("b8"));
  EXPECT_EQ(list[1].m.b.promote, QUEEN);
  ply = 0;
}

TEST_F(Staged, PawnTakesRookIsWinningButKnightTakesPawnComesLast) {
  set_position("4k3/8/8/2r2p2/1P6/4N3/8/4K3 w - - 0 1");
  gen_win_caps();
  std::vector<gen_entry> list = level_moves();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(move_text(list[0].m), "b4c5");
  EXPECT_EQ(list[0].m.b.bits, 17);
  gen_equal_caps();
  EXPECT_TRUE(level_moves().empty());
  gen_rest();
  list = level_moves();
  const auto knight_capture =
      std::find_if(list.begin(), list.end(), [](const gen_entry& g) { return move_text(g.m) == "e3f5"; });
  ASSERT_NE(knight_capture, list.end());
  EXPECT_EQ(knight_capture->m.b.bits, MF_CAPTURE);
}

TEST_F(Staged, EnPassantAfterPieceCaptures) {
  set_position("4k2q/8/8/2n1pP2/8/3N4/8/4K2Q w - e6 0 2");
  gen_equal_caps();
  std::vector<std::string> order;
  for (const gen_entry& g : level_moves()) order.push_back(move_text(g.m));
  const std::vector<std::string> expected = {"d3c5", "h1h8", "f5e6"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(level_moves().back().m.b.bits, 21);
}

TEST_F(Staged, QuiescenceCapturesAreCapturesAndQueenPromotions) {
  for_each_corpus_position([&] {
    const std::vector<MoveKey> all = keys_of(gen, false);
    EXPECT_EQ(keys_of(gen_caps, false), with_bits(all, MF_CAPTURE | MF_PROMOTE)) << board_fen();
  });
}

TEST_F(Staged, QuiescenceCaptureScores) {
  set_position("4k3/8/5b2/3n4/2P1N3/8/8/4K3 w - - 0 1");
  gen_caps();
  int pawn_takes_knight = -1, knight_takes_bishop = -1;
  for (const gen_entry& g : level_moves()) {
    if (move_text(g.m) == "c4d5") pawn_takes_knight = g.score;
    if (move_text(g.m) == "e4f6") knight_takes_bishop = g.score;
  }
  EXPECT_EQ(pawn_takes_knight, 9997000 + 315 - 100);
  // Knight takes bishop is not ranked until the picker evaluates the exchange.
  EXPECT_EQ(knight_takes_bishop, 0);
}

TEST_F(Staged, RecapturesAreTheCapturesOntoThatSquare) {
  int squares = 0;
  for_each_corpus_position([&] {
    const std::vector<MoveKey> all = with_bits(keys_of(gen, false), MF_CAPTURE);
    for (int t = 0; t < 64; ++t) {
      if (color[t] != xside) continue;
      ++squares;
      std::vector<MoveKey> expected;
      for (const MoveKey& k : all)
        if (k.to == t && !(k.bits & MF_EP)) expected.push_back(k);
      gen_caps_last_sq(t);
      EXPECT_EQ(level_keys(false), expected) << board_fen() << " square " << t;
    }
  });
  EXPECT_GT(squares, 10000);
}

TEST_F(Staged, RecaptureByKingNotNextToEnemyKing) {
  set_position("8/8/8/8/3Kpk2/2N5/8/8 w - - 0 1");
  gen_caps_last_sq(sq("e4"));
  const std::vector<gen_entry> list = level_moves();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(move_text(list[0].m), "c3e4");
  set_position("8/8/8/6k1/3Kp3/2N5/8/8 w - - 0 1");
  gen_caps_last_sq(sq("e4"));
  EXPECT_EQ(level_moves().size(), 2u);  // with the enemy king away from e4 the king may take
}

// True when the piece that moved to `to` attacks the enemy king itself.
bool checks_directly(int to) {
  const int kind = piece[to];
  return walk_attacks(kind, to, Pos[2], color[to]) & SquareBB[KingLocation(side)];
}

TEST_F(Staged, QuietChecksAreExactlyTheCheckingQuietMoves) {
  int found = 0, discovered = 0, pawn_checks = 0;
  for_each_corpus_position([&] {
    gen();
    std::vector<gen_entry> quiet;
    for (const gen_entry& g : level_moves())
      if (!(g.m.b.bits & (MF_CAPTURE | MF_CASTLE))) quiet.push_back(g);
    gen_non_caps_check();
    const std::vector<gen_entry> checks = level_moves();

    auto count_in = [](const std::vector<gen_entry>& list, const move& m) {
      return std::count_if(list.begin(), list.end(), [&](const gen_entry& g) {
        return g.m.u == m.u && g.m.b.bits == m.b.bits;
      });
    };
    // Nothing invented: each is a quiet move of gen() that checks once made.
    for (const gen_entry& g : checks) {
      EXPECT_EQ(count_in(quiet, g.m), 1) << board_fen() << " " << move_text(g.m);
      EXPECT_LE(count_in(checks, g.m), 2) << board_fen() << " " << move_text(g.m);
      if (!makemove(g.m.b)) continue;
      EXPECT_TRUE(in_check(side)) << board_fen() << " after " << move_text(g.m);
      takeback();
    }
    // Nothing missed, apart from what the generator leaves out by design:
    // king moves, castling and promotions that check directly.
    for (const gen_entry& g : quiet) {
      if (g.m.b.moved == KING) continue;
      if (!makemove(g.m.b)) continue;
      const bool gives_check = in_check(side);
      const bool direct = checks_directly(g.m.b.to);
      const bool promotion = (g.m.b.bits & MF_PROMOTE) != 0;
      takeback();
      if (!gives_check) continue;
      if (promotion && direct) continue;
      ++found;
      discovered += !direct;
      pawn_checks += direct && g.m.b.moved == PAWN;
      EXPECT_GE(count_in(checks, g.m), 1) << board_fen() << " misses " << move_text(g.m);
    }
  });
  EXPECT_GT(found, 300);
  EXPECT_GT(discovered, 30);
  EXPECT_GT(pawn_checks, 5);
}

TEST_F(Staged, BishopUncoveringRookChecksFromEverySquare) {
  set_position("8/8/8/8/R1B4k/8/8/4K3 w - - 0 1");
  gen_non_caps_check();
  std::vector<std::string> moves;
  for (const gen_entry& g : level_moves()) {
    EXPECT_EQ(g.score, 50000000) << move_text(g.m);
    moves.push_back(move_text(g.m));
  }
  std::sort(moves.begin(), moves.end());
  const std::vector<std::string> expected = {"c4a2", "c4a6", "c4b3", "c4b5", "c4d3", "c4d5",
                                             "c4e2", "c4e6", "c4f1", "c4f7", "c4g8"};
  EXPECT_EQ(moves, expected);
}

TEST_F(Staged, DiscoveredAndDirectCheckTogetherAppearTwice) {
  set_position("4k3/8/8/8/4N3/8/8/4RK2 w - - 0 1");
  gen_non_caps_check();
  const std::vector<gen_entry> list = level_moves();
  auto count = [&](const char* text) {
    return std::count_if(list.begin(), list.end(), [&](const gen_entry& g) { return move_text(g.m) == text; });
  };
  EXPECT_EQ(count("e4d6"), 2);
  EXPECT_EQ(count("e4f6"), 2);
  EXPECT_EQ(count("e4c5"), 1);
  EXPECT_EQ(count("e4g3"), 1);
}

TEST_F(Staged, PawnChecksByDoubleStepAndPromotionByDiscovery) {
  set_position("4k3/3p4/8/8/4K3/8/8/8 b - - 0 1");
  gen_non_caps_check();
  std::vector<gen_entry> list = level_moves();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(move_text(list[0].m), "d7d5");
  EXPECT_EQ(list[0].m.b.bits, 24);
  EXPECT_EQ(list[0].score, 2048);  // scored as an ordinary quiet move

  set_position("8/RP5k/8/8/8/8/8/K7 w - - 0 1");
  gen_non_caps_check();
  list = level_moves();
  ASSERT_EQ(list.size(), 4u);
  for (const gen_entry& g : list) {
    EXPECT_EQ(g.m.b.bits, 48);
    EXPECT_GT(g.score, 50000000);
  }
}

}  // namespace
