#include "eval/eval_state.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "options/options.h"

#ifndef CORVANTIS_HELPER_COPY
// a8 is light.
const int sqcolor[64] = {
    0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0,
    0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0,
};
#endif

PER_THREAD_BEGIN

PER_THREAD EvalInfo evalref{};
PER_THREAD int score, op_score, en_score;
PER_THREAD Score make_value;
PER_THREAD int mat_eval[2][2];
PER_THREAD int PstScore[2][2];
PER_THREAD Score compact_mob[2];
PER_THREAD int king_safety[2];
PER_THREAD u64 passedPawn[2];
PER_THREAD int wUcPasserCnt, bUcPasserCnt;
PER_THREAD int wpwc, wpbc, bpwc, bpbc;
PER_THREAD int wbwc, wbbc, bbwc, bbbc;
PER_THREAD int draw_divisor;
PER_THREAD int game_phase;
PER_THREAD int passPhase[2];
PER_THREAD int kkDistance;

void init_eval_info(int us) {
  const int them = us ^ 1;
  EvalInfo& ei = evalref;
  const u64 their_king_attacks = PseudoAttacks[KING][KingLocation(them)];
  ei.attacked_by[them][KING] = their_king_attacks;
  ei.attacked_by[them][ALL_PIECES] |= their_king_attacks;
  ei.attacked_by[us][ALL_PIECES] |= ei.attacked_by[us][PAWN];
  ei.attacked_twice[us] = ei.attacked_by[us][PAWN] & PseudoAttacks[KING][KingLocation(us)];

  // Pawns that cannot move soon, the queens and the king do not count.
  const u64 home_ranks = us == WHITE ? RankBB[1] | RankBB[2] : RankBB[6] | RankBB[5];
  const u64 stuck_pawns = myPiece[us][PAWN] & (home_ranks | StopBB(them, Pos[2]));
  ei.mobility_area[us] = ~(myPiece[us][QUEEN] | myPiece[us][KING] | ei.attacked_by[them][PAWN] | stuck_pawns);

  // Too little material for an attack on the king: nothing is counted.
  if (SidePieces(us) < OptionUci.rook_value_op + OptionUci.knight_value_op) {
    ei.king_attackers[us] = 0;
    ei.king_zone[them] = 0;
    return;
  }
  ei.king_zone[them] = their_king_attacks | StopBB(them, their_king_attacks);
  ei.king_attackers[us] = popCount(their_king_attacks & ei.attacked_by[us][PAWN]) / 2;
  ei.king_zone_hits[us] = 0;
  ei.king_attack_weight[us] = 0;
}

PER_THREAD_END
