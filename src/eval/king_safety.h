// King safety: the pawn shelter and storm in front of each king (cached by
// pawn key and king square) and the danger from the enemy pieces' attacks.
#pragma once

#include "eval/score.h"

// Shelter minus storm for the king of side Us standing on ksq.
template <int Us>
int PawnShelterAndStorm(int ksq);

// Fills king_safety[] for both kings through the one-entry shelter cache.
void king_shelters();

// The whole king term of side us (positive = good for it), scaled by KingAttackWeight.
Score evaluate_king_safety(int us);
