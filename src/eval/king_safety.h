// King safety: the pawn shelter and storm in front of each king (cached by
// pawn key and king square) and the danger from the enemy pieces' attacks.
#pragma once

#include "eval/score.h"

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
