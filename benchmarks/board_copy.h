// The test positions of the benchmarks, each loaded once from FEN and kept as
// a copy of the position globals: loading from FEN costs more than most of
// what is measured, so a pass restores each copy in turn. Also the move
// generation the benchmarks share.
#pragma once

#include <cstring>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/startup.h"
#include "eval/symtest_positions.h"
#include "movegen/gen.h"

namespace bench_support {

// Everything the evaluation, the generators and make/unmake read from the board.
struct BoardCopy {
  int piece[64], color[64];
  int side, xside, castle, ep, fifty;
  u64 hash, phash, gMatHash;
  int wking_loc, bking_loc;
  u64 Pos[3], myPiece[2][7];
  int counts[10], wpc, bpc, wpawn, bpawn, wpiece, bpiece;
  hist_entry history;
};

inline int* const count_globals[10] = {&wp, &wn, &wb, &wr, &wq, &bp, &bn, &bb, &br, &bq};

inline BoardCopy take() {
  BoardCopy c;
  std::memcpy(c.piece, piece, sizeof piece);
  std::memcpy(c.color, color, sizeof color);
  c.side = side, c.xside = xside, c.castle = castle, c.ep = ep, c.fifty = fifty;
  c.hash = hash, c.phash = phash, c.gMatHash = gMatHash;
  c.wking_loc = wking_loc, c.bking_loc = bking_loc;
  std::memcpy(c.Pos, Pos, sizeof Pos);
  std::memcpy(c.myPiece, myPiece, sizeof myPiece);
  for (int i = 0; i < 10; ++i) c.counts[i] = *count_globals[i];
  c.wpc = wpc, c.bpc = bpc, c.wpawn = wpawn, c.bpawn = bpawn, c.wpiece = wpiece, c.bpiece = bpiece;
  c.history = hist_dat[hply];
  return c;
}

// Restores the copy as the root of a search (ply and hply 0).
inline void put(const BoardCopy& c) {
  std::memcpy(piece, c.piece, sizeof piece);
  std::memcpy(color, c.color, sizeof color);
  side = c.side, xside = c.xside, castle = c.castle, ep = c.ep, fifty = c.fifty;
  hash = c.hash, phash = c.phash, gMatHash = c.gMatHash;
  wking_loc = c.wking_loc, bking_loc = c.bking_loc;
  std::memcpy(Pos, c.Pos, sizeof Pos);
  std::memcpy(myPiece, c.myPiece, sizeof myPiece);
  for (int i = 0; i < 10; ++i) *count_globals[i] = c.counts[i];
  wpc = c.wpc, bpc = c.bpc, wpawn = c.wpawn, bpawn = c.bpawn, wpiece = c.wpiece, bpiece = c.bpiece;
  hply = ply = 0;
  hist_dat[0] = c.history;
}

// The symmetry-test positions, loaded after the engine's start-up.
inline const std::vector<BoardCopy>& positions() {
  static std::vector<BoardCopy> all = [] {
    init_engine();
    std::vector<BoardCopy> v;
    for (const char* fen : SymTestPosition) {
      init_board1(fen);
      v.push_back(take());
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
