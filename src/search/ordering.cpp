#include "search/ordering.h"

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "movegen/movestack.h"
#include "movegen/see.h"
#include "search/search_tables.h"

PER_THREAD_BEGIN

namespace {

void swap_into(int i, int chosen) {
  const gen_entry tmp = gen_dat[i];
  gen_dat[i] = gen_dat[chosen];
  gen_dat[chosen] = tmp;
}

// Highest score wins, the earliest on ties; scores below -10000 count as
// -10000. Written as selects, not jumps: which entry wins is unpredictable,
// and a mispredicted jump costs more than the select.
int best_index(int i) {
  const gen_entry* best = &gen_dat[i];
  int value = best->score > -10000 ? best->score : -10000;
  const gen_entry* const end = &gen_dat[first_move[ply + 1]];
  for (const gen_entry* g = best + 1; g < end; ++g) {
    const int s = g->score;
    const bool better = s > value;
    value = better ? s : value;
    best = better ? g : best;
  }
  return static_cast<int>(best - gen_dat);
}

int& history_entry(move m) { return historyScore[color[m.b.from]][piece[m.b.from]][m.b.to]; }

}  // namespace

void sort(int i) { swap_into(i, best_index(i)); }

void hash_sort(int i, move hashMove) {
  for (int j = i; j < first_move[ply + 1]; ++j)
    if (gen_dat[j].m.u == hashMove.u) {
      swap_into(i, j);
      return;
    }
  sort(i);
}

void qssort(int i) {
  for (int j = i; j < first_move[ply + 1]; ++j) {
    gen_entry& g = gen_dat[j];
    if (g.score != 0) continue;
    g.score = capture_score(see_move(g.m), piece[g.m.b.to], piece[g.m.b.from]);
  }
  sort(i);
}

void history_good(move m, int depth) {
  int& h = history_entry(m);
  h += ((65536 - h) * depth) >> 8;
}

void history_bad(move m, int score, int depth, int bound) {
  if (score >= bound - 99) return;
  int& h = history_entry(m);
  h -= (depth * h) >> 8;
}

void update_killers(move m, int score, move previous) {
  if (!is_quiet(m)) return;
  if (hply > 0) counterMove[previous.b.from][previous.b.to].m.u = m.u;
  if (m.u != killer1[ply].m.u) {
    killer2[ply] = killer1[ply];
    killer1[ply].m = m;
  }
  if (score >= MATE_BOUND) mkiller1[ply].m = m;
}

void HistoryScoreInit() {
  for (auto& colour : historyScore)
    for (auto& kind : colour)
      for (int& h : kind) h = 2048;
}

bool MoveGivesCheck(move m) {
  if (m.b.bits & (MF_CASTLE | MF_EP | MF_PROMOTE)) return false;
  const int kind = piece[m.b.from];
  if (kind != KING && (hist_dat[hply].checkSq[kind] & SquareBB[m.b.to])) return true;
  return (discovered_check_candidates() & SquareBB[m.b.from]) && !aligned(m.b.from, m.b.to, KingLocation(xside));
}

bool hash_move_playable(move hashMove) {
  const move_bytes& b = hashMove.b;
  return hashMove.u && color[b.from] == side && color[b.to] != side && !(b.bits & (MF_CASTLE | MF_PROMOTE));
}

void gen_hash_move(move hashMove) {
  first_move[ply + 1] = first_move[ply];
  const int from = hashMove.b.from, to = hashMove.b.to;
  const int kind = piece[from];
  const u64 target = SquareBB[to];
  if (kind >= KNIGHT && kind <= QUEEN) {
    if (attacks_bb(kind, from, Pos[2]) & target) gen_push_hash(from, to, piece[to] != EMPTY ? MF_CAPTURE : 0);
  } else if (kind == KING) {
    if ((PseudoAttacks[KING][from] & target) && !(PseudoAttacks[KING][KingLocation(xside)] & target))
      gen_push_hash(from, to, piece[to] != EMPTY ? MF_CAPTURE : 0);
  } else if (kind == PAWN) {
    const int forward = side == WHITE ? -8 : 8;
    const bool attacks = (PawnAttacks[side][from] & target) != 0;
    if (attacks && color[to] == xside) {
      gen_push_hash(from, to, MF_PAWN | MF_CAPTURE);
    } else if (attacks && to == ep) {
      gen_push_hash(from, to, MF_PAWN | MF_EP | MF_CAPTURE);
    } else if (to == from + forward && piece[to] == EMPTY) {
      gen_push_hash(from, to, MF_PAWN);
    } else if (to == from + 2 * forward && row_of(from) == (side == WHITE ? 6 : 1) && piece[from + forward] == EMPTY &&
               piece[to] == EMPTY) {
      gen_push_hash(from, to, MF_PAWN | MF_PUSH2);
    }
  }
}

PER_THREAD_END
