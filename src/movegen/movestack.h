// The move stack shared by all search levels, the push functions that append
// a move with its ordering score, and the ordering tables they read.
#pragma once

#include "board/types.h"
#include "movegen/move.h"

extern gen_entry gen_dat[GEN_STACK];
extern int first_move[MAX_PLY + 1];  // level p holds gen_dat[first_move[p] .. first_move[p + 1])

// Ordering tables, cleared at the start of every search.
extern int historyScore[2][6][64];  // [colour][kind][destination]
extern gen_entry killer1[MAX_PLY], killer2[MAX_PLY], mkiller1[MAX_PLY];
extern gen_entry counterMove[64][64];  // [origin][destination] of the opponent's last move

// Promotion scores by kind (knight to queen).
inline constexpr int promote_val[5] = {0, 9989500, 9989300, 9989400, 9998000};

enum MoveType : int { MT_NORMAL, MT_DCC, MT_HASH };

constexpr int HASH_MOVE_SCORE = 50000000;  // hash move and quiet discovered checks

void gen_push(int from, int to, int bits);          // scored by exchange, killers, history
void gen_push_hash(int from, int to, int bits);     // the hash move
void gen_push_dcc(int from, int to, int bits);      // a quiet move uncovering a check
void gen_push_qsearch(int from, int to, int bits);  // captures ranked without exchange evaluation
void gen_push_king_evade(int from, int to, int bits);
void gen_promote(int from, int to, int bits, MoveType type);
void gen_promote_qsearch(int from, int to, int bits);  // queen only
gen_entry& push_entry(int from, int to, int bits);     // appends the bare move
