// The node searches. Depths are in half plies; every search is fail-soft and
// returns 0, to be ignored, once the search has been stopped.
#pragma once

int search_pv(int alpha, int beta, int depth, bool inCheck, int passOn);
int search_cut(int alpha, int beta, int depth, bool allowNull, int nodeSign);  // null window, not in check
int search_cut_check(int alpha, int beta, int depth, int nodeSign);           // null window, in check
int qsearch(int alpha, int beta, int qdepth, bool inCheck);
