// The node searches. Depths are in half plies; every search is fail-soft and
// returns 0, to be ignored, once the search has been stopped.
//
// nodeSign guesses what a null-window node will turn out to be: 1 a node
// expected to cut off (the children of PV nodes are), -1 one expected to
// search every move. It is negated for each child, and a node expected to
// cut off turns to -1 after its first move that does not. Internal
// iterative deepening runs only where a cutoff is expected.
#pragma once
#include "board/per_thread.h"

PER_THREAD_BEGIN

int search_pv(int alpha, int beta, int depth, bool inCheck);
int search_cut(int alpha, int beta, int depth, bool allowNull, int nodeSign);  // null window, not in check
int search_cut_check(int alpha, int beta, int depth, int nodeSign);            // null window, in check
int qsearch(int alpha, int beta, int qdepth, bool inCheck);

PER_THREAD_END
