#include "movegen/movestack.h"

#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "movegen/see.h"

#ifndef CORVANTIS_HELPER_COPY
bool gDoPerft = false;
#endif

PER_THREAD_BEGIN

PER_THREAD gen_entry gen_dat[GEN_STACK]{};
PER_THREAD int first_move[MAX_PLY + 1];

PER_THREAD int historyScore[2][6][64];
PER_THREAD gen_entry killer1[MAX_PLY]{}, killer2[MAX_PLY]{}, mkiller1[MAX_PLY]{};
PER_THREAD gen_entry counterMove[64][64]{};

namespace {

bool reaches_last_rank(int to, int bits) { return (bits & MF_PAWN) && (side == WHITE ? to <= 7 : to >= 56); }

// Killers of this level and of the level two above (same side to move).
int killer_score(std::uint32_t u) {
  if (u == mkiller1[ply].m.u) return MATE_KILLER_SCORE;
  if (ply >= 2 && u == mkiller1[ply - 2].m.u) return MATE_KILLER_UP2_SCORE;
  if (u == killer1[ply].m.u) return KILLER1_SCORE;
  if (ply >= 2 && u == killer1[ply - 2].m.u) return KILLER1_UP2_SCORE;
  if (u == killer2[ply].m.u) return KILLER2_SCORE;
  if (ply >= 2 && u == killer2[ply - 2].m.u) return KILLER2_UP2_SCORE;
  return 0;
}

int history_of(const move& m) { return historyScore[color[m.b.from]][m.b.moved][m.b.to]; }

}  // namespace

// The first four fields written as one word (from in the low byte).
gen_entry& push_entry(int from, int to, int bits) {
  gen_entry& g = gen_dat[first_move[ply + 1]++];
  g.m.u = static_cast<std::uint32_t>(from) | static_cast<std::uint32_t>(to) << 8 |
          static_cast<std::uint32_t>(piece[from]) << 16 | static_cast<std::uint32_t>(EMPTY) << 24;
  g.m.b.bits = static_cast<std::uint8_t>(bits);
  return g;
}

void gen_push(int from, int to, int bits) {
  if (reaches_last_rank(to, bits)) {
    gen_promote(from, to, bits, MT_NORMAL);
    return;
  }
  gen_entry& g = push_entry(from, to, bits);
  const int victim = piece[to];
  if (victim != EMPTY) {
    g.score = capture_score(see(from, to), victim, piece[from]);
  } else if (bits == (MF_PAWN | MF_EP | MF_CAPTURE)) {
    g.score = EVEN_CAPTURE_SCORE;
  } else if (int k = killer_score(g.m.u)) {
    g.score = k;
  } else if (hply >= 1 && g.m.u == counterMove[hist_dat[hply - 1].m.b.from][hist_dat[hply - 1].m.b.to].m.u) {
    g.score = COUNTER_MOVE_SCORE;
  } else {
    g.score = history_of(g.m);
  }
}

// Castling is never a killer, a counter move or a capture. Its promotion
// field holds KING, so that it never equals the plain king step to the same
// square that Chess960 can also allow.
void gen_push_castling(int king_from, int king_to) {
  gen_entry& g = push_entry(king_from, king_to, MF_CASTLE);
  g.m.b.promote = KING;
  g.score = CASTLING_SCORE;
}

void gen_push_hash(int from, int to, int bits) {
  if (reaches_last_rank(to, bits)) gen_promote(from, to, bits, MT_HASH);
  else push_entry(from, to, bits).score = HASH_MOVE_SCORE;
}

void gen_push_dcc(int from, int to, int bits) {
  if (reaches_last_rank(to, bits)) gen_promote(from, to, bits, MT_DCC);
  else push_entry(from, to, bits).score = HASH_MOVE_SCORE;
}

// Only captures of a more valuable piece are ranked here; the rest are left
// at 0 for the quiescence picker, which evaluates exchanges lazily.
void gen_push_qsearch(int from, int to, int bits) {
  if (reaches_last_rank(to, bits)) {
    gen_promote_qsearch(from, to, bits);
    return;
  }
  gen_entry& g = push_entry(from, to, bits);
  const int victim = piece[to], mover = piece[from];
  if (victim != EMPTY) g.score = seeValues[victim] > seeValues[mover] ? capture_score(1, victim, mover) : 0;
  else g.score = (bits & MF_EP) ? EVEN_CAPTURE_SCORE : 0;
}

void gen_promote_qsearch(int from, int to, int bits) {
  gen_entry& g = push_entry(from, to, bits | MF_PROMOTE);
  g.m.b.promote = QUEEN;
  g.score = promote_val[QUEEN];
}

void gen_push_king_evade(int from, int to, int bits) {
  gen_entry& g = push_entry(from, to, bits);
  const int victim = piece[to];
  if (victim != EMPTY) {
    // The king cannot take a defended piece: such captures are dropped at once.
    if (see(from, to) >= 1) g.score = capture_score(1, victim, KING);
    else --first_move[ply + 1];
  } else if (int k = killer_score(g.m.u)) {
    g.score = k;
  } else {
    g.score = history_of(g.m);
  }
}

// Under-promotions only where they can matter: at the root, the level below
// it, and everywhere when counting perft.
void gen_promote(int from, int to, int bits, MoveType type) {
  bits |= MF_PROMOTE;
  const bool special = type != MT_NORMAL;
  if (gDoPerft || ply <= 1) {
    for (int kind = KNIGHT; kind <= QUEEN; ++kind) {
      gen_entry& g = push_entry(from, to, bits);
      g.m.b.promote = static_cast<std::uint8_t>(kind);
      g.score = special && !gDoPerft ? HASH_MOVE_SCORE + promote_val[kind] / 128 : promote_val[kind];
    }
  } else {
    gen_entry& g = push_entry(from, to, bits);
    g.m.b.promote = QUEEN;
    g.score = special ? HASH_MOVE_SCORE + promote_val[QUEEN] / 128 : promote_val[QUEEN];
  }
}

PER_THREAD_END
