#include "board/attacks.h"

#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"

PER_THREAD_BEGIN

PER_THREAD int gchecker1 = -1, gchecker2 = -1;

bool attackBB(int sq, int c) {
  const u64* mine = myPiece[c];
  if ((mine[BISHOP] | mine[QUEEN]) && (bishop_attacks(sq, Pos[2]) & (mine[BISHOP] | mine[QUEEN]))) return true;
  if (PseudoAttacks[KNIGHT][sq] & mine[KNIGHT]) return true;
  if ((mine[ROOK] | mine[QUEEN]) && (rook_attacks(sq, Pos[2]) & (mine[ROOK] | mine[QUEEN]))) return true;
  return (PawnAttacks[c ^ 1][sq] & mine[PAWN]) != 0;
}

bool in_check(int c) { return attackBB(KingLocation(c), c ^ 1); }

void get_king_attackers_BB(int sq, int c) {
  const u64* mine = myPiece[c];
  u64 attackers = (PawnAttacks[c ^ 1][sq] & mine[PAWN]) | (PseudoAttacks[KNIGHT][sq] & mine[KNIGHT]) |
                  (bishop_attacks(sq, Pos[2]) & (mine[BISHOP] | mine[QUEEN])) |
                  (rook_attacks(sq, Pos[2]) & (mine[ROOK] | mine[QUEEN]));
  gchecker1 = attackers ? pop_lsb(&attackers) : -1;
  gchecker2 = attackers ? pop_lsb(&attackers) : -1;
}

void get_checker(int c) {
  gchecker1 = gchecker2 = -1;
  get_king_attackers_BB(KingLocation(c), c ^ 1);
}

u64 AttacksTo(int sq) {
  const u64 diagonal = myPiece[WHITE][BISHOP] | myPiece[BLACK][BISHOP] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  const u64 straight = myPiece[WHITE][ROOK] | myPiece[BLACK][ROOK] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  return (PawnAttacks[WHITE][sq] & myPiece[BLACK][PAWN]) | (PawnAttacks[BLACK][sq] & myPiece[WHITE][PAWN]) |
         (PseudoAttacks[KNIGHT][sq] & (myPiece[WHITE][KNIGHT] | myPiece[BLACK][KNIGHT])) |
         (PseudoAttacks[KING][sq] & (myPiece[WHITE][KING] | myPiece[BLACK][KING])) |
         (bishop_attacks(sq, Pos[2]) & diagonal) | (rook_attacks(sq, Pos[2]) & straight);
}

u64 slider_blockers(u64 sliders, int ksq, u64* pinners) {
  const u64 diagonal = myPiece[WHITE][BISHOP] | myPiece[BLACK][BISHOP] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  const u64 straight = myPiece[WHITE][ROOK] | myPiece[BLACK][ROOK] | myPiece[WHITE][QUEEN] | myPiece[BLACK][QUEEN];
  u64 candidates = ((diagonal & PseudoAttacks[BISHOP][ksq]) | (straight & PseudoAttacks[ROOK][ksq])) & sliders;
  u64 result = 0;
  *pinners = 0;
  while (candidates) {
    const int s = pop_lsb(&candidates);
    const u64 b = BetweenBB[ksq][s] & Pos[2];
    if (b && !more_than_one(b)) {
      result |= b;
      if (color[lsb(b) ^ 56] == color[ksq]) *pinners |= SquareBB[s];
    }
  }
  return result;
}

void UpdateCheckSq() {
  hist_entry& h = hist_dat[hply];
  h.blockers[WHITE] = slider_blockers(Pos[BLACK], wking_loc, &h.pinners[WHITE]);
  h.blockers[BLACK] = slider_blockers(Pos[WHITE], bking_loc, &h.pinners[BLACK]);
  const int e = KingLocation(xside);
  const u64 not_own = ~Pos[side];
  h.checkSq[PAWN] = PawnAttacks[xside][e] & not_own;
  h.checkSq[KNIGHT] = PseudoAttacks[KNIGHT][e] & not_own;
  h.checkSq[BISHOP] = bishop_attacks(e, Pos[2]) & not_own;
  h.checkSq[ROOK] = rook_attacks(e, Pos[2]) & not_own;
  h.checkSq[QUEEN] = h.checkSq[BISHOP] | h.checkSq[ROOK];
}

u64 discovered_check_candidates() { return Pos[side] & hist_dat[hply].blockers[xside]; }

bool mat_is_draw() { return !(myPiece[WHITE][PAWN] | myPiece[BLACK][PAWN]) && wpiece + bpiece < 326; }

bool PawnTo7thRank(move m) {
  if (piece[m.b.from] != PAWN) return false;
  const int from_row = row_of(m.b.from), to_row = row_of(m.b.to);
  return (from_row == 2 && to_row == 1) || (from_row == 5 && to_row == 6);
}

PER_THREAD_END
