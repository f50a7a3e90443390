// Null-window search of a node off the principal variation, side to move not
// in check: table cutoffs, razoring, static null move, verified null move,
// ProbCut, internal iterative deepening, then the hash move and three
// generation stages of which only the last is pruned and reduced.
#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval.h"
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

constexpr int WINDOW_LIMIT = 3999;  // pruning only with scores far from mate

bool near_zero(int score) { return score >= -WINDOW_LIMIT && score <= WINDOW_LIMIT; }

int child_search(int alpha, int depth, bool childInCheck, bool allowNull, int nodeSign) {
  return childInCheck ? -search_cut_check(-alpha - 1, -alpha, depth, -nodeSign)
                      : -search_cut(-alpha - 1, -alpha, depth, allowNull, -nodeSign);
}

// Puts the best remaining move into entry i + 1 of the level before entry i's
// child is searched, and starts loading the next child's table entries
// meanwhile: that search changes no score of this level, so the pick is the
// one the next turn of the loop would make.
template <class Pick>
void pick_ahead(int i, Pick pick_at) {
  if (i + 1 >= first_move[ply + 1]) return;
  pick_at(i + 1);
  prefetch_bucket(key_after(gen_dat[i + 1].m.b));
}

// Returns true when the null move proves the node fails high.
bool null_move_cuts(int alpha, int beta, int depth, int staticEval, int nodeSign, int* result) {
  const int margin = staticEval - beta;
  const int bonus = margin > 95 ? 3 : margin / 32;
  const int reduction = ((48 * depth + 384) >> 8) + bonus;  // in plies
  const int nullDepth = depth - ONE_PLY * reduction;
  first_move[ply + 1] = first_move[ply];
  const bool savedFollow = follow_pv;
  makenullmove();
  prefetch_bucket(hash);
  const int v =
      nullDepth < ONE_PLY ? -qsearch(-beta, -alpha, 0, false) : -search_cut(-beta, -alpha, nullDepth, false, -nodeSign);
  takebacknullmove();
  if (si.stop_search) return false;
  follow_pv = savedFollow;
  if (v < beta) return false;
  *result = v > MATE_BOUND ? beta : v;  // an unproven mate is not returned
  if (depth < 12 * ONE_PLY) return true;
  // Deep enough to be worth verifying with the same side to move.
  const int w =
      nullDepth < ONE_PLY ? qsearch(alpha, beta, 0, false) : search_cut(alpha, beta, nullDepth, false, nodeSign);
  return w >= beta;
}

// A winning capture that beats beta by a margin at reduced depth: likely a cut.
bool probcut(int beta, int depth, int nodeSign, int* result) {
  const int rbeta = beta + 200;
  gen_win_caps();
  if (follow_pv) sort_pv();
  int searched = 0;
  for (int i = first_move[ply]; i < first_move[ply + 1] && searched < 4; ++i) {
    sort(i);
    const move m = gen_dat[i].m;
    if (!make_and_prefetch(m.b)) continue;
    ++searched;
    const int v = in_check(side) ? -search_cut_check(-rbeta, -rbeta + 1, depth - 4 * ONE_PLY, -nodeSign)
                                 : -search_cut(-rbeta, -rbeta + 1, depth - 4 * ONE_PLY, false, -nodeSign);
    takeback();
    if (si.stop_search) return false;
    if (v >= rbeta) {
      *result = v;
      return true;
    }
  }
  return false;
}

// Quiet moves that can hardly raise alpha are skipped without being made.
bool prunable(move m, int depth, int moveCount, bool late, int alpha, int staticEval) {
  if (late) return true;
  const int d = std::min(depth / ONE_PLY, 63);
  const int predicted = depth - ONE_PLY - ONE_PLY * reduction_table[0][d][std::min(moveCount, 63)];
  if (predicted <= 0) return (near_zero(alpha) && staticEval + 150 <= alpha) || see_move(m) < 0;
  const int p = predicted / ONE_PLY;
  if (p > 6) return false;
  if (near_zero(alpha) && staticEval + 150 + 100 * p <= alpha) return true;
  return p <= 3 && see_move(m) < 0;
}

