#include "board/piece_changes.h"

#include "board/castling.h"
#include "board/position.h"

#ifndef CORVANTIS_HELPER_COPY
bool log_piece_changes = false;
#endif

PER_THREAD_BEGIN

PER_THREAD MoveChanges piece_changes[MAX_PLY + 1]{};

void log_move_changes(move_bytes m, int s, int moved, int captured) {
  if (ply > MAX_PLY) return;
  MoveChanges& c = piece_changes[ply];
  int n = 0;
  auto note = [&](int colour, int kind, int sq, bool added) {
    c.list[n++] = {static_cast<std::int8_t>(colour), static_cast<std::int8_t>(kind), static_cast<std::int8_t>(sq),
                   static_cast<std::int8_t>(added)};
  };
  if (m.bits & MF_CASTLE) {
    const CastlingRule& r = castling_rules[castling_right(s, m.to)];
    note(s, KING, r.king_from, false);
    note(s, ROOK, r.rook_from, false);
    note(s, KING, r.king_to, true);
    note(s, ROOK, r.rook_to, true);
  } else {
    note(s, moved, m.from, false);
    note(s, (m.bits & MF_PROMOTE) ? m.promote : moved, m.to, true);
    if (captured != EMPTY) note(s ^ 1, captured, m.to, false);
    if (m.bits & MF_EP) note(s ^ 1, PAWN, square_behind(m.to, s), false);
  }
  c.count = n;
}

void log_null_move() {
  if (ply <= MAX_PLY) piece_changes[ply].count = 0;
}

PER_THREAD_END
