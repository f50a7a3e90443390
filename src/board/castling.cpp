#include "board/castling.h"

bool chess960 = false;
CastlingRule castling_rules[4];
int castle_mask[64];

namespace {

// The squares from a to b on one rank, both included.
u64 span(int a, int b) {
  u64 squares = 0;
  for (int s = a < b ? a : b, last = a < b ? b : a; s <= last; ++s) squares |= square_bit(s);
  return squares;
}

CastlingRule make_rule(int right, int king_from, int rook_from) {
  const int back_rank = right < 2 ? 56 : 0;
  const bool king_side = right % 2 == 0;
  CastlingRule r;
  r.king_from = king_from;
  r.rook_from = rook_from;
  r.king_to = back_rank + (king_side ? 6 : 2);
  r.rook_to = back_rank + (king_side ? 5 : 3);
  const u64 own = square_bit(king_from) | square_bit(rook_from);
  r.king_walk = span(king_from, r.king_to) & ~square_bit(king_from);
  r.must_be_empty = (span(king_from, r.king_to) | span(rook_from, r.rook_to)) & ~own;
  return r;
}

}  // namespace

void set_castling(const int rook_from[4], const int king[2]) {
  for (int& m : castle_mask) m = 15;
  for (int right = 0; right < 4; ++right) {
    if (rook_from[right] < 0) continue;
    const int colour = right / 2;
    castling_rules[right] = make_rule(right, king[colour], rook_from[right]);
    castle_mask[king[colour]] &= ~(3 << 2 * colour);  // a king that moves loses both
    castle_mask[rook_from[right]] &= ~(1 << right);
  }
}

void standard_castling() {
  static constexpr int rooks[4] = {63, 56, 7, 0};
  static constexpr int kings[2] = {60, 4};
  set_castling(rooks, kings);
}
