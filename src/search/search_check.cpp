// Null-window search of a node whose side to move is in check: every evasion
// is searched, nothing is pruned, only late moves are reduced.
#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "search/node_common.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/tt.h"

PER_THREAD_BEGIN

int search_cut_check(int alpha, int beta, int depth, int nodeSign) {
  const move previous = hist_dat[hply - 1].m;
  if (poll_and_stopped()) return 0;
  pv_length[ply] = ply;
  if (ply > MAX_PLY - 2 || hply > HIST_STACK - 2) return eval();
  count_node();
  int score;
  if (draw_by_rule(false, 2, &score)) return score;

  move hashMove;
  int ttScore;
  const int bound = lookUpH(depth, &ttScore, &hashMove);
  if (bound == TT_LOWER && ttScore >= beta) return beta;
  if (bound == TT_EXACT) return ttScore;
  if (bound == TT_UPPER && ttScore <= alpha) return alpha;

  int best = WORST_SCORE;
  int moveCount = 0;
  bool hashSearched = false;

  if (hash_move_playable(hashMove)) {
    gen_hash_move(hashMove);
    const int i = first_move[ply];
    if (first_move[ply + 1] > i && gen_dat[i].m.u == hashMove.u && make_and_prefetch(gen_dat[i].m.b)) {
      const move m = gen_dat[i].m;
      hashSearched = true;
      moveCount = 1;
      const bool childInCheck = in_check(side);
      const int newDepth = depth - ONE_PLY + define_ext(m, depth, childInCheck, side, false);
      const int v = childInCheck ? -search_cut_check(-alpha - 1, -alpha, newDepth, -nodeSign)
                                 : -search_cut(-alpha - 1, -alpha, newDepth, false, -nodeSign);
      takeback();
      if (si.stop_search) return 0;
      if (null_window_result(m, v, depth, alpha, &best, previous)) return v;
    }
  }

  get_checker(side);
  if (gchecker2 != -1) gen_king();
  else gen_evade();
  if (follow_pv) sort_pv();
  prefetch_children();

  const int d = depth / ONE_PLY;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    pick(i, hashMove);
    const move m = gen_dat[i].m;
    if (hashSearched && m.u == hashMove.u) continue;
    const bool late = depth < 16 * ONE_PLY && moveCount >= futility_move_count[d];
    if (!make_and_prefetch(m.b)) continue;
    ++moveCount;
    const bool childInCheck = in_check(side);
    const int newDepth = depth - ONE_PLY + define_ext(m, depth, childInCheck, side, false);

    int v;
    if (childInCheck) {
      v = -search_cut_check(-alpha - 1, -alpha, newDepth, -nodeSign);
    } else if (depth >= 3 * ONE_PLY && moveCount >= 6 && (!(m.b.bits & (MF_CAPTURE | MF_PROMOTE)) || late)) {
      const int r = std::max(ONE_PLY * reduction_table[0][std::min(d, 63)][std::min(moveCount, 63)], ONE_PLY);
      v = -search_cut(-alpha - 1, -alpha, std::max(newDepth - r, ONE_PLY), true, -nodeSign);
      if (v > alpha) v = -search_cut(-alpha - 1, -alpha, newDepth, true, -nodeSign);
    } else {
      v = -search_cut(-alpha - 1, -alpha, newDepth, true, -nodeSign);
    }
    takeback();
    if (si.stop_search) return 0;

    if (null_window_result(m, v, depth, alpha, &best, previous)) return v;
    if (nodeSign == 1) nodeSign = -1;
  }

  if (moveCount == 0) return ply - MATE_VALUE;
  if (si.stop_search) return 0;
  storeHashUpper(depth, best, TT_UPPER);
  return best;
}

PER_THREAD_END
