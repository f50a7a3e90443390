// What one evaluation accumulates, from White's point of view. Every full
// evaluation zeroes and refills these; the term functions read what earlier
// steps filled, so the driver runs them in a fixed order. One set per search
// thread.
#pragma once

#include "board/per_thread.h"
#include "board/types.h"
#include "eval/score.h"

enum : int { ALL_PIECES = 6 };  // the "any piece" slot of attacked_by

// The attack record the piece terms fill and king safety, threats and space read.
struct EvalInfo {
  u64 attacked_by[2][7];  // [side][kind], ALL_PIECES = any of them
  u64 king_zone[2];       // [defending side]
  u64 mobility_area[2];
  u64 attacked_twice[2];  // as far as accumulated so far
  int king_attackers[2];  // [attacking side]
  int king_zone_hits[2];  // attacks on the squares next to the enemy king
  int king_attack_weight[2];
};

extern const int sqcolor[64];  // 0 light, 1 dark, by engine square

constexpr u64 LightSquares = 0x55AA55AA55AA55AAULL;

PER_THREAD_BEGIN

extern PER_THREAD EvalInfo evalref;

extern PER_THREAD int score;               // untapered centipawns, and the total at the end
extern PER_THREAD int op_score, en_score;  // opening and endgame terms that are not Scores
extern PER_THREAD Score make_value;        // piece terms, king safety, threats, mobility
extern PER_THREAD int mat_eval[2][2];      // [0 opening, 1 endgame][side]
extern PER_THREAD int PstScore[2][2];      // [side][0 opening, 1 endgame]
extern PER_THREAD Score compact_mob[2];    // mobility before weighting
extern PER_THREAD int king_safety[2];      // pawn shelter and storm of each king
extern PER_THREAD u64 passedPawn[2];
extern PER_THREAD int wUcPasserCnt, bUcPasserCnt;  // passers the enemy king cannot catch
extern PER_THREAD int wpwc, wpbc, bpwc, bpbc;      // pawns on light / dark squares
extern PER_THREAD int wbwc, wbbc, bbwc, bbbc;      // bishops on light / dark squares
extern PER_THREAD int draw_divisor;                // the total is divided by it when it is not 1
extern PER_THREAD int game_phase;                  // 0 (bare kings) .. 64
extern PER_THREAD int passPhase[2];                // each side's own material, 0 .. 32
extern PER_THREAD int kkDistance;                  // between the two kings

// Starts the attack record of one side: pawn and king attacks, mobility
// area and the enemy king zone.
void init_eval_info(int us);

PER_THREAD_END
