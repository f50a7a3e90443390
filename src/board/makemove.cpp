#include "board/makemove.h"

#include "board/attacks.h"
#include "board/castling.h"
#include "board/per_thread.h"
#include "board/piece_changes.h"
#include "board/position.h"

PER_THREAD_BEGIN

PER_THREAD hist_entry hist_dat[HIST_STACK]{};

namespace {

// Castling right r may be used now: the king is not in check and every
// square the king passes or lands on is safe, judged with the castling rook
// lifted (in Chess960 it may shield the king's path along the back rank).
bool may_castle(int r, int from, int s) {
  const CastlingRule& c = castling_rules[r];
  if (!(castle & (1 << r)) || from != c.king_from || in_check(s) || (Pos[2] & c.must_be_empty)) return false;
  Pos[2] ^= SquareBB[c.rook_from];
  bool safe = true;
  for (u64 walk = c.king_walk; walk && safe;) safe = !attackBB(pop_lsb(&walk), s ^ 1);
  Pos[2] ^= SquareBB[c.rook_from];
  return safe;
}

// Both pieces are lifted before either is put down: in Chess960 either may
// stand on the other's target, or the king already on its own.
void castle_pieces(int s, int king_from, int king_to, int rook_from, int rook_to) {
  piece_remove(KING, s, king_from);
  piece_remove(ROOK, s, rook_from);
  piece_add(KING, s, king_to);
  piece_add(ROOK, s, rook_to);
}

u64 castling_keys(const CastlingRule& c, int s) {
  return hash_piece[s][KING][c.king_from] ^ hash_piece[s][KING][c.king_to] ^ hash_piece[s][ROOK][c.rook_from] ^
         hash_piece[s][ROOK][c.rook_to];
}

// Only a double step of side s's pawn to next to an enemy pawn creates an en-passant square.
inline bool push2_makes_ep(int to, int s) {
  const u64 beside = ((file_of(to) > 0 ? SquareBB[to - 1] : 0) | (file_of(to) < 7 ? SquareBB[to + 1] : 0));
  return beside & myPiece[s ^ 1][PAWN];
}

inline void set_side(int s) {
  side = s;
  xside = s ^ 1;
}

// What a move cannot undo by itself: rights, clocks and keys.
inline void save_state(hist_entry& h) {
  h.castle = castle;
  h.ep = ep;
  h.fifty = fifty;
  h.hash = hash;
  h.phash = phash;
  h.matHash = gMatHash;
}

inline void restore_state(const hist_entry& h) {
  castle = h.castle;
  ep = h.ep;
  fifty = h.fifty;
  hash = h.hash;
  phash = h.phash;
  gMatHash = h.matHash;
}

inline void clear_ep() {
  if (ep == -1) return;
  hash ^= hash_ep[ep];
  phash ^= hash_ep[ep];
  ep = -1;
}

}  // namespace

bool makemove(move_bytes m) {
  const int from = m.from, to = m.to, s = side;
  const int k = piece[from];
  int v = piece[to];
  hist_entry& h = hist_dat[hply];

  // A pinned piece may only move along the pin line.
  if (k != KING && (h.blockers[s] & Pos[s] & SquareBB[from]) && !(LineBB[from][to] & SquareBB[KingLocation(s)]))
    return false;

  h.m.b = m;
  h.capture = v;
  save_state(h);
  ++hply;
  ++ply;

  if (m.bits & MF_CASTLE) {
    if (!may_castle(castling_right(s, to), from, s)) {
      --hply;
      --ply;
      return false;
    }
    h.capture = v = EMPTY;  // the target may hold the castling rook or the king itself
  }

  const int new_castle = castle & castle_mask[from] & castle_mask[to];
  if (new_castle != castle) {
    hash ^= hash_castle[castle] ^ hash_castle[new_castle];
    castle = new_castle;
  }

  clear_ep();
  if ((m.bits & MF_PUSH2) && push2_makes_ep(to, s)) {
    ep = square_behind(to, s);
    hash ^= hash_ep[ep];
    phash ^= hash_ep[ep];
  }

  fifty = (m.bits & (MF_CAPTURE | MF_PAWN)) ? 0 : fifty + 1;

  if ((m.bits & (MF_CAPTURE | MF_PAWN)) && v != EMPTY) {
    piece_remove_hash(v, s ^ 1, to);
    add_material(v, s ^ 1, -1);
  }

  if (m.bits & (MF_PROMOTE | MF_CASTLE)) {
    if (m.bits & MF_PROMOTE) {
      piece_add_hash(m.promote, s, to);
      piece_remove_hash(PAWN, s, from);
      add_material(PAWN, s, -1);
      add_material(m.promote, s, 1);
    } else {
      const CastlingRule& c = castling_rules[castling_right(s, to)];
      castle_pieces(s, c.king_from, c.king_to, c.rook_from, c.rook_to);
      hash ^= castling_keys(c, s);
    }
  } else {
    piece_move_hash(k, s, from, to);
  }

  if (m.bits & MF_EP) {
    piece_remove_hash(PAWN, s ^ 1, square_behind(to, s));
    add_material(PAWN, s ^ 1, -1);
  }

  set_side(s ^ 1);
  hash ^= hash_side;

  if (attackBB(KingLocation(s), side)) {
    takeback();
    return false;
  }
  UpdateCheckSq();
  if (log_piece_changes) log_move_changes(m, s, k, v);
  return true;
}

