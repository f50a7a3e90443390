// Evaluations per second over the symmetry-test positions.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_positions.h"
#include "eval/eval.h"
#include "eval/eval_hash.h"

namespace {

using bench_support::positions;

// One evaluation of every position per pass, the evaluation cache emptied
// before each pass. Keeping the pawn and shelter caches is the search's usual
// case: the pawn structure is known, the position itself is new.
void BM_Eval(benchmark::State& state, bool keep_pawn_caches) {
  const std::vector<PositionState>& all = positions();
  for (auto _ : state) {
    state.PauseTiming();
    clear_eval_caches(true, !keep_pawn_caches, !keep_pawn_caches);
    state.ResumeTiming();
    for (const PositionState& c : all) {
      restore_position(c);
      benchmark::DoNotOptimize(eval());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}
BENCHMARK_CAPTURE(BM_Eval, fresh, false);
BENCHMARK_CAPTURE(BM_Eval, pawns_cached, true);

}  // namespace
