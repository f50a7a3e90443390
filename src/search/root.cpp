// The root of the search: every legal root move (restricted by "searchmoves",
// minus the lines MultiPV has already reported) under the aspiration window.
#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "options/options.h"
#include "output/output.h"
#include "search/control.h"
#include "search/node_common.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/tt.h"

PER_THREAD_BEGIN

namespace {

bool listed(const std::uint32_t* moves, int count, std::uint32_t u) {
  return std::find(moves, moves + count, u) != moves + count;
}

}  // namespace

void sort_pv() {
  follow_pv = false;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i)
    if (gen_dat[i].m.u == pv[0][ply].u) {
      gen_dat[i].score = PV_MOVE_SCORE;
      follow_pv = true;
      return;
    }
}

void ShowRootMoves(move m, int index) {
  if (si.time_available >= 120000) SendInfo("info currmove %s currmovenumber %d", move_str(m.b), index + 1);
}

int search_root(int alpha, int beta, int depth, bool inCheck, int checker1, int checker2) {
  CheckUserInputandTime();
  move previous{};
  if (hply > 1) previous = hist_dat[hply - 1].m;
  pv_length[ply] = ply;
  // A full game history leaves no record for a move to be made.
  if (hply > HIST_STACK - 2) return eval();

  if (inCheck) {
    gchecker1 = checker1;
    gchecker2 = checker2;
    if (checker2 == -1) gen_evade();
    else gen_king();
  } else {
    gen();
  }
  if (follow_pv) sort_pv();

  const int alphaEntry = alpha;
  int best = WORST_SCORE;
  int count = 0;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    sort(i);
    const move m = gen_dat[i].m;
    if (SearchInput.count > 0 && !listed(SearchInput.moves, SearchInput.count, m.u)) continue;
    if (listed(ExcludeMove.moves, ExcludeMove.count, m.u)) continue;
    const bool late = depth < 16 * ONE_PLY && futility_move_count[depth / ONE_PLY] <= count;
    const int index = i - first_move[ply];
    if (!make_and_prefetch(m.b)) continue;
    ++count;
    if (si.elapsed > 1500 && !si.bench) ShowRootMoves(m, index);
    const bool givesCheck = in_check(side);
    const int newDepth = depth - ONE_PLY + define_ext(m, depth, givesCheck, side, true);

    int reducedDepth = 0;
    if (!givesCheck && (!(m.b.bits & (MF_CAPTURE | MF_PROMOTE)) || late) && newDepth >= 3 * ONE_PLY && count >= 9) {
      const int r = std::max(ONE_PLY * reduction_table[1][std::min(depth / ONE_PLY, 63)][std::min(count, 63)], ONE_PLY);
      reducedDepth = std::max(newDepth - r, ONE_PLY);
    }
    const int score = best == WORST_SCORE ? -search_pv(-beta, -alpha, newDepth, givesCheck)
                                          : pv_child_search(alpha, beta, newDepth, givesCheck, reducedDepth);
    takeback();
    if (si.stop_search) return 0;
    if (pv_move_result(m, score, depth, beta, &best, &alpha, previous)) return score;
  }

  if (si.stop_search) return 0;
  if (count == 0) {
    if (ExcludeMove.count > 0) return ROOT_MOVES_EXHAUSTED;
    return inCheck ? ply - MATE_VALUE : draw_score(OptionUci.stalemate_score);
  }
  // A single evasion needs little thought. The clock is the main thread's.
  if (count == 1 && inCheck && !helper_thread) stop_time -= max_time / 2;
  return finish_pv_node(best, alphaEntry, depth, previous);
}

PER_THREAD_END
