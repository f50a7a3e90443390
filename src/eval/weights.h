// The evaluation's tunable weights. The options hold them as text; these
// globals hold the clamped values in use. The piece values per phase are read
// from OptionUci directly.
#pragma once

extern int pawnValueOp, pawnValueEn;
extern int doubledPawnPenalty;
extern int kingShelterWeight, pawnStormWeight;      // percent
extern int kingAttackWeight;                        // 70/25600 per unit
extern int mobilityWeight;                          // percent
extern int passedPawnWeightOp, passedPawnWeightEn;  // percent
extern int weakSquareWeight;                        // percent of 15 per hole
extern int rookInOpenFile[2];                       // [0] opening, [1] endgame

void pst_init();  // rebuilds the generated piece-square tables
// Takes the weight options over, clamped. Cached evaluations that depend on a
// weight or piece value that changed since the last call are dropped.
void OptionUpdate();
// A weakened search's own value for a weight option, taken by the next
// OptionUpdate instead of the option's; a negative value gives it back.
void draw_weight(const char* name, int value);
