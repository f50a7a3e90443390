// The move stack shared by all search levels, the push functions that append
// a move with its ordering score, and the ordering tables they read; one of
// each per search thread.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"

extern bool gDoPerft;  // set while "perft" counts: every promotion is generated, everywhere

PER_THREAD_BEGIN

extern PER_THREAD gen_entry gen_dat[GEN_STACK];
extern PER_THREAD int first_move[MAX_PLY + 1];  // level p holds gen_dat[first_move[p] .. first_move[p + 1])

// Ordering tables, cleared at the start of every search.
extern PER_THREAD int historyScore[2][6][64];  // [colour][kind][destination]
extern PER_THREAD gen_entry killer1[MAX_PLY], killer2[MAX_PLY], mkiller1[MAX_PLY];
extern PER_THREAD gen_entry counterMove[64][64];  // [origin][destination] of the opponent's last move

// The ordering scores given at generation, highest first; the pickers take
// the highest. A capture adds the victim's value less the mover's to its step
// (an even one less only the mover's kind number), so the steps overlap at
// their edges.
constexpr int HASH_MOVE_SCORE = 50000000;       // hash move and quiet discovered checks
constexpr int PV_MOVE_SCORE = 10000000;         // the previous iteration's move at this level
constexpr int MATE_KILLER_SCORE = 9999000;      // quiet move that last cut off with a mate score here,
constexpr int MATE_KILLER_UP2_SCORE = 9998500;  // ... two levels up (same side to move)
// 9998000 queen promotion (promote_val)
constexpr int WINNING_CAPTURE_SCORE = 9997000;  // wins material by exchange evaluation
constexpr int EVEN_CAPTURE_SCORE = 9996000;     // even exchange; en passant
constexpr int CASTLING_SCORE = 9995600;
constexpr int KILLER1_SCORE = 9995500;         // the latest quiet cutoff here,
constexpr int KILLER1_UP2_SCORE = 9995400;     // ... two levels up
constexpr int KILLER2_SCORE = 9995300;         // the one before it here,
constexpr int KILLER2_UP2_SCORE = 9995200;     // ... two levels up
constexpr int COUNTER_MOVE_SCORE = 9995100;    // the last refutation of the opponent's move
constexpr int LOSING_CAPTURE_SCORE = 9994000;  // loses material by exchange evaluation
// 9989300 .. 9989500 under-promotions (promote_val); quiet moves by history, 0 .. 65536

// Promotion scores by kind (knight to queen).
inline constexpr int promote_val[5] = {0, 9989500, 9989300, 9989400, 9998000};

// A capture by the sign of its exchange evaluation.
inline int capture_score(int exchange, int victim, int mover) {
  if (exchange > 0) return WINNING_CAPTURE_SCORE + piece_value[victim] - piece_value[mover];
  if (exchange == 0) return EVEN_CAPTURE_SCORE + piece_value[victim] - mover;
  return LOSING_CAPTURE_SCORE + piece_value[victim] - piece_value[mover];
}

enum MoveType : int { MT_NORMAL, MT_DCC, MT_HASH };

void gen_push(int from, int to, int bits);          // scored by exchange, killers, history
void gen_push_hash(int from, int to, int bits);     // the hash move
void gen_push_dcc(int from, int to, int bits);      // a quiet move uncovering a check
void gen_push_qsearch(int from, int to, int bits);  // captures ranked without exchange evaluation
void gen_push_king_evade(int from, int to, int bits);
void gen_push_castling(int king_from, int king_to);
void gen_promote(int from, int to, int bits, MoveType type);
void gen_promote_qsearch(int from, int to, int bits);  // queen only
gen_entry& push_entry(int from, int to, int bits);     // appends the bare move

PER_THREAD_END
