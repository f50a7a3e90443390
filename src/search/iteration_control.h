// What the iterative-deepening driver decides around its iterations: the time
// budget of a search, and after each completed iteration whether the search is
// over, how far the soft limit moves, whether another iteration fits, and the
// window of the next one. All read the search-control record and the limits.
#pragma once
#include "board/per_thread.h"

// Time extensions in ms, set with the budget at the start of every search.
extern int ScoreDropExtension1, ScoreDropExtension2, NewPvTimeExtension, FailLowTimeExtension;

PER_THREAD_BEGIN

// A completed iteration as the decisions see it.
struct Iteration {
  int depth;           // in plies
  int score;           // iscore[depth]
  int previous_score;  // iscore[depth - 1]
  int mate;            // moves to mate, negative when mated, 0 for no mate score
  int time;            // ms from start_time to its end
  bool fail_low;       // the score is at or below the window
  bool new_best_move;  // its best move is not the previous iteration's
};

// From the allotment (max_time, si.time_available) and start_time: the hard
// limit ext_max_tt, the soft limit stop_time and the extensions.
void set_time_budget();

// True when the search must end whatever the soft limit says: the node
// budget is spent (at once when the root has no move, which counts no
// nodes), the mate asked for is found, or, under a clock, the hard limit is
// reached or a short mate is certain.
bool search_is_over(const Iteration& it, bool root_has_no_move);

// Pondering: an unstable iteration that the rest of the budget could not
// repeat moves the soft limit and the ponder budget.
void extend_ponder_time(const Iteration& it);

// A new best move, a fail low or a falling score moves the soft limit when
// extend_ok (neither infinite, pondering nor a fixed time per move); the last
// two only with a single line. True when one of them applied: the soft
// budget is then not checked after this iteration.
bool extend_time(const Iteration& it, bool extend_ok, bool single_line);

// False when the soft budget is spent, or under a clock the next iteration,
// taken to last 3/2 of this one, would not fit into what is left of it.
bool next_iteration_fits(const Iteration& it);

void open_window();  // ralpha and rbeta at the mate values

// Sets ralpha and rbeta for the next iteration from this one's score; true
// when the score fell outside the window and the depth must be searched
// again. fails counts the failed windows of the depth.
bool next_window(int score, int* fails);

PER_THREAD_END
