#include "eval/pawns.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"
#include "eval/passed_pawns.h"
#include "eval/pst.h"
#include "eval/weights.h"

PER_THREAD_BEGIN

namespace {

// The squares behind the pawns of b on their files, as side us sees it.
u64 rear_span(int us, u64 b) {
  if (us == WHITE) {
    b >>= 8;
    b |= b >> 8;
    b |= b >> 16;
    return b | b >> 32;
  }
  b <<= 8;
  b |= b << 8;
  b |= b << 16;
  return b | b << 32;
}

// The square and its two neighbours on the rank.
u64 three_wide(int sq) {
  const u64 b = SquareBB[sq];
  return b | eastOne(b) | westOne(b);
}

// King and one passed pawn against the lone king: known draws raise the
// divisor, known wins get a bonus.
void king_pawn_rules(int us, int s, int rr) {
  const int sign = us == WHITE ? 1 : -1;
  const int our_king = KingLocation(us), their_king = KingLocation(us ^ 1);
  const int stop = stop_square(us, s);
  const int file = file_of(s);
  if (file == 0 || file == 7) {
    // The defender reaches the corner or shuts the attacking king in front of it.
    const int c_or_f = file == 0 ? 2 : 5;
    if (file_of(their_king) == file || their_king == FlipSq(us, c_or_f) || their_king == FlipSq(us, 8 + c_or_f))
      draw_divisor += 32;
    return;
  }
  if (rr == 6) return;
  if (their_king == stop) {
    draw_divisor += 32;
  } else if (rr == 5) {
    const bool opposition = side == us && file_of(our_king) == file_of(their_king) &&
                            (row_of(our_king) - row_of(their_king) == 2 || row_of(their_king) - row_of(our_king) == 2);
    if (opposition) draw_divisor += 32;
    else if (!(three_wide(stop) & SquareBB[our_king])) draw_divisor += 16;
  } else if (rr == 4) {
    if (three_wide(stop) & SquareBB[our_king]) score += sign * 500;
  } else if (three_wide(stop_square(us, stop)) & SquareBB[our_king]) {
    score += sign * 500;
  }
}

// The rule of the square: the enemy king cannot reach the queening square in
// time. Only the pawn and the king count; a pawn on its start rank steps twice.
bool unstoppable(int us, int s, int rr) {
  const int them = us ^ 1;
  const int queening_square = FlipSq(us, file_of(s));
  const int pawn_distance = rr == 1 ? 5 : 7 - rr;
  return pawn_distance < distance(queening_square, KingLocation(them)) - (side == them ? 1 : 0);
}

}  // namespace

void eval_pawn_loop(int us) {
  const int them = us ^ 1;
  const int sign = us == WHITE ? 1 : -1;
  const u64 ours = myPiece[us][PAWN], theirs = myPiece[them][PAWN];
  const int our_pieces = us == WHITE ? wpc : bpc, their_pieces = us == WHITE ? bpc : wpc;
  const bool lone_pawn_against_king = !more_than_one(ours) && !our_pieces && !theirs && !their_pieces;

  // What does not depend on the single pawn is counted for all at once.
  const int count = popCount(ours);
  mat_eval[0][us] += count * pawnValueOp;
  mat_eval[1][us] += count * pawnValueEn;
  const int light = popCount(ours & LightSquares);
  (us == WHITE ? wpwc : bpwc) += light;
  (us == WHITE ? wpbc : bpbc) += count - light;
  evalref.attacked_by[us][PAWN] |= pawn_set_attacks(us, ours);

  for (u64 b = ours; b;) {
    const int idx = FlipSq(us, pop_lsb(&b));
    PstScore[us][0] += Pst[PAWN][idx][0];
    PstScore[us][1] += Pst[PAWN][idx][1];
  }

  // Passed: no own pawn ahead on the file, no enemy pawn ahead on it or the
  // files beside it. All pawns tested at once; the rest of the work is for
  // the few passers.
  const u64 their_rear = rear_span(us, theirs);
  const u64 passers = ours & ~(rear_span(us, ours) | their_rear | eastOne(their_rear) | westOne(their_rear));
  passedPawn[us] |= passers;
  for (u64 b = passers; b;) {
    const int s = pop_lsb(&b);
    const int rr = relative_rank(us, row_of(s));
    if (unstoppable(us, s, rr)) (us == WHITE ? wUcPasserCnt : bUcPasserCnt)++;
    if (lone_pawn_against_king) king_pawn_rules(us, s, rr);
  }
  if (their_pieces) return;
  for (u64 b = ours & ~passers; b;) {
    const int s = pop_lsb(&b);
    const int rr = relative_rank(us, row_of(s));
    if (candidatePasser(us, s) || hiddenPasser(us, s))
      en_score += sign * (unstoppable(us, s, rr) ? (rr - 1) * 16 : rr * 2 - 2);
  }
}

PER_THREAD_END
