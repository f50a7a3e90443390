// Search of a node on the principal variation (open window): never cut by
// the table, first move with the full window, later moves with a null
// window first; late quiet moves pruned by count, late moves reduced.
#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/see.h"
#include "options/options.h"
#include "search/node_common.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/tt.h"

PER_THREAD_BEGIN

int search_pv(int alpha, int beta, int depth, bool inCheck) {
  const move previous = hist_dat[hply - 1].m;
  int score;
  if (decided_on_entry(alpha, beta, depth, &score)) return score;
  if (draw_by_rule(!inCheck, OptionUci.analyse_mode || inCheck ? 2 : 1, &score)) return score;

  move hashMove;
  int ttScore;
  lookUpH(depth, &ttScore, &hashMove);  // only the move is used here
  if (!hashMove.u && depth >= 3 * ONE_PLY) {
    if (search_pv(alpha, beta, depth - 2 * ONE_PLY, inCheck) <= alpha)
      search_pv(-MATE_VALUE, beta, depth - 2 * ONE_PLY, inCheck);
    hashMove = pv[ply][ply];
  }

  if (inCheck) {
    get_checker(side);
    if (gchecker2 != -1) gen_king();
    else gen_evade();
  } else {
    gen();
  }
  if (follow_pv) sort_pv();
  if (first_move[ply + 1] == first_move[ply]) {
    if (si.stop_search) return 0;
    return inCheck ? ply - MATE_VALUE : draw_score(OptionUci.stalemate_score);
  }

  const int alphaEntry = alpha;
  int best = WORST_SCORE;
  int moveCount = 0;
  const int d = depth / ONE_PLY;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    pick(i, hashMove);
    const move m = gen_dat[i].m;
    const bool capture = m.b.bits & MF_CAPTURE;
    const bool quietish = !(m.b.bits & (MF_CASTLE | MF_EP | MF_PROMOTE)) && !inCheck;
    const bool late = depth < 16 * ONE_PLY && moveCount >= futility_move_count[d];
    bool givesCheck = false;
    if (quietish) {
      givesCheck = MoveGivesCheck(m);
      const bool dangerous = capture || PawnTo7thRank(m);
      if (piece[m.b.from] != KING && !dangerous && !givesCheck && moveCount > 3 && late) continue;
    }
    const bool seeOk = !givesCheck || capture || see_move(m) >= 0;
    if (!make_and_prefetch(m.b)) continue;
    ++moveCount;
    const bool childInCheck = quietish ? givesCheck : in_check(side);
    const bool unsafe_check = childInCheck && !capture && !seeOk && depth >= 2 * ONE_PLY;
    const int ext = unsafe_check ? 0 : define_ext(m, depth, childInCheck, side, true);
    const int newDepth = depth - ONE_PLY + ext;

    int reducedDepth = 0;
    if (!childInCheck && moveCount >= 4 && depth >= 3 * ONE_PLY && (!(m.b.bits & (MF_CAPTURE | MF_PROMOTE)) || late)) {
      // A late move is always reduced by at least one ply, never below depth 2.
      const int r = get_lmr(true, depth, moveCount);
      reducedDepth = std::max(newDepth - std::max(r, ONE_PLY), ONE_PLY);
    }
    const int v = best == WORST_SCORE ? -search_pv(-beta, -alpha, newDepth, childInCheck)
                                      : pv_child_search(alpha, beta, newDepth, childInCheck, reducedDepth);
    takeback();
    if (si.stop_search) return 0;
    if (pv_move_result(m, v, depth, beta, &best, &alpha, previous)) return v;
  }

  if (si.stop_search) return 0;
  if (moveCount == 0) return inCheck ? ply - MATE_VALUE : draw_score(OptionUci.stalemate_score);
  return finish_pv_node(best, alphaEntry, depth, previous);
}

PER_THREAD_END
