#include "search/search_tables.h"

#include <cmath>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "options/options.h"
#include "search/control.h"
#include "search/think.h"

#ifndef CORVANTIS_HELPER_COPY
int razor_margin[4];
int futility_value;
int futility_move_count[16];
int reduction_table[2][64][64];
#endif

PER_THREAD_BEGIN

PER_THREAD move pv[MAX_PLY][MAX_PLY];
PER_THREAD int pv_length[MAX_PLY];

#ifndef CORVANTIS_HELPER_COPY
void initSearch() {
  razor_margin[0] = 188;
  razor_margin[1] = OptionGetInt("RazorMargin1");
  razor_margin[2] = OptionGetInt("RazorMargin2");
  razor_margin[3] = OptionGetInt("RazorMargin3");
  futility_value = OptionGetInt("FutilityMargin");
  for (int d = 1; d < 64; ++d)
    for (int m = 1; m < 64; ++m) {
      const int r = static_cast<int>(std::log(static_cast<double>(d)) * std::log(static_cast<double>(m)) / 1.95 + 0.5);
      reduction_table[0][d][m] = r > 1 ? r + 1 : r;
      reduction_table[1][d][m] = r > 1 ? r - 1 : 0;
    }
  for (int d = 0; d < 16; ++d) futility_move_count[d] = static_cast<int>(2.9 + 1.045 * std::pow(d + 0.49, 1.8));
}
#endif

void ResetSearch() {
  si.infinite = false;
  si.time_available = 0;
  si.stop_requested = false;
}

int get_lmr(bool pv_node, int depth, int move_number) {
  const int d = depth / ONE_PLY < 63 ? depth / ONE_PLY : 63;
  const int m = move_number < 63 ? move_number : 63;
  return ONE_PLY * reduction_table[pv_node][d][m];
}

int value_to_mate(int score) {
  if (score < -MATE_BOUND) return -((score + MATE_VALUE) / 2);
  if (score <= MATE_BOUND) return 0;
  return (MATE_VALUE + 1 - score) / 2;
}

// Earlier occurrences since the last irreversible move. A position loaded
// with a half-move clock has no history before it, so the scan starts at 0.
// Every ply (a null move too) changes the side to move, which is part of the
// key: only every second position back can be the same.
int draw_score(int score) { return side == ext_corvantis_side ? score : -score; }

int repeat_value() { return draw_score(OptionUci.repetition_score); }

bool draw_by_rule(bool fifty_at_100, int min_reps, int* score) {
  if (mat_is_draw()) {
    *score = draw_score(OptionUci.insufficient_material_score);
    return true;
  }
  if (fifty > 100 || (fifty == 100 && fifty_at_100)) {
    *score = draw_score(OptionUci.fifty_move_score);
    return true;
  }
  if (reps() >= min_reps) {
    *score = repeat_value();
    return true;
  }
  return false;
}

void update_pv(move m, int p) {
  pv[p][p] = m;
  for (int j = p + 1; j < pv_length[p + 1]; ++j) pv[p][j] = pv[p + 1][j];
  pv_length[p] = pv_length[p + 1];
}

// Called after m has been made: side_to_move is the opponent of the mover.
int define_ext(move m, int depth, bool gives_check, int side_to_move, bool pv_node) {
  if (gives_check && pv_node) return ONE_PLY;
  const int origin_row = side_to_move == BLACK ? 7 - row_of(m.b.from) : row_of(m.b.from);
  if (piece[m.b.to] == PAWN && origin_row == 5) return ONE_PLY;
  if (pv_node && (m.b.bits & MF_CAPTURE) && hist_dat[hply - 1].capture != PAWN) {
    const int pawns = side_to_move == BLACK ? bp : wp;
    const int pieces = side_to_move == BLACK ? bpc : wpc;
    if (pawns >= 1 && pieces <= 1) return ONE_PLY;
  }
  if (gives_check && depth < 2 * ONE_PLY) return ONE_PLY;
  return 0;
}

PER_THREAD_END
