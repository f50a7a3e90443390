#include "eval/pieces.h"

#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"
#include "eval/pst.h"
#include "eval/weights.h"
#include "options/options.h"

PER_THREAD_BEGIN

namespace {

constexpr Score MinorBehindPawn = make_score(4, 2);
constexpr Score LongDiagonalBishop = make_score(9, 0);
constexpr Score KnightFarFromKing = make_score(1, 4);
constexpr Score BishopFarFromKing = make_score(1, 2);
// [0] knight, [1] knight defended by a pawn, [2] bishop, [3] bishop defended by a pawn
constexpr Score outpost_bonus_table[4] = {make_score(9, 3), make_score(14, 5), make_score(4, 1), make_score(6, 2)};
constexpr Score RookOnPawnRank = make_score(4, 9);
constexpr Score RookHalfOpenFileBonus = make_score(16, 4);
constexpr Score PinnedQueen = make_score(12, 3);

// Weights of a piece that attacks the enemy king zone.
constexpr int KnightAttackWeight = 77, BishopAttackWeight = 55, RookAttackWeight = 44, QueenAttackWeight = 10;

// Mobility by the number of reachable squares in the mobility area.
constexpr Score MBN[9] = {make_score(-35, -72), make_score(-22, -24), make_score(-9, -11),
                          make_score(3, 0),     make_score(15, 10),   make_score(27, 20),
                          make_score(37, 28),   make_score(42, 31),   make_score(44, 33)};
constexpr Score MBB[15] = {make_score(-22, -75), make_score(-16, -25), make_score(-8, -12), make_score(0, -6),
                           make_score(4, -3),    make_score(8, -1),    make_score(16, 0),   make_score(24, 4),
                           make_score(32, 8),    make_score(40, 12),   make_score(46, 16),  make_score(48, 20),
                           make_score(50, 24),   make_score(52, 26),   make_score(54, 28)};
constexpr Score MBR[15] = {make_score(-17, -50), make_score(-8, -16), make_score(-4, -12), make_score(0, -8),
                           make_score(4, -4),    make_score(8, 0),    make_score(12, 4),   make_score(16, 8),
                           make_score(20, 12),   make_score(24, 16),  make_score(28, 20),  make_score(32, 24),
                           make_score(36, 28),   make_score(40, 32),  make_score(44, 36)};
constexpr Score MBQ[28] = {make_score(-12, -100), make_score(-8, -50), make_score(-5, -7), make_score(-2, -1),
                           make_score(1, 5),      make_score(4, 11),   make_score(7, 17),  make_score(10, 23),
                           make_score(13, 29),    make_score(16, 34),  make_score(18, 38), make_score(20, 40),
                           make_score(22, 41),    make_score(23, 41),  make_score(24, 41), make_score(25, 41),
                           make_score(25, 41),    make_score(25, 41),  make_score(25, 41), make_score(25, 41),
                           make_score(25, 41),    make_score(25, 41),  make_score(25, 41), make_score(25, 41),
                           make_score(25, 41),    make_score(25, 41),  make_score(25, 41), make_score(25, 41)};

// White's ranks 4 to 6, Black's ranks 5 to 3.
constexpr u64 outpost_area[2] = {0x0000FFFFFF000000ULL, 0x000000FFFFFF0000ULL};
constexpr u64 Center = 0x0000001818000000ULL;  // d4, e4, d5, e5
// a1-h8 and a8-h1: only from these can a bishop see two centre squares.
constexpr u64 LongDiagonals = 0x8142241818244281ULL;

// By the number of own pawns on the bishop's colour.
constexpr int op_color_bishop_bonus[16] = {0, 3, 6, 9, 12, 15, 19, 24, 24, 24, 24, 24, 24, 0, 0, 0};
constexpr int en_color_bishop_bonus[16] = {0, 3, 5, 7, 9, 11, 13, 15, 17, 17, 17, 17, 17, 0, 0, 0};
constexpr int BishopPair = 50;

void add_piece_value(int us, int op, int en) {
  mat_eval[0][us] += op;
  mat_eval[1][us] += en;
}

void add_pst(int us, int op, int en) {
  PstScore[us][0] += op;
  PstScore[us][1] += en;
}

// Enters a piece's attacks into the record (the order of the pieces decides
// what counts as attacked twice) and counts it against the enemy king zone.
void record_attacks(int us, int kind, u64 a, int king_weight) {
  EvalInfo& ei = evalref;
  ei.attacked_twice[us] |= a & ei.attacked_by[us][ALL_PIECES];
  ei.attacked_by[us][ALL_PIECES] |= a;
  ei.attacked_by[us][kind] |= a;
  if (a & ei.king_zone[us ^ 1]) {
    ++ei.king_attackers[us];
    ei.king_attack_weight[us] += king_weight;
    ei.king_zone_hits[us] += popCount(a & ei.attacked_by[us ^ 1][KING]);
  }
}

// Minors shielded by a pawn, and minors far from their own king.
Score minor_placement(int us, int s, Score far_from_king) {
  Score v = 0;
  if (relative_rank(us, row_of(s)) <= 3 && (myPiece[us][PAWN] & SquareBB[stop_square(us, s)])) v += MinorBehindPawn;
  return v - far_from_king * (distance(s, KingLocation(us)) - 1);
}

// A square in the enemy half that no enemy pawn can ever attack; defended or
// not chooses between the two entries from the first one.
Score outpost(int us, int s, int first) {
  if (!(outpost_area[us] & SquareBB[s]) || (PawnAttackSpan[us][s] & myPiece[us ^ 1][PAWN])) return 0;
  const bool defended = (evalref.attacked_by[us][PAWN] & SquareBB[s]) != 0;
  return 2 * outpost_bonus_table[first + defended];
}

// Knights and bishops alike: placement, value, square table, attacks,
// mobility and outposts; a bishop also sees along the long diagonals and
// counts towards its colour.
template <int Kind>
Score eval_minors(int us) {
  constexpr bool knight = Kind == KNIGHT;
  Score v = 0;
  const u64 pawns = myPiece[WHITE][PAWN] | myPiece[BLACK][PAWN];
  // A bishop sees through its own bishops and queens.
  const u64 occupied = Pos[2] & ~(myPiece[us][BISHOP] | myPiece[us][QUEEN]);
  int& light = us == WHITE ? wbwc : bbwc;
  int& dark = us == WHITE ? wbbc : bbbc;
  for (u64 b = myPiece[us][Kind]; b;) {
    const int s = pop_lsb(&b);
    const int idx = FlipSq(us, s);
    v += minor_placement(us, s, knight ? KnightFarFromKing : BishopFarFromKing);
    if constexpr (!knight) {
      if ((LongDiagonals & SquareBB[s]) && more_than_one((bishop_attacks(s, pawns) | SquareBB[s]) & Center))
        v += LongDiagonalBishop;
      (sqcolor[s] ? dark : light)++;
    }
    if constexpr (knight) {
      add_piece_value(us, OptionUci.knight_value_op, OptionUci.knight_value_en);
      add_pst(us, Pst[KNIGHT][idx][0], Pst[KNIGHT][idx][1]);
    } else {
      add_piece_value(us, OptionUci.bishop_value_op, OptionUci.bishop_value_en);
      add_pst(us, bishop_pcsq_op_tab[idx], bishop_pcsq_en_tab[idx]);
    }
    const u64 a = knight ? PseudoAttacks[KNIGHT][s] : bishop_attacks(s, occupied);
    record_attacks(us, Kind, a, knight ? KnightAttackWeight : BishopAttackWeight);
    compact_mob[us] += (knight ? MBN : MBB)[popCount(a & evalref.mobility_area[us])];
    v += outpost(us, s, knight ? 0 : 2);
  }
  return v;
}

}  // namespace

