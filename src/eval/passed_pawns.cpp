#include "eval/passed_pawns.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"
#include "eval/weights.h"

PER_THREAD_BEGIN

namespace {

// [0 opening, 1 endgame][relative rank - 1]
constexpr int passed_pawn_bonus[2][8] = {{1, 2, 5, 18, 45, 75, 0, 0}, {3, 5, 15, 29, 66, 100, 0, 0}};
// [0 opening, 1 endgame][file]
constexpr int passed_pawn_file[2][8] = {{-1, -2, -4, -8, -8, -4, -2, -1}, {8, 3, 1, 0, 0, 1, 3, 8}};

int rr_of(int us, int s) { return relative_rank(us, row_of(s)); }

}  // namespace

bool candidatePasser(int us, int s) {
  const int them = us ^ 1;
  const int rr = rr_of(us, s);
  if (rr < 3) return false;
  const u64 ours = myPiece[us][PAWN], theirs = myPiece[them][PAWN];
  if (ForwardBB[us][s] & (ours | theirs)) return false;
  if (rr < 5 && (PawnAttackSpan[us][stop_square(us, stop_square(us, s))] & theirs)) return false;
  const int stop = stop_square(us, s);
  const int supporters = popCount(PawnAttacks[them][stop] & ours);
  const int attackers = popCount(PawnAttacks[us][stop] & theirs);
  return supporters >= 1 && attackers <= supporters;
}

bool hiddenPasser(int us, int s) {
  const int them = us ^ 1;
  const u64 ours = myPiece[us][PAWN], theirs = myPiece[them][PAWN];
  const int t = stop_square(us, s);
  if (rr_of(us, s) < 4 || !(theirs & SquareBB[t])) return false;
  if ((PassedPawnMask[us][t] & theirs) || (ForwardBB[us][t] & ours) || (PawnAttacks[us][s] & theirs)) return false;
  // A neighbour one rank behind that can step up beside the pawn.
  const int behind = stop_square(them, s);
  constexpr int sideways[2] = {-1, 1};
  for (int step : sideways) {
    const int f = file_of(s) + step;
    if (f < 0 || f > 7) continue;
    const int beside = s + step;
    if (!(ours & SquareBB[behind + step]) || piece[beside] != EMPTY) continue;
    const int supporters = popCount(PawnAttacks[them][beside] & ours);
    const int attackers = popCount(PawnAttacks[us][beside] & theirs);
    if (attackers <= supporters + 1) return true;
  }
  return false;
}

Score evaluate_passer(int us) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const int our_king = KingLocation(us), their_king = KingLocation(them);
  const u64 rooks_and_queens =
      myPiece[WHITE][ROOK] | myPiece[BLACK][ROOK] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  Score total = 0;
  for (u64 b = passedPawn[us]; b;) {
    const int s = pop_lsb(&b);
    const int rr = rr_of(us, s), file = file_of(s);
    const int w = (rr - 2) * (rr - 1);
    int mbonus = passed_pawn_bonus[0][rr - 1] * passedPawnWeightOp / 100;
    int ebonus = passed_pawn_bonus[1][rr - 1] * passedPawnWeightEn / 100;
    if (w > 0) {
      const int stop = stop_square(us, s);
      const u64 stop_bb = SquareBB[stop];
      // Kings near the stop square: the defender's counts double.
      ebonus += (2 * distance(stop, their_king) - distance(stop, our_king)) * w;
      if (piece[stop] == EMPTY) {
        const u64 path = ForwardBB[us][s];
        // A rook or queen right behind the pawn covers its whole path.
        const u64 behind = ForwardBB[them][s] & rook_attacks(s, Pos[2]) & rooks_and_queens;
        const u64 defended = (behind & Pos[us]) ? path : path & ei.attacked_by[us][ALL_PIECES];
        const u64 unsafe = (behind & Pos[them]) ? path : path & (ei.attacked_by[them][ALL_PIECES] | Pos[them]);
        int k = !unsafe ? 7 : !(unsafe & stop_bb) ? 3 : 0;
        k += defended == path ? 2 : (defended & stop_bb) ? 1 : 0;
        mbonus += k * w;
        ebonus += k * w;
      } else if (Pos[them] & stop_bb) {
        ebonus /= 2;
      }
    }
    ebonus += passed_pawn_file[1][file];
    if (ForwardBB[us][s] & myPiece[them][KING]) ebonus /= 2;
    total += make_score(passed_pawn_file[0][file] + mbonus, ebonus);
  }
  return total;
}

PER_THREAD_END
