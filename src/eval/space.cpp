#include "eval/space.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"
#include "eval/weights.h"

PER_THREAD_BEGIN

namespace {

// Files c-f: ranks 2-4 for White, 7-5 for Black.
constexpr u64 SpaceMask[2] = {0x000000003C3C3C00ULL, 0x003C3C3C00000000ULL};
// Files c-f: ranks 3-4 for White, 6-5 for Black.
constexpr u64 WeakSquares[2] = {0x000000003C3C0000ULL, 0x00003C3C00000000ULL};

}  // namespace

int evaluate_space(int us) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const u64 pawns = myPiece[us][PAWN];
  const u64 safe = SpaceMask[us] & ~pawns & ~ei.attacked_by[them][PAWN] &
                   (~ei.attacked_by[them][ALL_PIECES] | ei.attacked_by[us][ALL_PIECES]);
  // The pawns and up to three squares behind each.
  u64 behind = pawns;
  behind |= StopBB(them, behind);
  behind |= StopBB(them, StopBB(them, behind));
  return popCount(safe) + popCount(behind & safe);
}

int EvaluateHoles(int us) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const u64 holes = WeakSquares[us] & ~Pos[2] & ~ei.attacked_by[us][PAWN] & ei.attacked_by[them][PAWN] &
                    (ei.attacked_by[them][KNIGHT] | ei.attacked_by[them][BISHOP] | ei.attacked_by[them][ROOK]);
  return weakSquareWeight * 15 * popCount(holes) / 100;
}

PER_THREAD_END
