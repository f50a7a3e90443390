#include "search/iteration_control.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "board/per_thread.h"
#include "search/control.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/timecontrol.h"

#ifndef CORVANTIS_HELPER_COPY
int ScoreDropExtension1, ScoreDropExtension2, NewPvTimeExtension, FailLowTimeExtension;
#endif

PER_THREAD_BEGIN

namespace {

#ifndef CORVANTIS_HELPER_COPY
// Shallow iterations change their minds too often to decide about time;
// these are the last depths that do not count, each for its decision.
constexpr int NEW_PV_DEPTH = 10;
constexpr int PONDER_DEPTH = 11;
constexpr int SHORT_MATE_DEPTH = 11;
constexpr int TROUBLE_DEPTH = 13;
#endif

// Aspiration: half the width of the window around the last score, the width
// after a first fail (on the side it failed), and the score beyond which a
// window is not worth it.
constexpr int WINDOW = 30;
constexpr int FAIL_WINDOW = 100;
constexpr int ASPIRATION_LIMIT = 10000;

}  // namespace

void open_window() {
  ralpha = -MATE_VALUE;
  rbeta = MATE_VALUE;
}

#ifndef CORVANTIS_HELPER_COPY
void set_time_budget() {
  // The hard limit: 15% of the clock, never below the allotment; a fixed
  // time per move is its own. Clock values reach 10^9 ms: percentages are
  // taken in 64 bits.
  ext_max_tt = si.fixed_time
                   ? max_time
                   : static_cast<int>(std::max<std::int64_t>(std::int64_t{si.time_available} * 15 / 100, max_time));
  ScoreDropExtension1 = static_cast<int>(std::int64_t{max_time} * 80 / 100);
  ScoreDropExtension2 = NewPvTimeExtension = max_time / 2;
  FailLowTimeExtension = max_time / 4;

  stop_time = start_time + max_time;
  // The first searches after the book get a little extra time, on a long clock.
  if (out_of_book >= 1 && out_of_book <= 3 && si.time_available > 120000)
    stop_time += out_of_book == 1 ? max_time / 6 : max_time / 8;
}

bool search_is_over(const Iteration& it, bool root_has_no_move) {
  if (si.nodes != 0 && (si.nodes <= searched_nodes() || root_has_no_move)) return true;
  // "go mate": a mate as short as asked for, or shorter, from the second iteration on.
  if (si.mate > 0 && it.mate != 0 && std::abs(it.mate) <= si.mate && it.depth > 1) return true;
  if (si.infinite || si.ponder) return false;
  if (it.time >= ext_max_tt) return true;
  // A mate within three moves that a deep iteration confirms needs no more time.
  return it.depth > SHORT_MATE_DEPTH && it.mate != 0 && it.mate >= -3 && it.mate <= 3;
}

void extend_ponder_time(const Iteration& it) {
  if (it.depth <= PONDER_DEPTH || !si.ponder) return;
  // Only while the game is open: a won or lost position needs no more thought.
  if (it.score < -500 || it.score > 500) return;
  // Only when this iteration took more than 3/2 of the budget left after it.
  if (it.time <= (stop_time - start_time - it.time) * 3 / 2) return;
  int add = 0;
  if (it.new_best_move) add = 2 * it.time;
  // A fail low, or a score 50 or more below the last one.
  else if (it.fail_low || it.previous_score > it.score + 49) add = it.time * 3 / 2;
  si.ponder_time += add;
  stop_time += add;
}

bool extend_time(const Iteration& it, bool extend_ok, bool single_line) {
  if (!extend_ok) return false;
  bool extended = false;
  if (it.depth > NEW_PV_DEPTH && it.new_best_move) {
    stop_time += NewPvTimeExtension;
    extended = true;
  }
  if (!single_line || it.depth <= TROUBLE_DEPTH) return extended;
  if (it.fail_low) {
    int add = FailLowTimeExtension * 3 / 2;
    // Losing for two iterations with more than 150 s on the clock: half an allotment more.
    if (si.time_available > 150000 && it.score < 0 && it.previous_score < 0) add += max_time / 2;
    stop_time += add;
    return true;
  }
  // A drop of 30 or more: most time when it turns the score negative, none
  // when 75 or more are left.
  if (it.score < it.previous_score - 29) {
    stop_time += it.score < 0 ? ScoreDropExtension1 : it.score <= 74 ? ScoreDropExtension2 : 0;
    return true;
  }
  return extended;
}

bool next_iteration_fits(const Iteration& it) {
  if (si.ponder || si.infinite) return true;
  const std::int64_t budget = stop_time - start_time;
  // A spent budget ends the search, though not before the third iteration.
  if (it.time >= budget) return it.depth <= 2;
  // Only an iteration deeper than 6 plies that took more than a quarter of
  // the allotment predicts the next one well enough.
  const bool clock = ext_time_control_type == TC_MOVES_TO_GO || ext_time_control_type == TC_CLOCK;
  return !(it.depth > 6 && !si.fixed_time && it.time > max_time / 4 && clock && budget - it.time < it.time * 3 / 2);
}
#endif

bool next_window(int score, int* fails) {
  if (score <= ralpha || score >= rbeta) {
    const bool low = score <= ralpha;
    const bool first = (*fails)++ == 0;
    // A second fail at the same depth opens the window.
    if (std::abs(score) > ASPIRATION_LIMIT || !first) {
      open_window();
    } else if (low) {
      ralpha = score - FAIL_WINDOW;
      rbeta = score;
    } else {
      ralpha = score;
      rbeta = score + FAIL_WINDOW;
    }
    return true;
  }
  if (std::abs(score) > ASPIRATION_LIMIT) {
    open_window();
  } else {
    ralpha = score - WINDOW;
    rbeta = score + WINDOW;
    *fails = 0;
  }
  return false;
}

PER_THREAD_END
