// What a score means for the game: the chances of a win, a draw and a loss
// for the side to move, from a model fitted to the engine's own games. Only
// the main thread, which prints the lines, uses it.
#pragma once

struct Wdl {
  int win, draw, loss;  // per mille, summing to 1000
};

// Material as the model counts it: pawns 1, knights and bishops 3, rooks 5,
// queens 9, both sides together.
int wdl_material();

// A score in centipawns with the material on the board; mate scores give a
// certain win or loss.
Wdl wdl_of(int score, int material);

// Appends " wdl W D L" for the score in the current position to an "info"
// line's score text when UCI_ShowWDL is on.
void append_wdl(char* text, int size, int score);

// "cp S" and what append_wdl adds: the score text of lines that give a
// centipawn score whatever it is.
void centipawn_text(char* text, int size, int score);
