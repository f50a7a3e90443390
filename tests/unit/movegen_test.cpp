// The move generator: leaf counts against the published numbers (the largest
// only with CORVANTIS_DEEP_PERFT=1), and the evasion and staged
// generators against the full generator and the board after the move.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/staged.h"
#include "test_support.h"

namespace {

const struct {
  const char* fen;
  std::vector<double> nodes;
} kPerft[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {20, 400, 8902, 197281, 4865609, 119060324}},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862, 4085603, 193690690}},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624, 11030083}},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333, 15833292}},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487}},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", {46, 2079, 89890, 3894594}},
};

TEST(MoveGen, PerftMatchesPublishedCounts) {
  for (const auto& c : kPerft) expect_perft_counts(c.fen, c.nodes, 5e6);
}

// Identity of a generated move for comparing lists as multisets.
struct MoveKey {
  int from, to, promote, bits, score;
  auto operator<=>(const MoveKey&) const = default;
};

std::vector<MoveKey> keys_of(const std::vector<gen_entry>& list, bool with_score) {
  std::vector<MoveKey> keys;
  for (const gen_entry& g : list)
    keys.push_back({g.m.b.from, g.m.b.to, g.m.b.promote, g.m.b.bits, with_score ? g.score : 0});
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::vector<MoveKey> generated(void (*generate)(), bool with_score = false) {
  generate();
  return keys_of(level_moves(), with_score);
}

std::vector<MoveKey> legal_keys() {
  std::vector<gen_entry> legal;
  for (const move& m : legal_level_moves()) legal.push_back({m, 0});
  return keys_of(legal, false);
}

// In check, the evasion generator picked as the search picks it must yield
// exactly the legal moves of the full generator.
TEST(MoveGen, EvasionsAreTheLegalMoves) {
  int checks = 0;
  for_each_corpus_position([&] {
    if (!in_check(side)) return;
    ++checks;
    gen();
    const std::vector<MoveKey> full = legal_keys();
    get_checker(side);
    if (gchecker2 != -1) gen_king();
    else gen_evade();
    EXPECT_EQ(legal_keys(), full) << board_fen();
  });
  EXPECT_GT(checks, 100);
}

class Staged : public ::testing::Test {
 protected:
  void SetUp() override { reset_ordering_tables(); }  // scores depend on the position alone
};

enum Stage { WIN, EQUAL, REST };

// The stage a move of gen() belongs to, by attacker and victim kinds.
Stage stage_of(const MoveKey& k) {
  const int mover = piece[k.from], victim = piece[k.to];
  const bool minor = mover == KNIGHT || mover == BISHOP;
  if (k.bits & MF_EP) return EQUAL;
  if (mover == PAWN && (k.bits & MF_PROMOTE)) return WIN;
  if (victim == EMPTY) return REST;
  if (mover == PAWN) return victim == PAWN ? EQUAL : WIN;
  if ((minor && (victim == ROOK || victim == QUEEN)) || (mover == ROOK && victim == QUEEN)) return WIN;
  if ((minor && (victim == KNIGHT || victim == BISHOP)) || ((mover == ROOK || mover == QUEEN) && victim == mover))
    return EQUAL;
  return REST;
}

TEST_F(Staged, ThreeStagesGiveEveryMoveOnceInItsClass) {
  int captures = 0;
  const int positions = for_each_corpus_position([&] {
    const std::vector<MoveKey> stages[3] = {generated(gen_win_caps, true), generated(gen_equal_caps, true),
                                            generated(gen_rest, true)};
    std::vector<MoveKey> merged;
    for (int s = WIN; s <= REST; ++s)
      for (const MoveKey& k : stages[s]) {
        merged.push_back(k);
        EXPECT_EQ(stage_of(k), s) << board_fen() << " move " << k.from << "-" << k.to;
        captures += (k.bits & MF_CAPTURE) != 0;
      }
    std::sort(merged.begin(), merged.end());
    EXPECT_EQ(merged, generated(gen, true)) << board_fen() << " at ply " << ply;
  });
  EXPECT_GT(positions, 1000);
  EXPECT_GT(captures, 3000);
}

// gen_caps gives every capture and queen promotion; gen_caps_last_sq(t) the
// captures onto t (en passant aside).
TEST_F(Staged, QuiescenceCapturesAndRecaptures) {
  int squares = 0;
  for_each_corpus_position([&] {
    std::vector<MoveKey> captures;
    for (const MoveKey& k : generated(gen))
      if ((k.bits & (MF_CAPTURE | MF_PROMOTE)) && (k.promote == EMPTY || k.promote == QUEEN)) captures.push_back(k);
    EXPECT_EQ(generated(gen_caps), captures) << board_fen();
    for (int t = 0; t < 64; ++t) {
      if (color[t] != xside) continue;
      ++squares;
      std::vector<MoveKey> expected;
      std::copy_if(captures.begin(), captures.end(), std::back_inserter(expected),
                   [t](const MoveKey& k) { return k.to == t && !(k.bits & MF_EP); });
      gen_caps_last_sq(t);
      EXPECT_EQ(keys_of(level_moves(), false), expected) << board_fen() << " square " << t;
    }
  });
  EXPECT_GT(squares, 10000);
}

// Each generated quiet check is a quiet move of gen() that checks once made
// (at most twice: a direct and a discovered check); every quiet move that
// checks is generated, apart from king moves, castling and promotions that
// check directly, which the generator leaves out by design.
TEST_F(Staged, QuietChecksAreExactlyTheCheckingQuietMoves) {
  int found = 0, discovered = 0;
  for_each_corpus_position([&] {
    gen();
    std::vector<gen_entry> quiet;
    for (const gen_entry& g : level_moves())
      if (!(g.m.b.bits & (MF_CAPTURE | MF_CASTLE))) quiet.push_back(g);
    gen_non_caps_check();
    const std::vector<gen_entry> checks = level_moves();
    auto count_in = [](const std::vector<gen_entry>& list, const move& m) {
      return std::count_if(list.begin(), list.end(),
                           [&](const gen_entry& g) { return g.m.u == m.u && g.m.b.bits == m.b.bits; });
    };
    for (const gen_entry& g : checks) {
      EXPECT_EQ(count_in(quiet, g.m), 1) << board_fen() << " " << move_text(g.m);
      EXPECT_LE(count_in(checks, g.m), 2) << board_fen() << " " << move_text(g.m);
      if (!makemove(g.m.b)) continue;
      EXPECT_TRUE(in_check(side)) << board_fen() << " after " << move_text(g.m);
      takeback();
    }
    for (const gen_entry& g : quiet) {
      if (g.m.b.moved == KING || !makemove(g.m.b)) continue;
      const bool gives_check = in_check(side);
      const bool direct = walk_attacks(piece[g.m.b.to], g.m.b.to, Pos[2], xside) & SquareBB[KingLocation(side)];
      takeback();
      if (!gives_check || (direct && (g.m.b.bits & MF_PROMOTE))) continue;
      ++found;
      discovered += !direct;
      EXPECT_GE(count_in(checks, g.m), 1) << board_fen() << " misses " << move_text(g.m);
    }
  });
  EXPECT_GT(found, 300);
  EXPECT_GT(discovered, 30);
}

}  // namespace