u64 key_after(move_bytes m) {
  const int from = m.from, to = m.to, s = side;
  const int k = piece[from];
  u64 key = hash ^ hash_side ^ hash_piece[s][k][from];
  key ^= hash_piece[s][m.bits & MF_PROMOTE ? m.promote : k][to];
  if (m.bits & MF_CASTLE) {
    const CastlingRule& c = castling_rules[castling_right(s, to)];
    key ^= hash_piece[s][ROOK][c.rook_from] ^ hash_piece[s][ROOK][c.rook_to];
  } else if (piece[to] != EMPTY) {
    key ^= hash_piece[s ^ 1][piece[to]][to];
  }
  if (m.bits & MF_EP) key ^= hash_piece[s ^ 1][PAWN][square_behind(to, s)];
  const int new_castle = castle & castle_mask[from] & castle_mask[to];
  if (new_castle != castle) key ^= hash_castle[castle] ^ hash_castle[new_castle];
  if (ep != -1) key ^= hash_ep[ep];
  if ((m.bits & MF_PUSH2) && push2_makes_ep(to, s)) key ^= hash_ep[square_behind(to, s)];
  return key;
}

void takeback() {
  set_side(side ^ 1);
  --ply;
  --hply;
  const hist_entry& h = hist_dat[hply];
  const move_bytes& m = h.m.b;
  const int s = side;
  restore_state(h);

  if (m.bits & (MF_PROMOTE | MF_CASTLE)) {
    if (m.bits & MF_PROMOTE) {
      piece_remove(m.promote, s, m.to);
      piece_add(PAWN, s, m.from);
      add_material(PAWN, s, 1);
      add_material(m.promote, s, -1);
    } else {
      const CastlingRule& c = castling_rules[castling_right(s, m.to)];
      castle_pieces(s, c.king_to, c.king_from, c.rook_to, c.rook_from);
    }
  } else {
    piece_move(piece[m.to], s, m.to, m.from);
  }

  if (h.capture != EMPTY) {
    piece_add(h.capture, s ^ 1, m.to);
    add_material(h.capture, s ^ 1, 1);
  }

  if (m.bits & MF_EP) {
    piece_add(PAWN, s ^ 1, square_behind(m.to, s));
    add_material(PAWN, s ^ 1, 1);
  }
}

int reps() {
  int count = 0;
  const int first = hply - fifty > 0 ? hply - fifty : 0;
  for (int i = hply - 2; i >= first; i -= 2)
    if (hist_dat[i].hash == hash) ++count;
  return count;
}

void makenullmove() {
  hist_entry& h = hist_dat[hply];
  save_state(h);
  clear_ep();
  fifty = 0;
  ++hply;
  ++ply;
  set_side(side ^ 1);
  hash ^= hash_side;
  UpdateCheckSq();
  if (log_piece_changes) log_null_move();
}

void takebacknullmove() {
  set_side(side ^ 1);
  --ply;
  --hply;
  const hist_entry& h = hist_dat[hply];
  restore_state(h);
}

PER_THREAD_END
