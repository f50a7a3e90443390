#include "search/node_common.h"

#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/tt.h"

PER_THREAD_BEGIN

bool decided_on_entry(int alpha, int beta, int depth, int* score) {
  *score = 0;
  if (poll_and_stopped()) return true;
  pv_length[ply] = ply;
  if (ply > MAX_PLY - 2 || hply > HIST_STACK - 2) {
    *score = eval();
    return true;
  }
  if (depth < ONE_PLY) {
    *score = qsearch(alpha, beta, 0, false);
    return true;
  }
  count_node();
  return false;
}

bool null_window_result(move m, int v, int depth, int alpha, int* best, move previous) {
  if (v <= *best) {
    if (is_quiet(m)) history_bad(m, v, depth, *best);
    return false;
  }
  if (v <= alpha) {
    *best = v;
    if (is_quiet(m)) history_bad(m, v, depth, alpha);
    return false;
  }
  update_pv(m, ply);
  if (is_quiet(m)) {
    history_good(m, depth);
    update_killers(m, v, previous);
  }
  storeH(m, depth, v, TT_LOWER);
  return true;
}

int pv_child_search(int alpha, int beta, int newDepth, bool childInCheck, int reducedDepth) {
  if (childInCheck) {
    const int v = -search_cut_check(-alpha - 1, -alpha, newDepth, 1);
    return alpha < v && v < beta ? -search_pv(-beta, -alpha, newDepth, true) : v;
  }
  if (reducedDepth) {
    const int v = -search_cut(-alpha - 1, -alpha, reducedDepth, true, 1);
    if (v <= alpha) return v;
  }
  const int v = -search_cut(-alpha - 1, -alpha, newDepth, true, 1);
  return alpha < v && v < beta ? -search_pv(-beta, -alpha, newDepth, false) : v;
}

bool pv_move_result(move m, int v, int depth, int beta, int* best, int* alpha, move previous) {
  if (v <= *best) {
    if (is_quiet(m)) history_bad(m, v, depth, *best);
    return false;
  }
  *best = v;
  if (v <= *alpha) {
    if (is_quiet(m)) history_bad(m, v, depth, *alpha);
    return false;
  }
  update_pv(m, ply);
  if (v >= beta) {
    if (is_quiet(m)) history_good(m, depth);
    update_killers(m, v, previous);
    storeH(m, depth, v, TT_LOWER);
    return true;
  }
  *alpha = v;
  return false;
}

int finish_pv_node(int best, int alphaEntry, int depth, move previous) {
  if (best <= alphaEntry) {
    storeHashUpper(depth, best, TT_UPPER);
    return best;
  }
  const move bestMove = pv[ply][ply];
  if (is_quiet(bestMove)) history_good(bestMove, depth);
  update_killers(bestMove, best, previous);
  storeH(bestMove, depth, best, TT_EXACT);
  return best;
}

PER_THREAD_END
