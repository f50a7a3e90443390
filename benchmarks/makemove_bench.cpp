// Make and unmake per second: every generated move of every symmetry-test
// position made and, when legal, taken back; and perft, the generator and
// make/unmake together, from the start position and a position full of
// castling, en passant, promotions and pins.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_positions.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/diagnostics.h"
#include "movegen/movestack.h"

namespace {

struct PositionMoves {
  PositionState board;
  std::vector<move_bytes> moves;  // pseudo-legal, as the generator gives them
};

const std::vector<PositionMoves>& position_moves() {
  static std::vector<PositionMoves> all = [] {
    std::vector<PositionMoves> v;
    for (const PositionState& c : bench_support::positions()) {
      restore_position(c);
      bench_support::generate_all();
      PositionMoves p{c, {}};
      for (int i = first_move[0]; i < first_move[1]; ++i) p.moves.push_back(gen_dat[i].m.b);
      v.push_back(p);
    }
    return v;
  }();
  return all;
}

void BM_MakeTakeback(benchmark::State& state) {
  const std::vector<PositionMoves>& all = position_moves();
  std::int64_t made = 0;
  for (auto _ : state) {
    for (const PositionMoves& p : all) {
      restore_position(p.board);
      for (const move_bytes& m : p.moves) {
        if (!makemove(m)) continue;
        ++made;
        takeback();
      }
    }
  }
  benchmark::DoNotOptimize(made);
  std::int64_t tried = 0;
  for (const PositionMoves& p : all) tried += static_cast<std::int64_t>(p.moves.size());
  state.SetItemsProcessed(state.iterations() * tried);
}
BENCHMARK(BM_MakeTakeback);

// Leaves per second.
void BM_Perft(benchmark::State& state, const char* fen, int depth) {
  bench_support::positions();  // the engine's start-up
  init_board1(fen);
  gDoPerft = true;
  double leaves = 0;
  for (auto _ : state) leaves += perft(depth);
  gDoPerft = false;
  state.SetItemsProcessed(static_cast<std::int64_t>(leaves));
}
BENCHMARK_CAPTURE(BM_Perft, startpos_4, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Perft, kiwipete_3, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
