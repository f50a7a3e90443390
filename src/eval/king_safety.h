// King safety: the pawn shelter and storm in front of each king (cached by
// pawn key and king square) and the danger from the enemy pieces' attacks.
#pragma once

#include "board/per_thread.h"
#include "eval/score.h"

// The shelter and storm tables scaled by KingShelterWeight and
// PawnStormWeight, entry by entry (scale_shelter_tables); every thread reads them.
extern int shelter_scaled[4][8], storm_scaled[4][8], blocked_storm_scaled;

PER_THREAD_BEGIN

// Rebuilds the weighted shelter and storm tables; OptionUpdate calls it when
// KingShelterWeight or PawnStormWeight changes.
void scale_shelter_tables();

// Shelter minus storm for the king of side Us standing on ksq.
template <int Us>
int PawnShelterAndStorm(int ksq);

// Fills king_safety[] for both kings through the one-entry shelter cache.
void king_shelters();

// The whole king term of side us (positive = good for it), scaled by KingAttackWeight.
Score evaluate_king_safety(int us);

PER_THREAD_END
