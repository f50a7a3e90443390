// Move generation per second over the symmetry-test positions: the full
// generator (or the evasions when in check), the three stages of a non-PV
// node, and the quiescence captures and quiet checks. Each pass restores
// every position in turn and generates its list once.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_positions.h"
#include "movegen/staged.h"

namespace {

using bench_support::positions;

void staged() {
  gen_win_caps();
  gen_equal_caps();
  gen_rest();
}

void BM_Generate(benchmark::State& state, void (*generate)()) {
  const std::vector<PositionState>& all = positions();
  for (auto _ : state) {
    for (const PositionState& c : all) {
      restore_position(c);
      generate();
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}
BENCHMARK_CAPTURE(BM_Generate, full, bench_support::generate_all);
BENCHMARK_CAPTURE(BM_Generate, staged, staged);
BENCHMARK_CAPTURE(BM_Generate, captures, gen_caps);
BENCHMARK_CAPTURE(BM_Generate, quiet_checks, gen_non_caps_check);

}  // namespace
