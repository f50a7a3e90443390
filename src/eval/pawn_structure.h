// Doubled, isolated and backward pawns: a white-relative penalty that depends
// on the pawns alone, cached by pawn key.
#pragma once

int evaluate_pawns();

// White's view (index 0 = a8); a black pawn on s reads s ^ 56.
extern const int isolated_pawn_tab[64];