Score eval_knight(int us) { return eval_minors<KNIGHT>(us); }
Score eval_bishop(int us) { return eval_minors<BISHOP>(us); }

Score eval_rook(int us) {
  Score v = 0;
  const u64 ours = myPiece[us][PAWN], theirs = myPiece[us ^ 1][PAWN];
  const u64 occupied = Pos[2] & ~(myPiece[us][ROOK] | myPiece[us][QUEEN]);  // rooks see through each other
  for (u64 b = myPiece[us][ROOK]; b;) {
    const int s = pop_lsb(&b);
    const int idx = FlipSq(us, s);
    add_piece_value(us, OptionUci.rook_value_op, OptionUci.rook_value_en);
    add_pst(us, rook_pcsq_op_tab[idx], rook_pcsq_en_tab[idx]);
    if (relative_rank(us, row_of(s)) >= 4 && (theirs & RankBB[7 - row_of(s)])) v += RookOnPawnRank;
    const u64 file = FileBB[file_of(s)];
    if (!(file & (ours | theirs))) v += make_score(rookInOpenFile[0], rookInOpenFile[1]);
    else if (!(file & ours) && (file & theirs)) v += RookHalfOpenFileBonus;
    const u64 a = rook_attacks(s, occupied);
    record_attacks(us, ROOK, a, RookAttackWeight);
    compact_mob[us] += MBR[popCount(a & evalref.mobility_area[us])];
  }
  return v;
}

Score eval_queen(int us) {
  const int them = us ^ 1;
  Score v = 0;
  const EvalInfo& ei = evalref;
  // Squares the enemy minors and rooks attack are no refuge for a queen.
  const u64 area = ei.mobility_area[us] &
                   ~(ei.attacked_by[them][KNIGHT] | ei.attacked_by[them][BISHOP] | ei.attacked_by[them][ROOK]);
  const u64 pinning_sliders = myPiece[them][ROOK] | myPiece[them][BISHOP];
  for (u64 b = myPiece[us][QUEEN]; b;) {
    const int s = pop_lsb(&b);
    const int idx = FlipSq(us, s);
    add_piece_value(us, OptionUci.queen_value_op, OptionUci.queen_value_en);
    add_pst(us, queen_pcsq_op_tab[idx], queen_pcsq_en_tab[idx]);
    const u64 a = queen_attacks(s, Pos[2]);
    record_attacks(us, QUEEN, a, QueenAttackWeight);
    compact_mob[us] += MBQ[popCount(a & area)];
    u64 pinners;
    if (slider_blockers(pinning_sliders, s, &pinners)) v -= PinnedQueen;
  }
  return v;
}

void eval_king(int us) {
  const int idx = FlipSq(us, KingLocation(us));
  add_pst(us, king_pcsq_op_tab[idx], king_pcsq_en_tab[idx]);
}

void eval_bishop_colours() {
  struct Counts {
    int bishops_light, bishops_dark, pawns_light, pawns_dark, sign;
  };
  const Counts sides[2] = {{wbwc, wbbc, wpwc, wpbc, 1}, {bbwc, bbbc, bpwc, bpbc, -1}};
  for (const Counts& c : sides) {
    if (c.bishops_light && c.bishops_dark) {
      score += c.sign * BishopPair;
    } else if (c.bishops_light + c.bishops_dark == 1) {
      // A lone bishop is hemmed in by its own pawns on its colour.
      const int n = c.bishops_light ? c.pawns_light : c.pawns_dark;
      op_score -= c.sign * op_color_bishop_bonus[n];
      en_score -= c.sign * en_color_bishop_bonus[n];
    }
  }
}

PER_THREAD_END
