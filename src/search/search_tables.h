// What all node searches share: depth unit, score constants, the principal
// variation table, pruning and reduction tables, extensions and draw rules.
//
// Depths count half plies: a child is searched at depth - ONE_PLY plus its
// extension (0 or ONE_PLY), and every depth threshold is written in plies.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"

extern int razor_margin[4];
extern int futility_value;
extern int futility_move_count[16];
extern int reduction_table[2][64][64];  // [pv][depth in plies][move number], in plies

PER_THREAD_BEGIN

constexpr int ONE_PLY = 2;
// A side mated at ply p scores p - MATE_VALUE; no score lies beyond
// ±MATE_VALUE, which is therefore also the bound of an open window.
constexpr int MATE_VALUE = 30000;
constexpr int MATE_BOUND = 29800;       // beyond this a score is a mate score
constexpr int WORST_SCORE = -10000000;  // the best score of a move loop before its first move

// Per search thread.
extern PER_THREAD move pv[MAX_PLY][MAX_PLY];  // row p holds the line from ply p, starting in column p
extern PER_THREAD int pv_length[MAX_PLY];

void initSearch();
void ResetSearch();
int get_lmr(bool pv_node, int depth, int move_number);
inline int futility_margin(int depth) { return futility_value * depth / ONE_PLY; }
int value_to_mate(int score);
int repeat_value();
int draw_score(int score);  // a draw score for the engine, seen from the side to move
// Insufficient material, the fifty-move rule (reached at 100 plies when
// fifty_at_100, else only beyond) and repetition (min_reps earlier
// occurrences): true with the draw score in *score.
bool draw_by_rule(bool fifty_at_100, int min_reps, int* score);
void update_pv(move m, int ply);
int define_ext(move m, int depth, bool gives_check, int side_to_move, bool pv_node);

PER_THREAD_END
