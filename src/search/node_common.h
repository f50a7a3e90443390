// Steps the node searches share.
#pragma once

#include "board/makemove.h"
#include "board/move.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "movegen/movestack.h"
#include "search/control.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/tt.h"

PER_THREAD_BEGIN

// Input and clock are polled once every 256 nodes; true once the search is
// stopped, when the node must return at once.
inline bool poll_and_stopped() {
  if ((rnodes & 255) == 0) CheckUserInputandTime();
  return si.stop_search;
}

// Starts loading the table entries of the children of this level's moves:
// each takes longer to arrive than a child takes to search, and loads issued
// together arrive together.
inline void prefetch_children() {
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i) prefetch_bucket(key_after(gen_dat[i].m.b));
}

inline void count_node() {
  if (ply > gSelDepth) gSelDepth = ply;
  ++rnodes;
}

// The entry of a full-width node (PV or not, not in check): polls, opens an
// empty line, and decides the node at the ply limit (static evaluation) or
// below depth 2 (quiescence). True when decided, the value in *score;
// otherwise the node is counted.
bool decided_on_entry(int alpha, int beta, int depth, int* score);

// A null-window move result: true when v cuts off (the line, history,
// killers and table are updated). Otherwise best may rise, and a quiet move
// falling well short is marked down in the history.
bool null_window_result(move m, int v, int depth, int alpha, int* best, move previous);

// The child of a PV or root node after its first move: a null-window search
// (first at reducedDepth when that is not 0, accepted when it fails low),
// widened to the full window when it lands inside it.
int pv_child_search(int alpha, int beta, int newDepth, bool childInCheck, int reducedDepth);

// Bookkeeping of a PV or root node for a searched move: true when it cuts
// off; otherwise best, alpha and the line may rise.
bool pv_move_result(move m, int v, int depth, int beta, int* best, int* alpha, move previous);

// The end of a PV or root node with at least one move searched.
int finish_pv_node(int best, int alphaEntry, int depth, move previous);

PER_THREAD_END
