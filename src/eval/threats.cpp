#include "eval/threats.h"

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"

PER_THREAD_BEGIN

namespace {

constexpr Score UnsafeOppPiece = make_score(0, 10);
constexpr Score hanging_pawn_attack = make_score(28, 24);
constexpr Score hanging_bonus = make_score(19, 10);
constexpr Score pawn_push_threat = make_score(15, 9);
constexpr Score KingAttackBonus[2] = {make_score(1, 24), make_score(4, 55)};  // one, more than one

// By victim kind pawn..queen; a king among the victims adds nothing (index 5 = 0).
constexpr Score safe_pawn_attack[6] = {make_score(0, 0),   make_score(70, 55), make_score(52, 50),
                                       make_score(87, 87), make_score(81, 86), 0};
constexpr Score minor_attack[6] = {make_score(0, 13),  make_score(18, 17), make_score(18, 17),
                                   make_score(29, 43), make_score(19, 47), 0};
constexpr Score rook_attack[6] = {make_score(0, 10), make_score(16, 24), make_score(16, 24),
                                  make_score(0, 13), make_score(14, 19), 0};

Score sum_by_victim(u64 victims, const Score* table) {
  Score s = 0;
  while (victims) s += table[piece[pop_lsb(&victims)]];
  return s;
}

}  // namespace

Score evaluate_threats(int us) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const u64 their_men = Pos[them], their_pawns = myPiece[them][PAWN];
  const u64 their_pieces = their_men & ~their_pawns;
  const u64 our_pawns = myPiece[us][PAWN];
  const u64 empty = ~Pos[2];

  // Something left where nobody looks at it.
  const u64 loose = their_men & ~(myPiece[them][KING] | myPiece[them][QUEEN]) &
                    ~(ei.attacked_by[WHITE][ALL_PIECES] | ei.attacked_by[BLACK][ALL_PIECES]);
  Score s = loose ? UnsafeOppPiece : 0;

  if (const u64 w = their_pieces & ei.attacked_by[us][PAWN]) {
    const u64 safe_pawns = our_pawns & (~ei.attacked_by[them][ALL_PIECES] | ei.attacked_by[us][ALL_PIECES]);
    const u64 targets = pawn_set_attacks(us, safe_pawns) & w;
    if (targets != w) s += hanging_pawn_attack;
    s += sum_by_victim(targets, safe_pawn_attack);
  }

  const u64 defended = their_pieces & ei.attacked_by[them][PAWN];
  const u64 weak = their_men & ~ei.attacked_by[them][PAWN] & ei.attacked_by[us][ALL_PIECES];
  if (defended | weak) {
    s += sum_by_victim((defended | weak) & (ei.attacked_by[us][KNIGHT] | ei.attacked_by[us][BISHOP]), minor_attack);
    s += sum_by_victim((weak | myPiece[them][QUEEN]) & ei.attacked_by[us][ROOK], rook_attack);
    s += hanging_bonus * popCount(weak & ~ei.attacked_by[them][ALL_PIECES]);
    if (const u64 king_targets = weak & ei.attacked_by[us][KING]) s += KingAttackBonus[more_than_one(king_targets)];
  }

  // Safe pawn pushes, single or double, that would attack a piece.
  const u64 seventh = RankBB[us == WHITE ? 6 : 1], second = RankBB[us == WHITE ? 1 : 6];
  u64 pushed = StopBB(us, (our_pawns & ~seventh) | (StopBB(us, our_pawns & second) & empty));
  pushed &= empty & ~ei.attacked_by[them][PAWN] & (~ei.attacked_by[them][ALL_PIECES] | ei.attacked_by[us][ALL_PIECES]);
  const u64 targets = pawn_set_attacks(us, pushed) & their_men & ~ei.attacked_by[us][PAWN];
  s += pawn_push_threat * popCount(targets);
  return s;
}

PER_THREAD_END
