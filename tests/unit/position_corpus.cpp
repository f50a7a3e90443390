#include "position_corpus.h"

#include <algorithm>
#include <random>

#include "board/fen.h"
#include "board/position.h"
#include "engine/startup.h"
#include "movegen/movestack.h"
#include "test_support.h"

namespace {

const char* const kCorpus[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R w KQkq - 0 1",
    "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R b KQkq - 0 1",
    "8/8/8/8/R1B4k/8/8/4K3 w - - 0 1",              // bishop uncovers a rook
    "8/8/7k/8/8/8/3P4/2B1K3 w - - 0 1",             // pawn steps uncover a bishop
    "4k3/8/8/8/4N3/8/8/4RK2 w - - 0 1",             // knight uncovers a rook
    "7k/8/8/8/3R4/8/1B6/4K3 w - - 0 1",             // rook uncovers a bishop
    "4k3/8/8/8/8/8/4K3/4R3 w - - 0 1",              // king uncovers a rook
    "8/RP5k/8/8/8/8/8/K7 w - - 0 1",                // promotion uncovers a rook
    "4k2b/8/8/8/3p4/8/8/K7 b - - 0 1",              // black pawn uncovers a bishop
    "8/8/8/4k3/8/5P2/3P4/4K3 w - - 0 1",            // pawn checks by single and double step
    "4k3/3p4/8/8/4K3/8/8/8 b - - 0 1",              // black double-step check
    "4k3/8/8/2n1pP2/8/3N4/8/4K3 w - e6 0 2",
    "r1b1r1k1/pp4bp/5np1/2qPB3/8/6NP/PPP1Q1B1/R4R1K w - - 0 1",
    "4n1q1/1k1b4/2p4R/2Pp4/1p1N1rpQ/3B4/PPP2P2/2K5 w - - 0 1",
    "8/2b2k1p/2N2pp1/P2p4/3KnP2/6BP/P5P1/8 w - - 0 1",
    "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1",
};

}  // namespace

int for_each_corpus_position(const std::function<void()>& visit) {
  std::mt19937 rng(20240601);
  int visited = 0;
  for (const char* start : kCorpus)
    for (int game = 0; game < 3; ++game) {
      set_position(start);
      if (game == 0) {
        visit();
        ++visited;
      }
      for (int p = 0; p < 50 && play_random_move(rng); ++p) {
        visit();
        ++visited;
      }
    }
  set_position(spos);
  return visited;
}

std::string board_fen() {
  char buf[256] = {};
  get_fen(buf);
  return buf;
}

std::string move_text(const move& m) {
  std::string s = std::string(square_name[m.b.from]) + square_name[m.b.to];
  if (m.b.promote != EMPTY) s += "pnbrqk"[m.b.promote];
  return s;
}

std::vector<MoveKey> level_keys(bool with_score) {
  std::vector<MoveKey> keys;
  for (const gen_entry& g : level_moves())
    keys.push_back({g.m.b.from, g.m.b.to, g.m.b.promote, g.m.b.bits, with_score ? g.score : 0});
  std::sort(keys.begin(), keys.end());
  return keys;
}
