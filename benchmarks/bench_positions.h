// The test positions of the benchmarks, each loaded once from FEN and set
// aside with the board's own save: loading from FEN costs more than most of
// what is measured, so a pass restores each position in turn. Also the move
// generation the benchmarks share.
#pragma once

#include <vector>

#include "board/attacks.h"
#include "board/position.h"
#include "engine/startup.h"
#include "eval/symtest_positions.h"
#include "movegen/gen.h"

namespace bench_support {

// The symmetry-test positions, loaded after the engine's start-up; each is
// the root of a search (ply and hply 0) when restored.
inline const std::vector<PositionState>& positions() {
  static const std::vector<PositionState> all = [] {
    init_engine();
    std::vector<PositionState> v;
    for (const char* fen : SymTestPosition) {
      init_board1(fen);
      v.push_back(save_position());
    }
    return v;
  }();
  return all;
}

// Every move of the position as the searches generate them: the evasions
// when in check, else the full generator.
inline void generate_all() {
  if (in_check(side)) {
    get_checker(side);
    if (gchecker2 != -1) gen_king();
    else gen_evade();
  } else {
    gen();
  }
}

}  // namespace bench_support
