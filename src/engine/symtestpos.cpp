// "symtestpos": every position of the symmetry set must score the same as its
// colour mirror.
#include "board/position.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "engine/uci.h"
#include "eval/eval.h"
#include "eval/symtest_positions.h"
#include "output/output.h"

void symtestpos() {
  static int scores[2 * SYM_TEST_PAIRS];
  for (int i = 0; i < 2 * SYM_TEST_PAIRS; ++i) {
    init_board(SymTestPosition[i]);
    max_time = 14400000;
    max_depth = 128;
    scores[i] = eval();
  }
  int correct = 0;
  for (int i = 0; i < SYM_TEST_PAIRS; ++i) {
    if (scores[2 * i] != scores[2 * i + 1]) SendInfo("Pos %d & %d is Not OK ??", 2 * i, 2 * i + 1);
    else ++correct;
  }
  SendInfo("Total=%d, Correct=%d, Mistake=%d, Correct=%d%%", SYM_TEST_PAIRS, correct, SYM_TEST_PAIRS - correct,
           correct * 100 / SYM_TEST_PAIRS);
  set_start_position();
  max_time = 14400000;
  max_depth = 128;
}
