#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "board/bitboard.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "search/think.h"

void engine_setup() {
  static bool done = false;
  if (done) return;
  done = true;
  init_engine();
  set_position(spos);
}

void set_position(const char* fen, unsigned seed) {
  engine_setup();
  std::srand(seed);
  init_board(fen);
  gen();
  root_hply = hply;
  // A rejected text silently becomes the start position: a test meaning an
  // illegal position would then test something else.
  char written[128];
  get_fen(written);
  const std::string given(fen), placed(written);
  if (given.substr(0, given.find(' ')) != placed.substr(0, placed.find(' ')))
    ADD_FAILURE() << "position rejected: " << fen;
}

int sq(const char* name) { return (name[0] - 'a') + ('8' - name[1]) * 8; }

std::vector<gen_entry> level_moves() {
  return std::vector<gen_entry>(gen_dat + first_move[ply], gen_dat + first_move[ply + 1]);
}

std::vector<move> legal_level_moves() {
  std::vector<move> legal;
  for (const gen_entry& g : level_moves()) {
    if (!makemove(g.m.b)) continue;
    takeback();
    legal.push_back(g.m);
  }
  return legal;
}

move generated_move(int from, int to, int promote) {
  gen();
  for (const gen_entry& g : level_moves())
    if (g.m.b.from == from && g.m.b.to == to && g.m.b.promote == promote) return g.m;
  move none{};
  return none;
}

bool play_random_move(std::mt19937& rng) {
  gen();
  const std::vector<move> legal = legal_level_moves();
  if (legal.empty()) return false;
  return makemove(legal[rng() % legal.size()].b);
}

u64 walk_attacks(int kind, int sq, u64 occ, int pawn_color) {
  static const int knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  static const int king[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  static const int diagonal[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
  static const int straight[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  const int f0 = file_of(sq), r0 = row_of(sq);
  auto on_board = [](int f, int r) { return f >= 0 && f < 8 && r >= 0 && r < 8; };
  auto bit = [](int f, int r) { return 1ULL << ((r * 8 + f) ^ 56); };
  u64 result = 0;
  auto steps = [&](const int (*d)[2], int n) {
    for (int i = 0; i < n; ++i)
      if (on_board(f0 + d[i][0], r0 + d[i][1])) result |= bit(f0 + d[i][0], r0 + d[i][1]);
  };
  auto rays = [&](const int (*d)[2]) {
    for (int i = 0; i < 4; ++i)
      for (int f = f0 + d[i][0], r = r0 + d[i][1]; on_board(f, r); f += d[i][0], r += d[i][1]) {
        result |= bit(f, r);
        if (occ & bit(f, r)) break;
      }
  };
  switch (kind) {
    case PAWN: {
      const int up = pawn_color == WHITE ? -1 : 1;  // rows grow towards the first rank
      const int captures[2][2] = {{-1, up}, {1, up}};
      steps(captures, 2);
      break;
    }
    case KNIGHT: steps(knight, 8); break;
    case KING: steps(king, 8); break;
    case BISHOP: rays(diagonal); break;
    case ROOK: rays(straight); break;
    case QUEEN: rays(diagonal); rays(straight); break;
  }
  return result;
}

PerftMode::PerftMode() {
  engine_setup();  // start-up clears the flag
  gDoPerft = true;
}
PerftMode::~PerftMode() { gDoPerft = false; }
