#include "eval/eval.h"

#include "board/position.h"

// Material only, until the full evaluation lands.
int eval() {
  int score = wpawn + wpiece - bpawn - bpiece;
  return side == WHITE ? score : -score;
}
