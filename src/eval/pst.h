// Piece-square tables in centipawns, [square][0 = opening, 1 = endgame] or one
// table per phase, as White sees the board (index 0 = a8); a black piece on s
// reads index s ^ 56.
#pragma once

#include "board/types.h"

extern int Pst[6][64][2];     // pawns and knights, built by pst_init
extern int BackwardPawn[64];  // backward-pawn penalty, built by pst_init

extern const int bishop_pcsq_op_tab[64], bishop_pcsq_en_tab[64];
extern const int rook_pcsq_op_tab[64], rook_pcsq_en_tab[64];
extern const int queen_pcsq_op_tab[64], queen_pcsq_en_tab[64];
extern const int king_pcsq_op_tab[64], king_pcsq_en_tab[64];
