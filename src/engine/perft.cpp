// "perft": counts the leaves of the legal-move tree, a check of the move
// generator and of make/unmake.
#include "board/makemove.h"
#include "board/position.h"
#include "engine/diagnostics.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "output/output.h"
#include "platform/platform.h"

namespace {

// Deeper trees could not be counted in any reasonable time, and would run
// past the per-level tables.
constexpr int MAX_PERFT_DEPTH = 20;

}  // namespace

double perft(int depth) {
  if (depth == 0) return 1;
  double nodes = 0;
  gen();
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    if (!makemove(gen_dat[i].m.b)) continue;
    nodes += perft(depth - 1);
    takeback();
  }
  return nodes;
}

void start_perft(int depth) {
  if (depth < 1 || depth > MAX_PERFT_DEPTH || hply + depth >= HIST_STACK) {
    SendInfo("info string invalid perft depth %d (1 to %d)", depth, MAX_PERFT_DEPTH);
    return;
  }
  const std::int64_t start = get_ms();
  gen();
  SendInfo("%s", "");  // a blank line before the counts
  double total = 0;
  for (int i = first_move[0]; i < first_move[1]; ++i) {
    const move_bytes m = gen_dat[i].m.b;
    if (!makemove(m)) continue;
    const double n = perft(depth - 1);
    total += n;
    takeback();
    SendInfo(" %s - %0.0f", move_str(m), n);
  }
  // A fast count can take 0 ms; count it as 1 ms rather than divide by zero.
  std::int64_t elapsed = get_ms() - start;
  if (elapsed < 1) elapsed = 1;
  SendInfo("\n Perft %d Summary", depth);
  SendInfo(" Nodes: %0.0f", total);
  SendInfo(" Time: %0.2f sec", static_cast<double>(elapsed) / 1000.0);
  SendInfo(" Nodes/sec: %0.0f\n", total * 1000.0 / static_cast<double>(elapsed));
}
