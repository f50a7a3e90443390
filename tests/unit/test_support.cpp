#include "test_support.h"

#include <cstdlib>

#include "board/position.h"
#include "engine/startup.h"
#include "movegen/gen.h"
#include "search/think.h"

void engine_setup() {
  static bool done = false;
  if (done) return;
  done = true;
  init_engine();
  set_position(spos);
}

void set_position(const char* fen, unsigned seed) {
  engine_setup();
  std::srand(seed);
  init_board(fen);
  gen();
  root_hply = hply;
}