// Castling, captures, checks and pawns reaching the seventh rank are never pruned.
bool never_pruned(move m, bool givesCheck) {
  return givesCheck || (m.b.bits & (MF_CASTLE | MF_CAPTURE)) || PawnTo7thRank(m);
}

// The moves of the list from i on that can never be pruned, the skipped one left out.
int count_never_pruned(int i, std::uint32_t skipped) {
  int n = 0;
  for (; i < first_move[ply + 1]; ++i) {
    const move m = gen_dat[i].m;
    if (m.u != skipped && never_pruned(m, MoveGivesCheck(m))) ++n;
  }
  return n;
}

}  // namespace

int search_cut(int alpha, int beta, int depth, bool allowNull, int nodeSign) {
  const move previous = hist_dat[hply - 1].m;
  int score;
  if (decided_on_entry(alpha, beta, depth, &score)) return score;
  if (draw_by_rule(true, OptionUci.analyse_mode ? 2 : 1, &score)) return score;

  move hashMove;
  int ttScore;
  const int bound = lookUpH(depth, &ttScore, &hashMove);
  if (bound == TT_LOWER && ttScore >= beta) return beta;
  if (bound == TT_EXACT) return ttScore;
  if (bound == TT_UPPER) {
    if (ttScore < beta) allowNull = false;
    if (ttScore <= alpha) return alpha;
  }

  const int staticEval = eval();

  if (depth < 4 * ONE_PLY && near_zero(alpha)) {
    const int margin = razor_margin[depth / ONE_PLY];
    if (staticEval + margin <= alpha) {
      if (depth == ONE_PLY) return qsearch(alpha, beta, 0, false);
      const int r = alpha - margin;
      const int v = qsearch(r, r + 1, 0, false);
      if (v <= r) return v;
    }
  }

  if (depth < 7 * ONE_PLY && near_zero(beta) && staticEval - futility_margin(depth) >= beta && SidePieces(side))
    return staticEval;

  int result;
  if (OptionUci.null_move && allowNull && near_zero(beta) && depth >= 2 * ONE_PLY && SidePieces(side) &&
      staticEval >= beta && null_move_cuts(alpha, beta, depth, staticEval, nodeSign, &result))
    return result;
  if (si.stop_search) return 0;

  if (depth >= 5 * ONE_PLY && allowNull && beta > -MATE_BOUND && beta < MATE_BOUND &&
      probcut(beta, depth, nodeSign, &result))
    return result;
  if (si.stop_search) return 0;

  if (nodeSign != -1 && !hashMove.u && depth >= 8 * ONE_PLY && staticEval >= beta - 200) {
    search_cut(alpha, beta, depth / 2, false, nodeSign);
    hashMove = pv[ply][ply];
  }

  int best = WORST_SCORE;
  int moveCount = 0;
  bool hashTried = false;

  if (hash_move_playable(hashMove)) {
    gen_hash_move(hashMove);
    hashTried = true;
    const int i = first_move[ply];
    if (first_move[ply + 1] > i && gen_dat[i].m.u == hashMove.u && make_and_prefetch(gen_dat[i].m.b)) {
      const move m = gen_dat[i].m;
      moveCount = 1;
      const bool childInCheck = in_check(side);
      const int v = child_search(alpha, depth - ONE_PLY + define_ext(m, depth, childInCheck, side, false), childInCheck,
                                 false, nodeSign);
      takeback();
      if (si.stop_search) return 0;
      if (null_window_result(m, v, depth, alpha, &best, previous)) return v;
    }
  }

  // Stages 1 and 2: winning, then equal captures. Never pruned, no killers.
  for (void (*stage)() : {gen_win_caps, gen_equal_caps}) {
    stage();
    if (follow_pv) sort_pv();
    prefetch_children();
    for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
      sort(i);
      const move m = gen_dat[i].m;
      if (hashTried && m.u == hashMove.u) continue;
      if (!make_and_prefetch(m.b)) continue;
      ++moveCount;
      const bool childInCheck = in_check(side);
      const int v = child_search(alpha, depth - ONE_PLY + define_ext(m, depth, childInCheck, side, false), childInCheck,
                                 false, nodeSign);
      takeback();
      if (si.stop_search) return 0;
      if (v > best) {
        best = v;
        if (v > alpha) {
          update_pv(m, ply);
          storeH(m, depth, v, TT_LOWER);
          return v;
        }
      }
    }
  }

  // Stage 3: the rest, pruned and reduced.
  gen_rest();
  if (follow_pv) sort_pv();
  const int d = depth / ONE_PLY;
  // Once every late quiet move is pruned (which lasts: the move count and the
  // best score only grow), the list is picked through only as long as moves
  // that are never pruned remain in it.
  int unprunable_left = -1;
  const auto pick_at = [hashTried, hashMove](int i) {
    if (hashTried) sort(i);
    else pick(i, hashMove);
  };
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) {
    if (unprunable_left < 0 && best > -MATE_BOUND && depth < 16 * ONE_PLY && moveCount >= futility_move_count[d])
      unprunable_left = count_never_pruned(i, hashTried ? hashMove.u : 0);
    if (unprunable_left == 0) break;
    if (i == first_move[ply]) pick_at(i);
    pick_ahead(i, pick_at);
    const move m = gen_dat[i].m;
    if (hashTried && m.u == hashMove.u) continue;

    const bool castling = m.b.bits & MF_CASTLE;
    const bool capture = m.b.bits & MF_CAPTURE;
    const bool givesCheck = !castling && MoveGivesCheck(m);
    const bool late = depth < 16 * ONE_PLY && moveCount >= futility_move_count[d];
    const bool unprunable = never_pruned(m, givesCheck);
    if (unprunable && unprunable_left > 0) --unprunable_left;
    if (best > -MATE_BOUND && !unprunable && prunable(m, depth, moveCount, late, alpha, staticEval)) continue;

    const bool seeOk = !givesCheck || capture || see_move(m) >= 0;
    if (!make_and_prefetch(m.b)) continue;
    ++moveCount;
    const bool childInCheck = castling ? in_check(side) : givesCheck;
    const bool unsafe_check = givesCheck && !capture && !seeOk && depth >= 2 * ONE_PLY;
    const int ext = unsafe_check ? 0 : define_ext(m, depth, childInCheck, side, false);
    const int newDepth = depth - ONE_PLY + ext;

    int v;
    const bool reduce = !childInCheck && moveCount >= 3 && depth >= 3 * ONE_PLY &&
                        (!(m.b.bits & (MF_CAPTURE | MF_PROMOTE)) || late ||
                         staticEval + piece_value[hist_dat[hply - 1].capture] <= alpha);
    if (reduce) {
      const int r = std::max(ONE_PLY * reduction_table[0][std::min(d, 63)][std::min(moveCount, 63)], ONE_PLY);
      v = -search_cut(-alpha - 1, -alpha, std::max(newDepth - r, ONE_PLY), true, -nodeSign);
      if (v > alpha) v = -search_cut(-alpha - 1, -alpha, newDepth, true, -nodeSign);
    } else {
      v = child_search(alpha, newDepth, childInCheck, true, nodeSign);
    }
    takeback();
    if (si.stop_search) return 0;

    if (null_window_result(m, v, depth, alpha, &best, previous)) return v;
    if (nodeSign == 1) nodeSign = -1;
  }

  if (si.stop_search) return 0;
  if (moveCount > 0) {
    storeHashUpper(depth, best, TT_UPPER);
    return best;
  }
  return draw_score(OptionUci.stalemate_score);
}

PER_THREAD_END
