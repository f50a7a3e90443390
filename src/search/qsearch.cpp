// Quiescence: stand pat on the static evaluation, then captures ordered by
// exchange value with delta pruning, recaptures only when deep, quiet checks
// on the first level, and every evasion when in check.
#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/see.h"
#include "movegen/staged.h"
#include "options/options.h"
#include "search/node_common.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/tt.h"

PER_THREAD_BEGIN

namespace {

int losing_capture_mark(move m) { return capture_score(-1, piece[m.b.to], piece[m.b.from]); }

// Raises best and alpha by v; true when v reaches beta (stored, caller returns v).
bool improve(move m, int v, int beta, int qdepth, bool pvNode, int* best, int* alpha) {
  if (v <= *best) return false;
  *best = v;
  if (v <= *alpha) return false;
  if (pvNode) update_pv(m, ply);
  if (v >= beta) {
    storeH(m, qdepth, v, TT_LOWER);
    return true;
  }
  *alpha = v;
  return false;
}

int qsearch_in_check(int alpha, int beta, int qdepth, bool pvNode, move hashMove) {
  const int alphaEntry = alpha;
  get_checker(side);
  if (gchecker2 != -1) gen_king();
  else gen_evade();
  if (follow_pv) sort_pv();
  prefetch_children();
  int best = WORST_SCORE;
  int searched = 0;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    pick(i, hashMove);
    const move m = gen_dat[i].m;
    const bool keep_first = qdepth == 0 && searched < 3;
    if (!(m.b.bits & (MF_CAPTURE | MF_PROMOTE)) && !keep_first && see_move(m) < 0) continue;
    if (!make_and_prefetch(m.b)) continue;
    const int v = -qsearch(-beta, -alpha, qdepth - ONE_PLY, in_check(side));
    takeback();
    if (si.stop_search) return 0;
    ++searched;
    if (improve(m, v, beta, qdepth, pvNode, &best, &alpha)) return v;
  }
  if (best == WORST_SCORE) return ply - MATE_VALUE;
  if (best > alphaEntry) {
    if (pvNode) storeH(pv[ply][ply], qdepth, best, TT_EXACT);
  } else {
    storeHashUpper(qdepth, best, TT_UPPER);
  }
  return best;
}

}  // namespace

int qsearch(int alpha, int beta, int qdepth, bool inCheck) {
  const bool pvNode = beta - alpha > 1;
  count_node();
  if (poll_and_stopped()) return 0;
  pv_length[ply] = ply;
  int score;
  if (draw_by_rule(true, OptionUci.analyse_mode ? 2 : 1, &score)) return score;
  if (ply > MAX_PLY - 2 || hply > HIST_STACK - 2) return eval();

  move hashMove;
  int ttScore;
  const int bound = lookUpH(qdepth, &ttScore, &hashMove);
  if (!pvNode) {
    if (bound == TT_LOWER && ttScore >= beta) return beta;
    if (bound == TT_EXACT) return ttScore;
    if (bound == TT_UPPER && ttScore <= alpha) return alpha;
  }

  if (inCheck) return qsearch_in_check(alpha, beta, qdepth, pvNode, hashMove);

  const int standPat = eval();
  if (standPat >= beta) return standPat;
  if (standPat > alpha) alpha = standPat;
  int best = standPat;
  const int alpha0 = alpha;

  bool hashTried = false;
  if (hash_move_playable(hashMove) && (qdepth >= 0 || (hashMove.b.bits & MF_CAPTURE))) {
    gen_hash_move(hashMove);
    const int i = first_move[ply];
    if (first_move[ply + 1] > i && gen_dat[i].m.u == hashMove.u && make_and_prefetch(gen_dat[i].m.b)) {
      const move m = gen_dat[i].m;
      hashTried = true;
      const int v = -qsearch(-beta, -alpha, qdepth - ONE_PLY, in_check(side));
      takeback();
      if (si.stop_search) return best;
      if (improve(m, v, beta, qdepth, pvNode, &best, &alpha)) return v;
    }
  }
  if (si.stop_search) return best;

  // From the fifth quiescence ply on, only recaptures on the last move's square.
  const int lastTo = qdepth <= -4 * ONE_PLY ? hist_dat[hply - 1].m.b.to : -1;
  if (lastTo >= 0 && piece[lastTo] != KING) gen_caps_last_sq(lastTo);
  else gen_caps();
  if (follow_pv) sort_pv();
  prefetch_children();

  const bool beingMated = standPat + 100 <= -MATE_BOUND;
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    qssort(i);
    const move m = gen_dat[i].m;
    if (hashTried && m.u == hashMove.u) continue;
    const bool alwaysSearched = (m.b.bits & (MF_EP | MF_PROMOTE)) != 0;
    const bool special = beingMated || alwaysSearched || PawnTo7thRank(m);
    const bool losing = gen_dat[i].score == losing_capture_mark(m);
    bool givesCheck = false;
    if (special) {
      if (losing && !alwaysSearched) continue;
    } else {
      givesCheck = MoveGivesCheck(m);
      // Delta pruning: even winning the victim with a margin cannot reach alpha.
      const int optimistic = standPat + 100 + piece_value[piece[m.b.to]];
      if (!givesCheck && optimistic <= alpha) {
        if (optimistic > best) best = optimistic;
        continue;
      }
      if (losing) continue;
    }
    if (!make_and_prefetch(m.b)) continue;
    const int v = -qsearch(-beta, -alpha, qdepth - ONE_PLY, special ? in_check(side) : givesCheck);
    takeback();
    if (si.stop_search) return best;
    if (improve(m, v, beta, qdepth, pvNode, &best, &alpha)) return v;
  }
  if (si.stop_search) return best;

  // Quiet checks, on the first level only and while alpha has not risen.
  if (qdepth == 0 && SidePieces(side) > 1000 && alpha == alpha0) {
    gen_non_caps_check();
    if (follow_pv) sort_pv();
    prefetch_children();
    for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
      pick(i, hashMove);
      const move m = gen_dat[i].m;
      const bool isHash = m.u == hashMove.u;
      if (hashTried && isHash) continue;
      if (gen_dat[i].score < HASH_MOVE_SCORE && !isHash && see_move(m) < 0) continue;
      if (!make_and_prefetch(m.b)) continue;
      const int v = -qsearch(-beta, -alpha, -ONE_PLY, true);
      takeback();
      if (si.stop_search) return best;
      if (improve(m, v, beta, 0, pvNode, &best, &alpha)) return v;
    }
  }

  if (best <= alpha0) {
    storeHashUpper(qdepth, best, TT_UPPER);
  } else if (pvNode) {
    storeH(pv[ply][ply], qdepth, best, TT_EXACT);
  }
  return best;
}

PER_THREAD_END
