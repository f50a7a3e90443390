#include "eval/eval.h"

#include <cstring>

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/endgame.h"
#include "eval/eval_cache.h"
#include "eval/eval_hash.h"
#include "eval/eval_state.h"
#include "eval/king_safety.h"
#include "eval/learned_eval.h"
#include "eval/learned_network.h"
#include "eval/passed_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "eval/space.h"
#include "eval/threats.h"
#include "eval/weights.h"

PER_THREAD_BEGIN

namespace {

int min_of(int a, int b) { return a < b ? a : b; }

void reset_accumulators() {
  std::memset(&evalref, 0, sizeof evalref);
  op_score = en_score = 0;
  make_value = 0;
  std::memset(mat_eval, 0, sizeof mat_eval);
  std::memset(PstScore, 0, sizeof PstScore);
  compact_mob[WHITE] = compact_mob[BLACK] = 0;
  king_safety[WHITE] = king_safety[BLACK] = 0;
  passedPawn[WHITE] = passedPawn[BLACK] = 0;
  wUcPasserCnt = bUcPasserCnt = 0;
  wpwc = wpbc = bpwc = bpbc = 0;
  wbwc = wbbc = bbwc = bbbc = 0;
}

void set_phases() {
  game_phase = min_of(64, 3 * (wn + bn + wb + bb) + 5 * (wr + br) + 10 * (wq + bq));
  passPhase[WHITE] = min_of(32, 3 * (wn + wb) + 5 * wr + 10 * wq);
  passPhase[BLACK] = min_of(32, 3 * (bn + bb) + 5 * br + 10 * bq);
  kkDistance = distance(wking_loc, bking_loc);
}

Score weighted_mobility(Score s) {
  return make_score(mobilityWeight * mg_value(s) / 100, mobilityWeight * eg_value(s) / 100);
}

// Each side's piece-square sum tapered on its own.
int tapered_pst(int c) { return (PstScore[c][0] * game_phase + PstScore[c][1] * (64 - game_phase)) / 64; }

}  // namespace

// The steps run in this order: later terms read the attack sets and counters
// that earlier ones fill.
int eval() {
  if (learned_eval_on) return learned_eval();
  score = 0;
  const int cached = probe_eval();
  if (cached != NO_EVAL) return score = cached;

  reset_accumulators();
  set_phases();
  if (myPiece[WHITE][PAWN] | myPiece[BLACK][PAWN]) score += evaluate_pawns();
  draw_divisor = 1;
  eval_pawn_loop(WHITE);
  eval_pawn_loop(BLACK);
  init_eval_info(WHITE);
  init_eval_info(BLACK);

  const Score knights_w = eval_knight(WHITE), knights_b = eval_knight(BLACK);
  const Score bishops_w = eval_bishop(WHITE), bishops_b = eval_bishop(BLACK);
  make_value += knights_w - knights_b + bishops_w - bishops_b;
  const Score rooks_w = eval_rook(WHITE), rooks_b = eval_rook(BLACK);
  make_value += rooks_w - rooks_b;
  const Score queens_w = eval_queen(WHITE), queens_b = eval_queen(BLACK);
  make_value += queens_w - queens_b;
  eval_king(WHITE);
  eval_king(BLACK);
  king_shelters();
  eval_bishop_colours();

  op_score -= EvaluateHoles(WHITE);
  op_score += EvaluateHoles(BLACK);

  const Score passers_w = evaluate_passer(WHITE);
  score += interpolatePasser(mg_value(passers_w), eg_value(passers_w), passPhase[BLACK]);
  const Score passers_b = evaluate_passer(BLACK);
  score -= interpolatePasser(mg_value(passers_b), eg_value(passers_b), passPhase[WHITE]);

  make_value += evaluate_king_safety(WHITE) - evaluate_king_safety(BLACK);
  make_value += evaluate_threats(WHITE) - evaluate_threats(BLACK);
  op_score += (evaluate_space(WHITE) - evaluate_space(BLACK)) * 180 / 100;
  make_value += weighted_mobility(compact_mob[WHITE]) - weighted_mobility(compact_mob[BLACK]);

  score += tapered_pst(WHITE) - tapered_pst(BLACK);
  op_score += mg_value(make_value);
  en_score += eg_value(make_value);
  score += interpolate(op_score, en_score, game_phase) +
           interpolate(mat_eval[0][WHITE], mat_eval[1][WHITE], game_phase) -
           interpolate(mat_eval[0][BLACK], mat_eval[1][BLACK], game_phase);

  score += opposite_bishops();
  draw_divisor += EvaluateEnding();
  if (draw_divisor != 1) score /= draw_divisor;

  const int r = side == WHITE ? score : -score;
  store_eval(r);
  return r;
}

PER_THREAD_END
